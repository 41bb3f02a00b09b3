// The image record's routines and the readers of one image data block.

#include "icons/MultiIcon.h"
#include "util/Bytes.h"
#include "util/PngSignature.h"

#include <algorithm>
#include <cstring>

namespace pictavo {

namespace {

int64_t DivUp64(int64_t a, int64_t b) {
    if (b == 0)
        return 0;
    return a / b + (a % b > 0 ? 1 : 0);
}

int64_t RowSize64(int64_t width, int64_t bpp) {
    return DivUp64(width * bpp, 32) * 4;
}

// Rows of `rowBytes` times `height`, or -1 when either is negative or the product is
// beyond any real image.
int64_t BlockBytes(int64_t rowBytes, int64_t height) {
    int64_t product = 0;
    if (rowBytes < 0 || height < 0 || __builtin_mul_overflow(rowBytes, height, &product) ||
        product > INT32_MAX)
        return -1;
    return product;
}

} // namespace

int DivUp(int a, int b) {
    return static_cast<int>(DivUp64(a, b));
}

int RowSize(int width, int bpp) {
    return static_cast<int>(RowSize64(width, bpp));
}

int PaletteColors(int bpp) {
    return bpp >= 0 && bpp <= 8 ? 1 << bpp : 0;
}

void FreeImage(TMultiIconImage& image) {
    image = TMultiIconImage{};
}

BitmapBlockLayout MeasureBitmapBlock(const uint8_t* header) {
    BitmapBlockLayout layout;
    layout.width = LoadI32(header + 4);
    layout.height = LoadI32(header + 8) / 2;
    layout.bitsPerPixel = LoadU16(header + 14);
    layout.headerSize = 40 + 4 * int64_t{PaletteColors(layout.bitsPerPixel)};
    layout.colorSize = BlockBytes(RowSize64(layout.width, layout.bitsPerPixel), layout.height);
    layout.maskSize = BlockBytes(RowSize64(layout.width, 1), layout.height);
    layout.valid = layout.colorSize >= 0 && layout.maskSize >= 0;
    return layout;
}

void ReadBitmapImageBlock(TMultiIconImage& image, const uint8_t* block, size_t size,
                          const char* shortBlockMessage) {
    if (!block || size < 40)
        throw Exception(shortBlockMessage);
    const BitmapBlockLayout layout = MeasureBitmapBlock(block);
    if (!layout.valid || static_cast<uint64_t>(layout.Total()) > size)
        throw Exception(shortBlockMessage);

    image.BitsPerPixel = layout.bitsPerPixel;
    image.Width = layout.width;
    image.Height = layout.height;
    image.HeaderSize = static_cast<int32_t>(layout.headerSize);
    image.Header = std::make_shared<uint8_t[]>(static_cast<size_t>(layout.headerSize));
    std::memcpy(image.Header.get(), block, static_cast<size_t>(layout.headerSize));
    StoreI32(image.Header.get() + 8, layout.height);

    image.ColorBitmap =
        GdiCheck(platform::Bitmap::CreateDIBSection(image.Header.get(), layout.headerSize));
    image.MaskBitmap = GdiCheck(platform::Bitmap::CreateMonochrome(image.Width, image.Height));
    if (!image.ColorBitmap->Bits() || !image.MaskBitmap->Bits() ||
        image.ColorBitmap->BitsSize() != static_cast<size_t>(layout.colorSize) ||
        image.MaskBitmap->BitsSize() != static_cast<size_t>(layout.maskSize))
        throw Exception("Error while allocating icon data");
    image.ColorBits = image.ColorBitmap->Bits();
    image.ColorBitsSize = static_cast<int32_t>(layout.colorSize);
    image.MaskBits = image.MaskBitmap->Bits();
    image.MaskBitsSize = static_cast<int32_t>(layout.maskSize);
    const uint8_t* bits = block + layout.headerSize;
    std::memcpy(image.ColorBits, bits, static_cast<size_t>(layout.colorSize));
    std::memcpy(image.MaskBits, bits + layout.colorSize, static_cast<size_t>(layout.maskSize));
}

void ReadPngImageBlock(TMultiIconImage& image, const uint8_t* block, size_t size) {
    image.IsPng = true;
    auto png = std::make_shared<TPngImage>();
    png->LoadFromBytes(block, size);
    // The picture's own size: a directory entry may say otherwise (16 x 16 for a 48-pixel
    // PNG), and names, listings and the choice of image go by what is in the file.
    image.Width = png->Width();
    image.Height = png->Height();
    // Its own depth too: an entry saying 8 bits for an RGBA picture is not what is shown.
    image.BitsPerPixel = ReadPngBitsPerPixel(block, size);
    image.Png = std::move(png);
}

} // namespace pictavo
