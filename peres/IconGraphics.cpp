#include "peres/IconGraphics.h"

#include "util/Bytes.h"
#include "util/Exceptions.h"
#include "util/IconDirectory.h"
#include "util/Messages.h"
#include "util/PngSignature.h"

#include <algorithm>

namespace pictavo {

namespace {

const char* const kInvalidIconOrCursor = N_("无效的图标或光标");
const char* const kInvalidPixelFormat = N_("图标或光标像素格式无效");
const char* const kInvalidCursor = N_("无效的光标");

constexpr size_t kHotspotSize = 4;
constexpr int kPlatformIconSize = 32;   // SM_CXICON x SM_CYICON
constexpr int kPlatformCursorSize = 32; // SM_CXCURSOR x SM_CYCURSOR

std::vector<TColor> MakeSystemPalette16() {
    return {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
            RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
            RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
            RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
}

std::vector<TColor> MakePalette256() {
    std::vector<TColor> palette(256);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[static_cast<size_t>(36 * r + 6 * g + b)] =
                    RGB(static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g),
                        static_cast<uint8_t>(51 * b));
    for (int i = 0; i < 24; ++i) {
        const auto grey = static_cast<uint8_t>(10 * (i + 1));
        palette[static_cast<size_t>(216 + i)] = RGB(grey, grey, grey);
    }
    const std::vector<TColor> system = MakeSystemPalette16();
    std::copy(system.begin(), system.end(), palette.begin() + 240);
    return palette;
}

[[noreturn]] void InvalidIconOrCursor() {
    throw EInvalidGraphic(_(kInvalidIconOrCursor));
}

// A side as the directory keeps it: the image's own size fits a byte, 0 standing for 256.
uint8_t EntrySide(int value) {
    if (value < 0 || value > 255)
        InvalidIconOrCursor();
    return static_cast<uint8_t>(value);
}

// The directory entry of an image whose data takes `size` bytes. Palette formats up to 4
// bits give their colour count and bit count 0, deeper ones their bit count. The device
// and 15-bit formats have no entry.
IconDirectoryEntry EntryOfImage(const TExIconImage& image, uint32_t size) {
    const TPixelFormat format = image.PixelFormat();
    if (format == TPixelFormat::pfDevice || format == TPixelFormat::pf15bit ||
        static_cast<int>(format) > static_cast<int>(TPixelFormat::pf32bit))
        InvalidIconOrCursor();
    const int bits = image.BitCount();
    IconDirectoryEntry entry;
    entry.Width = EntrySide(image.Width());
    entry.Height = EntrySide(image.Height());
    entry.Colors = IconColorCountByte(bits);
    entry.Planes = 1;
    entry.BitCount = bits <= 4 ? 0 : static_cast<uint16_t>(bits);
    entry.Size = size;
    return entry;
}

// The container of the images: the directory, then each image's data in order. With
// `hotspotsInDirectory` (a real .cur file) the hot spot at the start of each image's
// data moves into its entry.
std::vector<uint8_t> ContainerBytes(uint16_t type,
                                    const std::vector<std::shared_ptr<TExIconImage>>& images,
                                    bool hotspotsInDirectory) {
    const size_t skip = hotspotsInDirectory ? kHotspotSize : 0;
    std::vector<IconDirectoryEntry> entries;
    for (const std::shared_ptr<TExIconImage>& image : images) {
        image->ResourceData(); // refuses an image without data
        const ByteView data = image->DataView();
        uint16_t hotspotX = 0, hotspotY = 0;
        if (hotspotsInDirectory) {
            hotspotX = data.U16(0);
            hotspotY = data.U16(2);
        }
        IconDirectoryEntry entry = EntryOfImage(*image, static_cast<uint32_t>(data.Size() - skip));
        if (hotspotsInDirectory)
            entry.SetHotspot(hotspotX, hotspotY);
        entries.push_back(entry);
    }
    std::vector<uint8_t> out = EncodeIconDirectory(type, entries);
    for (const std::shared_ptr<TExIconImage>& image : images) {
        const std::vector<uint8_t>& data = image->ImageData().Bytes();
        out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(skip), data.end());
    }
    return out;
}

} // namespace

// ---- pixel formats and palettes ----

int PixelFormatBits(TPixelFormat format) {
    static const int bits[] = {0, 1, 4, 8, 16, 16, 24, 32};
    return bits[static_cast<int>(format)];
}

int PixelFormatColors(TPixelFormat format) {
    static const int colors[] = {0, 2, 16, 256, 0, 0, 0, 0};
    return colors[static_cast<int>(format)];
}

TPixelFormat PixelFormatOfBitCount(int bitCount, uint32_t compression) {
    switch (bitCount) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 16:
        if (compression == BI_RGB)
            return TPixelFormat::pf15bit;
        if (compression == BI_BITFIELDS)
            return TPixelFormat::pf16bit;
        break;
    case 24:
        return TPixelFormat::pf24bit;
    case 32:
        return TPixelFormat::pf32bit;
    default:
        break;
    }
    throw EInvalidGraphic(_(kInvalidPixelFormat));
}

TPixelFormat PixelFormatOfHeader(const uint8_t* header, size_t size) {
    const ByteView info = ByteView(header, size, InvalidIconOrCursor).Sub(0, BitmapInfoHeaderSize);
    return PixelFormatOfBitCount(info.U16(14), info.U32(16));
}

uint32_t ColorTableEntries(const ByteView& info) {
    const uint16_t bitCount = info.U16(14);
    if (bitCount > 8)
        return 0;
    const uint32_t used = info.U32(32);
    return used != 0 ? used : (1u << bitCount);
}

uint32_t ColorTableEntries(const uint8_t* header) {
    return ColorTableEntries(ByteView(header, BitmapInfoHeaderSize, InvalidIconOrCursor));
}

std::vector<uint8_t> BitmapLayerHeader(const ByteView& header, int32_t height,
                                       const ByteView& table) {
    const ByteView fixed = header.Sub(0, BitmapInfoHeaderSize);
    const uint16_t bitCount = fixed.U16(14);
    const uint64_t fullTable = bitCount <= 8 ? uint64_t{1} << bitCount : 0;
    std::vector<uint8_t> info(BitmapInfoHeaderSize + 4 * fullTable, 0);
    std::copy(fixed.Data(), fixed.Data() + fixed.Size(), info.begin());
    StoreU32(info.data(), BitmapInfoHeaderSize);
    StoreI32(info.data() + 8, height);
    const ByteView used = table.Sub(0, 4 * std::min<uint64_t>(table.Size() / 4, fullTable));
    std::copy(used.Data(), used.Data() + used.Size(), info.begin() + BitmapInfoHeaderSize);
    return info;
}

const std::vector<TColor>& PlatformPalette(TPixelFormat format) {
    static const std::vector<TColor> palette2 = {RGB(0, 0, 0), RGB(255, 255, 255)};
    static const std::vector<TColor> palette16 = MakeSystemPalette16();
    static const std::vector<TColor> palette256 = MakePalette256();
    static const std::vector<TColor> none;
    switch (format) {
    case TPixelFormat::pf1bit:
        return palette2;
    case TPixelFormat::pf4bit:
        return palette16;
    case TPixelFormat::pf8bit:
        return palette256;
    default:
        return none;
    }
}

// ---- TExIconImage ----

TExIconImage::TExIconImage(bool isIcon, int width, int height, TPixelFormat pixelFormat)
    : FIsIcon(isIcon), FWidth(width), FHeight(height), FPixelFormat(pixelFormat) {}

void TExIconImage::SetSize(int width, int height) {
    FWidth = width;
    FHeight = height;
}

const MemoryStream& TExIconImage::ResourceData() const {
    if (!HasData())
        throw EInvalidGraphic(_(kInvalidIconOrCursor));
    return FImageData;
}

ByteView TExIconImage::DataView() const {
    return ByteView(FImageData.Memory(), FImageData.Bytes().size(), InvalidIconOrCursor);
}

void TExIconImage::DataChanged() {
    FPalette.clear();
    FPaletteMade = false;
    FHandle.reset();
    FHandleTried = false;
}

const std::vector<TColor>& TExIconImage::Palette() {
    if (FPaletteMade)
        return FPalette;
    FPaletteMade = true;
    const ByteView data = DataView();
    if (!data.Holds(HeaderOffset(), BitmapInfoHeaderSize)) {
        FPalette = PlatformPalette(FPixelFormat);
        return FPalette;
    }
    const ByteView info = data.From(HeaderOffset());
    const uint64_t headerSize = info.U32(0);
    const uint64_t entries = ColorTableEntries(info);
    // A table cut short by the data's end gives the colours that are there.
    for (uint64_t i = 0; i < entries && info.Holds(headerSize + 4 * i, 4); ++i) {
        const uint8_t* quad = info.At(headerSize + 4 * i, 4);
        FPalette.push_back(RGB(quad[2], quad[1], quad[0]));
    }
    return FPalette;
}

const platform::IconHandle* TExIconImage::Handle() {
    if (FHandleTried)
        return FHandle.get();
    FHandleTried = true;
    const ByteView data = DataView();
    if (!data.Holds(HeaderOffset(), BitmapInfoHeaderSize))
        return nullptr;
    const ByteView header = data.From(HeaderOffset());
    const uint32_t headerSize = header.U32(0);
    const int32_t width = header.I32(4);
    const int32_t height = header.I32(8) / 2;
    const uint16_t bitCount = header.U16(14);
    const uint32_t compression = header.U32(16);
    if (headerSize < BitmapInfoHeaderSize || headerSize > header.Size() || width <= 0 ||
        height <= 0)
        return nullptr;
    const uint64_t entries = ColorTableEntries(header);
    const uint64_t tableBytes =
        (compression == BI_BITFIELDS && headerSize == BitmapInfoHeaderSize) ? 12 : 4 * entries;
    const int64_t colorRow = platform::DibRowBytes(width, bitCount);
    const int64_t maskRow = platform::DibRowBytes(width, 1);
    if (colorRow < 0 || maskRow < 0)
        return nullptr;
    const uint64_t colorOffset = headerSize + tableBytes;
    const uint64_t colorSize = static_cast<uint64_t>(colorRow) * static_cast<uint64_t>(height);
    const uint64_t maskSize = static_cast<uint64_t>(maskRow) * static_cast<uint64_t>(height);
    if (!header.Holds(colorOffset, colorSize) || !header.Holds(colorOffset + colorSize, maskSize))
        return nullptr;
    const ByteView colorBits = header.Sub(colorOffset, colorSize);
    const ByteView maskBits = header.Sub(colorOffset + colorSize, maskSize);

    // The header for the colour bitmap alone; a table cut short by the data's end gives
    // the colours that are there.
    const ByteView table =
        header.Sub(headerSize, 4 * std::min(entries, (header.Size() - headerSize) / 4));
    const std::vector<uint8_t> info = BitmapLayerHeader(header, height, table);
    const std::unique_ptr<platform::Bitmap> screen = platform::Bitmap::CreateScreenBitmap(
        info.data(), info.size(), colorBits.Data(), colorBits.Size());
    if (!screen)
        return nullptr;
    FHandle = platform::IconHandle::Create(width, height, 1, screen->BitsPerPixel(),
                                           maskBits.Data(), screen->Bits());
    return FHandle.get();
}

// ---- TExIconCursor ----

TExIconImage& TExIconCursor::Image(int index) const {
    if (index < 0 || index >= ImageCount())
        throw EListError(Format("List index out of bounds (%d)", index));
    return *FImages[static_cast<size_t>(index)];
}

void TExIconCursor::SetCurrentImage(int index) {
    Image(index);
    FCurrentImage = index;
    Changed();
}

void TExIconCursor::Assign(const TExIconCursor& source) {
    if (&source == this)
        return;
    if (IsIcon() != source.IsIcon())
        throw EConvertError(Format("Cannot assign a %s to a %s", source.ClassName(), ClassName()));
    FImages = source.FImages;
    FCurrentImage = source.FCurrentImage;
    Changed();
}

void TExIconCursor::Draw(platform::Surface& canvas, const platform::Rect& rect) {
    if (GetEmpty())
        return;
    const platform::IconHandle* handle = Image(FCurrentImage).Handle();
    if (handle != nullptr)
        platform::DrawIcon(canvas, rect.left, rect.top, *handle);
}

bool TExIconCursor::GetEmpty() const {
    return FImages.empty() || !Image(FCurrentImage).HasData();
}

int TExIconCursor::GetWidth() const {
    return FImages.empty() ? 0 : Image(FCurrentImage).Width();
}

int TExIconCursor::GetHeight() const {
    return FImages.empty() ? 0 : Image(FCurrentImage).Height();
}

void TExIconCursor::SetWidth(int value) {
    if (value == GetWidth())
        return;
    ReplaceCurrentImage(value, GetHeight());
}

void TExIconCursor::SetHeight(int value) {
    if (value == GetHeight())
        return;
    ReplaceCurrentImage(GetWidth(), value);
}

void TExIconCursor::ReplaceCurrentImage(int width, int height) {
    const TPixelFormat format = FImages.empty()
                                    ? (IsIcon() ? TPixelFormat::pf4bit : TPixelFormat::pf1bit)
                                    : Image(FCurrentImage).PixelFormat();
    auto image = std::make_shared<TExIconImage>(IsIcon(), width, height, format);
    if (FImages.empty()) {
        FImages.push_back(std::move(image));
        FCurrentImage = 0;
    } else {
        FImages[static_cast<size_t>(FCurrentImage)] = std::move(image);
    }
    Changed();
}

const std::vector<TColor>& TExIconCursor::GetPalette() {
    static const std::vector<TColor> none;
    return FImages.empty() ? none : Image(FCurrentImage).Palette();
}

void TExIconCursor::MakeImages(int count) {
    FImages.clear();
    FCurrentImage = 0;
    for (int i = 0; i < count; ++i)
        FImages.push_back(std::make_shared<TExIconImage>(IsIcon(), 0, 0, TPixelFormat::pfDevice));
}

bool TExIconCursor::TakePngImage(TExIconImage& image) {
    // A PNG-compressed image (the form of 256-pixel images since 2007) is kept as its PNG
    // bytes: the picture's own size and depth, drawn at 32 bits per pixel, no
    // BITMAPINFOHEADER to patch.
    const std::vector<uint8_t>& bytes = image.ImageData().Bytes();
    const size_t offset = image.HeaderOffset();
    if (bytes.size() <= offset || !HasPngSignature(bytes.data() + offset, bytes.size() - offset))
        return false;
    uint32_t width = 0, height = 0;
    const int bits = ReadPngBitsPerPixel(bytes.data() + offset, bytes.size() - offset);
    if (!ReadPngSize(bytes.data() + offset, bytes.size() - offset, width, height) || width == 0 ||
        height == 0 || width > 0xFFFF || height > 0xFFFF || bits == 0)
        throw EInvalidGraphic(_(kInvalidIconOrCursor));
    // Sizes are kept as directory entries hold them: 0 stands for 256 and more.
    const auto entrySize = [](uint32_t side) { return side > 255 ? 0 : static_cast<int>(side); };
    image.SetSize(entrySize(width), entrySize(height));
    image.SetPixelFormat(TPixelFormat::pf32bit);
    image.SetPngBitCount(bits);
    return true;
}

void TExIconCursor::ReadImageData(Stream& stream, int64_t base, TExIconImage& image,
                                  uint32_t offset, uint32_t size,
                                  const std::vector<uint8_t>& prefix) {
    const uint64_t start = static_cast<uint64_t>(base) + offset;
    if (!RangeFits(start, size, static_cast<uint64_t>(stream.Size())))
        throw EInvalidGraphic(_(kInvalidIconOrCursor));
    MemoryStream& data = image.ImageData();
    data.Clear();
    if (!prefix.empty())
        data.WriteBuffer(prefix.data(), prefix.size());
    if (size > 0) {
        stream.SetPosition(static_cast<int64_t>(start));
        data.CopyFrom(stream, size);
    }
    data.SetPosition(0);
    image.DataChanged();
    const size_t headerOffset = image.HeaderOffset();
    if (TakePngImage(image))
        return;
    // The header must be there whole before its biSizeImage is cleared.
    const ByteView info = image.DataView().Sub(headerOffset, BitmapInfoHeaderSize);
    StoreU32(data.Memory() + headerOffset + 20, 0); // biSizeImage
    image.SetPixelFormat(PixelFormatOfHeader(info.Data(), info.Size()));
}

void TExIconCursor::FinishLoading() {
    FCurrentImage = 0;
    Changed();
}

void TExIconCursor::LoadImages(Stream& stream, int64_t base, const IconDirectory& directory,
                               bool hotspotsInDirectory) {
    MakeImages(static_cast<int>(directory.Entries.size()));
    for (size_t i = 0; i < directory.Entries.size(); ++i)
        Image(static_cast<int>(i)).SetSize(directory.Entries[i].Width, directory.Entries[i].Height);
    for (size_t i = 0; i < directory.Entries.size(); ++i) {
        const IconDirectoryEntry& entry = directory.Entries[i];
        // A real .cur file keeps the hot spot in the entry; the image data starts with it.
        std::vector<uint8_t> prefix;
        if (hotspotsInDirectory) {
            AppendU16(prefix, entry.HotspotX());
            AppendU16(prefix, entry.HotspotY());
        }
        ReadImageData(stream, base, Image(static_cast<int>(i)), entry.Offset, entry.Size, prefix);
    }
    FinishLoading();
}

void TExIconCursor::LoadFromStream(Stream& stream) {
    const int64_t base = stream.Position();
    const std::optional<IconDirectory> directory = ReadIconDirectory(stream);
    if (!directory || (directory->Type == IconFileType) != IsIcon() || !directory->Complete())
        InvalidIconOrCursor();
    LoadImages(stream, base, *directory, false);
}

void TExIconCursor::SaveToStream(Stream& stream) {
    // Built in memory first, so a refused image writes nothing.
    const std::vector<uint8_t> bytes =
        ContainerBytes(IsIcon() ? IconFileType : CursorFileType, FImages, false);
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void TExIconCursor::LoadFromFile(const std::string& fileName) {
    FileStream file(fileName, FileMode::OpenRead);
    LoadFromStream(file);
}

void TExIconCursor::SaveToFile(const std::string& fileName) {
    MemoryStream bytes;
    SaveToStream(bytes);
    WriteFileBytes(fileName, bytes.Bytes());
}

// ---- TExIcon, TExCursor ----

TExIcon::TExIcon() {
    FImages.push_back(std::make_shared<TExIconImage>(true, kPlatformIconSize, kPlatformIconSize,
                                                     TPixelFormat::pf4bit));
}

TExCursor::TExCursor() {
    FImages.push_back(std::make_shared<TExIconImage>(false, kPlatformCursorSize,
                                                     kPlatformCursorSize, TPixelFormat::pf1bit));
}

void TExCursor::LoadFromFile(const std::string& fileName) {
    FileStream file(fileName, FileMode::OpenRead);
    const std::optional<IconDirectory> directory = ReadIconDirectory(file);
    if (!directory || directory->Type != CursorFileType || !directory->Complete())
        throw EInvalidGraphic(_(kInvalidCursor));
    LoadImages(file, 0, *directory, true);
}

void TExCursor::SaveToFile(const std::string& fileName) {
    WriteFileBytes(fileName, ContainerBytes(CursorFileType, FImages, true));
}

// ---- picture formats ----

const std::vector<TPictureFormat>& PictureFormats() {
    static const std::vector<TPictureFormat> formats = {
        {"ICO", N_("图标"),
         []() -> std::unique_ptr<TExIconCursor> { return std::make_unique<TExIcon>(); }},
        {"CUR", N_("光标"),
         []() -> std::unique_ptr<TExIconCursor> { return std::make_unique<TExCursor>(); }}};
    return formats;
}

const TPictureFormat* FindPictureFormat(const std::string& extension) {
    std::string key = extension.empty() || extension[0] != '.' ? extension : extension.substr(1);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (const TPictureFormat& format : PictureFormats())
        if (format.Extension == key)
            return &format;
    return nullptr;
}

} // namespace pictavo
