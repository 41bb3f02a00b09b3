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

bool IsSupportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Expands RLE8 / RLE4 codes into an indexed bitmap. Pixels outside the bitmap are
// dropped; data that ends early leaves the rest of the bitmap at index 0.
void DecodeRle(const uint8_t* codes, size_t size, int bits, platform::Bitmap& bitmap) {
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
    while (i + 1 < size && y < height) {
        const uint8_t count = codes[i];
        const uint8_t value = codes[i + 1];
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
            if (i + 1 >= size)
                return;
            x = std::min(x + codes[i], width);
            y += codes[i + 1];
            i += 2;
        } else { // a run of literal pixels, padded to 16 bits
            const size_t bytes = bits == 8 ? value : (value + 1u) / 2;
            if (!RangeFits(i, bytes, size))
                throw EInvalidGraphic(kInvalidBitmap);
            for (int k = 0; k < value; ++k)
                put(bits == 8 ? codes[i + static_cast<size_t>(k)]
                              : nibble(codes[i + static_cast<size_t>(k) / 2], k));
            i += bytes + (bytes & 1);
        }
    }
}

} // namespace

// ---- BMP files ----

std::unique_ptr<platform::Bitmap> LoadBitmapFile(const uint8_t* data, size_t size,
                                                 TPixelFormat& format) {
    if (data == nullptr || size < BitmapFileHeaderSize + BitmapInfoHeaderSize ||
        LoadU16(data) != kBitmapSignature)
        throw EInvalidGraphic(kInvalidBitmap);
    const uint8_t* info = data + BitmapFileHeaderSize;
    const uint32_t infoSize = LoadU32(info);
    const int32_t width = LoadI32(info + 4);
    const int32_t height = LoadI32(info + 8);
    const int bits = LoadU16(info + 14);
    const uint32_t compression = LoadU32(info + 16);
    if (infoSize < BitmapInfoHeaderSize || infoSize > size - BitmapFileHeaderSize || width <= 0 ||
        height == 0 || height == INT32_MIN || !IsSupportedDepth(bits))
        throw EInvalidGraphic(kInvalidBitmap);
    const bool topDown = height < 0;
    const int32_t rows = topDown ? -height : height;

    const uint64_t entries = ColorTableEntries(info);
    const uint64_t masks =
        (compression == BI_BITFIELDS && infoSize == BitmapInfoHeaderSize) ? 12 : 0;
    const uint64_t tableStart = BitmapFileHeaderSize + infoSize + masks;
    if (!RangeFits(tableStart, 4 * entries, size))
        throw EInvalidGraphic(kInvalidBitmap);

    // The bitmap layer takes a 40-byte header with a full colour table.
    std::vector<uint8_t> header(info, info + BitmapInfoHeaderSize);
    StoreU32(header.data(), BitmapInfoHeaderSize);
    StoreI32(header.data() + 8, rows);
    if (bits <= 8) {
        const uint64_t fullTable = uint64_t{1} << bits;
        const uint8_t* table = data + tableStart;
        header.insert(header.end(), table, table + 4 * std::min(entries, fullTable));
        header.resize(BitmapInfoHeaderSize + 4 * fullTable, 0);
    }
    uint64_t bitsOffset = LoadU32(data + 10);
    if (bitsOffset == 0)
        bitsOffset = tableStart + 4 * entries;
    if (bitsOffset > size)
        throw EInvalidGraphic(kInvalidBitmap);
    const uint8_t* pixels = data + bitsOffset;
    const size_t available = size - static_cast<size_t>(bitsOffset);
    const bool rle = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
    const bool plain =
        compression == BI_RGB || (compression == BI_BITFIELDS && (bits == 16 || bits == 32));
    if (!(rle && !topDown) && !plain)
        throw EInvalidGraphic(kInvalidBitmap);
    // Uncompressed bits must all be there before the bitmap is made.
    const int64_t rowBytes = platform::DibRowBytes(width, bits);
    if (rowBytes > 0 &&
        static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(rows) > kLargestBitmapBytes)
        throw EInvalidGraphic(kBitmapTooLarge);
    if (plain &&
        (rowBytes < 0 ||
         !RangeFits(0, static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(rows), available)))
        throw EInvalidGraphic(kInvalidBitmap);

    std::unique_ptr<platform::Bitmap> bitmap =
        platform::Bitmap::CreateDIBSection(header.data(), header.size());
    if (!bitmap)
        throw EInvalidGraphic(kInvalidBitmap);
    if (plain) {
        const auto row = static_cast<size_t>(rowBytes);
        for (int32_t r = 0; r < rows; ++r) {
            const int32_t from = topDown ? rows - 1 - r : r;
            std::memcpy(bitmap->Bits() + row * static_cast<size_t>(r),
                        pixels + row * static_cast<size_t>(from), row);
        }
    } else {
        DecodeRle(pixels, available, bits, *bitmap);
    }

    switch (bits) {
    case 1:
        format = TPixelFormat::pf1bit;
        break;
    case 4:
        format = TPixelFormat::pf4bit;
        break;
    case 8:
        format = TPixelFormat::pf8bit;
        break;
    default:
        format = TPixelFormat::pf24bit;
        break;
    }
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

const uint8_t* TBitmapResourceDetails::Info() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    if (bytes.size() < InfoOffset() + BitmapInfoHeaderSize)
        throw EInvalidGraphic(kInvalidBitmap);
    return bytes.data() + InfoOffset();
}

int TBitmapResourceDetails::ImageHeight() {
    return LoadI32(Info() + 8);
}

int TBitmapResourceDetails::ImageWidth() {
    return LoadI32(Info() + 4);
}

TPixelFormat TBitmapResourceDetails::ImagePixelFormat() {
    return PixelFormatOfHeader(Info(), BitmapInfoHeaderSize);
}

std::vector<uint8_t> TBitmapResourceDetails::BitmapFile() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    // The bits follow the header and its colour table (or bit-field masks).
    uint64_t bitsOffset = BitmapFileHeaderSize + bytes.size();
    if (bytes.size() >= BitmapInfoHeaderSize) {
        const uint32_t infoSize = LoadU32(bytes.data());
        const uint32_t compression = LoadU32(bytes.data() + 16);
        const uint64_t masks =
            (compression == BI_BITFIELDS && infoSize == BitmapInfoHeaderSize) ? 12 : 0;
        bitsOffset =
            std::min<uint64_t>(bitsOffset, BitmapFileHeaderSize + uint64_t{infoSize} + masks +
                                               uint64_t{4} * ColorTableEntries(bytes.data()));
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
        throw EInvalidGraphic(kInvalidBitmap);
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
    if (data == nullptr || size < 18)
        return false;
    const uint32_t infoSize = LoadU32(data + 14);
    return LoadU16(data) == kBitmapSignature && LoadU16(data + 6) == 0 && LoadU16(data + 8) == 0 &&
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
