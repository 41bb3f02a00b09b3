#include "peres/BitmapResources.h"

#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cstring>

namespace pictavo {

namespace {

const char* const kInvalidBitmap = "Invalid bitmap";
const char* const kBitmapTooLarge = "Bitmap too large: its pixels need more than 64 MB";

// A few bytes of run-length codes may claim any size: a bitmap's pixels are bounded like
// one picture of an icon.
constexpr uint64_t kLargestBitmapBytes = uint64_t{64} << 20;

constexpr uint16_t kBitmapSignature = 0x4D42; // "BM"
constexpr int kDefaultWidth = 128;
constexpr int kDefaultHeight = 96;
constexpr int kDefaultBits = 24;

void WriteFileHeader(MemoryStream& out, uint32_t fileSize, uint32_t bitsOffset) {
    out.WriteU16(kBitmapSignature);
    out.WriteU32(fileSize);
    out.WriteU16(0);
    out.WriteU16(0);
    out.WriteU32(bitsOffset);
}

void WriteDefaultBitmap(MemoryStream& out) {
    const auto imageSize =
        static_cast<uint32_t>(platform::DibRowBytes(kDefaultWidth, kDefaultBits) * kDefaultHeight);
    out.WriteU32(BitmapInfoHeaderSize);
    out.WriteI32(kDefaultWidth);
    out.WriteI32(kDefaultHeight);
    out.WriteU16(1);
    out.WriteU16(kDefaultBits);
    out.WriteU32(BI_RGB);
    out.WriteU32(imageSize);
    out.WriteZeros(16); // resolutions, colours used and important
    out.WriteZeros(imageSize);
}

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic(kInvalidBitmap);
}

bool IsSupportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Expands RLE8 / RLE4 codes into an indexed bitmap. Pixels outside the bitmap are
// dropped; data that ends early leaves the rest of the bitmap at index 0, but a run of
// literal pixels must be there whole.
void DecodeRle(const ByteView& codes, int bits, platform::Bitmap& bitmap) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    int x = 0;
    int y = 0; // counted from the bottom row
    const auto put = [&](uint32_t value) {
        if (x < width && y < height)
            bitmap.SetRawPixel(x, height - 1 - y, value);
        x = std::min(x + 1, width);
    };
    const auto nibble = [](uint8_t byte, int k) {
        return static_cast<uint32_t>(k % 2 == 0 ? byte >> 4 : byte & 0x0F);
    };
    size_t i = 0;
    while (codes.Holds(i, 2) && y < height) {
        const uint8_t count = codes.U8(i);
        const uint8_t value = codes.U8(i + 1);
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(bits == 8 ? value : nibble(value, k));
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // move right and up
            if (!codes.Holds(i, 2))
                return;
            x = std::min(x + codes.U8(i), width);
            y += codes.U8(i + 1);
            i += 2;
        } else { // a run of literal pixels, padded to 16 bits
            const ByteView run = codes.Sub(i, bits == 8 ? value : (value + 1u) / 2);
            for (int k = 0; k < value; ++k)
                put(bits == 8 ? run.U8(static_cast<size_t>(k))
                              : nibble(run.U8(static_cast<size_t>(k) / 2), k));
            i += run.Size() + (run.Size() & 1);
        }
    }
}

// What the headers of a BMP file say, checked against the file.
struct BitmapFileLayout {
    int32_t Width = 0;
    int32_t Rows = 0; // the height without its sign
    bool TopDown = false;
    int Bits = 0;
    uint32_t Compression = BI_RGB;
    uint64_t TableStart = 0; // the colour table's offset in the file
    uint64_t TableEntries = 0;
    // A 40-byte header with a full colour table: what the bitmap layer takes.
    std::vector<uint8_t> Info;
};

BitmapFileLayout ReadBitmapHeaders(const ByteView& file) {
    if (!file.Holds(0, BitmapFileHeaderSize + BitmapInfoHeaderSize) ||
        file.U16(0) != kBitmapSignature)
        InvalidBitmap();
    const ByteView info = file.From(BitmapFileHeaderSize);
    const uint32_t infoSize = info.U32(0);
    const int32_t height = info.I32(8);
    BitmapFileLayout layout;
    layout.Width = info.I32(4);
    layout.Bits = info.U16(14);
    layout.Compression = info.U32(16);
    if (infoSize < BitmapInfoHeaderSize || infoSize > info.Size() || layout.Width <= 0 ||
        height == 0 || height == INT32_MIN || !IsSupportedDepth(layout.Bits))
        InvalidBitmap();
    layout.TopDown = height < 0;
    layout.Rows = layout.TopDown ? -height : height;

    layout.TableEntries = ColorTableEntries(info);
    const uint64_t masks =
        (layout.Compression == BI_BITFIELDS && infoSize == BitmapInfoHeaderSize) ? 12 : 0;
    layout.TableStart = BitmapFileHeaderSize + infoSize + masks;
    const ByteView table = file.Sub(layout.TableStart, 4 * layout.TableEntries);
    layout.Info = BitmapLayerHeader(info, layout.Rows, table);
    return layout;
}

// The pixel bytes up to the file's end: from the header's bits offset, or straight after
// the colour table when it says 0.
ByteView PixelBytes(const ByteView& file, const BitmapFileLayout& layout) {
    uint64_t bitsOffset = file.U32(10);
    if (bitsOffset == 0)
        bitsOffset = layout.TableStart + 4 * layout.TableEntries;
    return file.From(bitsOffset);
}

// True for run-length codes, false for plain rows, which must then all be there.
// Refuses any other storage, and pixels beyond the size limit.
bool IsRunLength(const BitmapFileLayout& layout, const ByteView& pixels) {
    const bool rle = (layout.Compression == BI_RLE8 && layout.Bits == 8) ||
                     (layout.Compression == BI_RLE4 && layout.Bits == 4);
    const bool plain = layout.Compression == BI_RGB || (layout.Compression == BI_BITFIELDS &&
                                                        (layout.Bits == 16 || layout.Bits == 32));
    if (!(rle && !layout.TopDown) && !plain)
        InvalidBitmap();
    const int64_t rowBytes = platform::DibRowBytes(layout.Width, layout.Bits);
    const uint64_t total = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(layout.Rows);
    if (rowBytes > 0 && total > kLargestBitmapBytes)
        throw EInvalidGraphic(kBitmapTooLarge);
    if (plain && (rowBytes < 0 || !pixels.Holds(0, total)))
        InvalidBitmap();
    return !plain;
}

// Plain rows into the bitmap, which keeps them bottom-up.
void CopyRows(const ByteView& pixels, const BitmapFileLayout& layout, platform::Bitmap& bitmap) {
    const auto row = static_cast<size_t>(platform::DibRowBytes(layout.Width, layout.Bits));
    for (int32_t r = 0; r < layout.Rows; ++r) {
        const int32_t from = layout.TopDown ? layout.Rows - 1 - r : r;
        const ByteView source = pixels.Sub(row * static_cast<size_t>(from), row);
        std::memcpy(bitmap.Bits() + row * static_cast<size_t>(r), source.Data(), row);
    }
}

// The format a loaded bitmap reports: palette depths keep theirs, deeper ones count as
// 24 bits.
TPixelFormat LoadedFormat(int bits) {
    switch (bits) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    default:
        return TPixelFormat::pf24bit;
    }
}

} // namespace

// ---- BMP files ----

std::unique_ptr<platform::Bitmap> LoadBitmapFile(const uint8_t* data, size_t size,
                                                 TPixelFormat& format) {
    const ByteView file(data, size, InvalidBitmap);
    const BitmapFileLayout layout = ReadBitmapHeaders(file);
    const ByteView pixels = PixelBytes(file, layout);
    const bool runLength = IsRunLength(layout, pixels);
    std::unique_ptr<platform::Bitmap> bitmap =
        platform::Bitmap::CreateDIBSection(layout.Info.data(), layout.Info.size());
    if (!bitmap)
        InvalidBitmap();
    if (runLength)
        DecodeRle(pixels, layout.Bits, *bitmap);
    else
        CopyRows(pixels, layout, *bitmap);
    format = LoadedFormat(layout.Bits);
    return bitmap;
}

std::vector<uint8_t> SaveBitmapFile(const platform::Bitmap& bitmap) {
    const std::vector<uint32_t>& table = bitmap.ColorTable();
    const auto tableBytes = static_cast<uint32_t>(4 * table.size());
    const auto bitsOffset =
        static_cast<uint32_t>(BitmapFileHeaderSize + BitmapInfoHeaderSize + tableBytes);
    const auto bitsSize = static_cast<uint32_t>(bitmap.BitsSize());
    MemoryStream out;
    WriteFileHeader(out, bitsOffset + bitsSize, bitsOffset);
    out.WriteU32(BitmapInfoHeaderSize);
    out.WriteI32(bitmap.Width());
    out.WriteI32(bitmap.Height());
    out.WriteU16(1);
    out.WriteU16(static_cast<uint16_t>(bitmap.BitsPerPixel()));
    out.WriteU32(BI_RGB);
    out.WriteU32(bitsSize);
    out.WriteU32(0);
    out.WriteU32(0);
    out.WriteU32(static_cast<uint32_t>(table.size()));
    out.WriteU32(0);
    for (uint32_t color : table)
        out.WriteU32(color);
    out.WriteBuffer(bitmap.Bits(), bitmap.BitsSize());
    return out.TakeBytes();
}

// ---- TBitmapResourceDetails ----

void TBitmapResourceDetails::FillDefault() {
    Data().Clear();
    WriteDefaultBitmap(Data());
    Data().SetPosition(0);
}

ByteView TBitmapResourceDetails::Info() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    return ByteView(bytes.data(), bytes.size(), InvalidBitmap)
        .Sub(InfoOffset(), BitmapInfoHeaderSize);
}

int TBitmapResourceDetails::ImageHeight() {
    return Info().I32(8);
}

int TBitmapResourceDetails::ImageWidth() {
    return Info().I32(4);
}

TPixelFormat TBitmapResourceDetails::ImagePixelFormat() {
    const ByteView info = Info();
    return PixelFormatOfHeader(info.Data(), info.Size());
}

std::vector<uint8_t> TBitmapResourceDetails::BitmapFile() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    // The bits follow the header and its colour table (or bit-field masks).
    const ByteView info(bytes.data(), bytes.size(), InvalidBitmap);
    uint64_t bitsOffset = BitmapFileHeaderSize + bytes.size();
    if (info.Holds(0, BitmapInfoHeaderSize)) {
        const uint32_t infoSize = info.U32(0);
        const uint32_t compression = info.U32(16);
        const uint64_t masks =
            (compression == BI_BITFIELDS && infoSize == BitmapInfoHeaderSize) ? 12 : 0;
        bitsOffset =
            std::min<uint64_t>(bitsOffset, BitmapFileHeaderSize + uint64_t{infoSize} + masks +
                                               uint64_t{4} * ColorTableEntries(info));
    }
    MemoryStream out;
    WriteFileHeader(out, static_cast<uint32_t>(BitmapFileHeaderSize + bytes.size()),
                    static_cast<uint32_t>(bitsOffset));
    out.WriteBuffer(bytes.data(), bytes.size());
    return out.TakeBytes();
}

void TBitmapResourceDetails::ReadPicture(TPicture& picture) {
    const std::vector<uint8_t> file = BitmapFile();
    TPixelFormat format = TPixelFormat::pfDevice;
    std::unique_ptr<platform::Bitmap> bitmap = LoadBitmapFile(file.data(), file.size(), format);
    picture.Clear();
    picture.Bitmap = std::move(bitmap);
    picture.BitmapPixelFormat = format;
}

std::vector<uint8_t> PictureAsBitmapFile(const TPicture& picture) {
    if (picture.Bitmap)
        return SaveBitmapFile(*picture.Bitmap);
    if (!picture.IconGraphic || picture.IconGraphic->GetEmpty())
        InvalidBitmap();
    // An icon is drawn into a new 32-bit bitmap; a size byte of 0 stands for 256.
    TExIconCursor& graphic = *picture.IconGraphic;
    const int width = graphic.GetWidth() > 0 ? graphic.GetWidth() : 256;
    const int height = graphic.GetHeight() > 0 ? graphic.GetHeight() : 256;
    std::unique_ptr<platform::Surface> canvas = platform::Surface::Create(width, height);
    MemoryStream header;
    header.WriteU32(BitmapInfoHeaderSize);
    header.WriteI32(width);
    header.WriteI32(height);
    header.WriteU16(1);
    header.WriteU16(32);
    header.WriteZeros(24);
    std::unique_ptr<platform::Bitmap> bitmap =
        platform::Bitmap::CreateDIBSection(header.Memory(), static_cast<size_t>(header.Size()));
    if (!canvas || !bitmap)
        throw EOutOfResources("Out of system resources");
    graphic.Draw(*canvas, {0, 0, width, height});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->SetRawPixel(x, y, canvas->PixelAt(x, y));
    return SaveBitmapFile(*bitmap);
}

void TBitmapResourceDetails::WritePicture(const TPicture& picture) {
    const std::vector<uint8_t> file = PictureAsBitmapFile(picture);
    Data().Clear();
    Data().WriteBuffer(file.data() + BitmapFileHeaderSize, file.size() - BitmapFileHeaderSize);
    Data().SetPosition(0);
}

// ---- TDIBResourceDetails ----

bool TDIBResourceDetails::RecognisesData(size_t size, const uint8_t* data) {
    const ByteView file(data, size, InvalidBitmap);
    if (!file.Holds(0, 18))
        return false;
    const uint32_t infoSize = file.U32(14);
    return file.U16(0) == kBitmapSignature && file.U16(6) == 0 && file.U16(8) == 0 &&
           (infoSize == 40 || infoSize == 108 || infoSize == 124);
}

void TDIBResourceDetails::FillDefault() {
    MemoryStream bitmap;
    WriteDefaultBitmap(bitmap);
    const uint32_t bitsOffset = BitmapFileHeaderSize + BitmapInfoHeaderSize;
    Data().Clear();
    WriteFileHeader(Data(), static_cast<uint32_t>(BitmapFileHeaderSize + bitmap.Size()),
                    bitsOffset);
    Data().WriteBuffer(bitmap.Memory(), static_cast<size_t>(bitmap.Size()));
    Data().SetPosition(0);
}

std::vector<uint8_t> TDIBResourceDetails::BitmapFile() const {
    return Data().Bytes();
}

void TDIBResourceDetails::WritePicture(const TPicture& picture) {
    const std::vector<uint8_t> file = PictureAsBitmapFile(picture);
    Data().Clear();
    Data().WriteBuffer(file.data(), file.size());
    Data().SetPosition(0);
}

} // namespace pictavo
