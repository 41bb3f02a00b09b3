// Drawing a container's images over a canvas, and turning an image into an icon handle.

#include "icons/AlphaBitmap.h"
#include "icons/MultiIcon.h"

#include <algorithm>
#include <cstring>

namespace pictavo {

namespace {

bool MaskBitSet(const uint8_t* row, int x) {
    return (row[x / 8] & (0x80 >> (x % 8))) != 0;
}

} // namespace

std::vector<uint8_t> GetBitmapPixels(const platform::Bitmap& bitmap) {
    const size_t size =
        static_cast<size_t>(RowSize(bitmap.Width(), bitmap.BitsPerPixel())) * bitmap.Height();
    std::vector<uint8_t> bits(size);
    std::copy_n(bitmap.Bits(), std::min(size, bitmap.BitsSize()), bits.data());
    return bits;
}

void DrawMasked(platform::Surface& canvas, int x, int y, int bitDepth, const uint8_t* maskBits,
                const uint8_t* colorBits, const platform::Bitmap& maskBitmap,
                const platform::Bitmap& colorBitmap, int w, int h) {
    TAlphaBitmap work;
    work.SetSize(w, h);
    const platform::Rect target{x, y, x + w, y + h};

    if (bitDepth == 32) {
        std::vector<uint8_t> readBack;
        if (!colorBits) {
            readBack = GetBitmapPixels(colorBitmap);
            colorBits = readBack.data();
        }
        work.CopyFromCanvas(canvas, target);
        for (int row = 0; row < h; ++row)
            BlendRow(colorBits + static_cast<size_t>(row) * w * 4, work.ScanLine(row), w);
    } else {
        platform::CopyBitmapToSurface(*work.Canvas(), 0, 0, colorBitmap);
    }

    TAlphaBitmap background;
    background.SetSize(w, h);
    background.CopyFromCanvas(canvas, target);
    std::vector<uint8_t> maskReadBack;
    if (!maskBits) {
        maskReadBack = GetBitmapPixels(maskBitmap);
        maskBits = maskReadBack.data();
    }
    const size_t maskRow = static_cast<size_t>(RowSize(w, 1));
    for (int row = 0; row < h; ++row) {
        const uint8_t* mask = maskBits + row * maskRow;
        uint8_t* pixel = work.ScanLine(row);
        const uint8_t* under = background.ScanLine(row);
        for (int px = 0; px < w; ++px)
            if (MaskBitSet(mask, px))
                std::memcpy(pixel + 4 * px, under + 4 * px, 4);
    }
    work.DrawTo(canvas, target);
}

void TMultiIcon::Draw(platform::Surface& canvas, const platform::Rect& rect) {
    if (GetEmpty())
        return;
    int x = rect.left, y = rect.top;
    const int64_t width = rect.Width(), height = rect.Height();
    if (FDrawAllImages) {
        const int64_t totalW = GetWidth(), totalH = GetHeight();
        if (totalW <= 0 || totalH <= 0)
            return;
        for (int i = 0; i < IconCount(); ++i) {
            const TMultiIconImage& image = FImages[static_cast<size_t>(i)];
            DrawImage(canvas, x, y, static_cast<int>(image.Width * width / totalW),
                      static_cast<int>(image.Height * height / totalH), i);
            y += static_cast<int>((image.Height + 2) * height / totalH);
        }
        return;
    }
    if (canvas.DeviceDepth() != FScreenDepth)
        UpdateMetrics();
    DrawImage(canvas, x, y, static_cast<int>(width), static_cast<int>(height), FCurrentIndex);
}

void TMultiIcon::DrawImage(platform::Surface& canvas, int x, int y, int width, int height, int i) {
    if (i < 0 || i >= IconCount() || width <= 0 || height <= 0)
        return;
    const TMultiIconImage& image = FImages[static_cast<size_t>(i)];
    if (image.IsPng) {
        if (image.Png)
            image.Png->Draw(canvas, {x, y, x + width, y + height});
        return;
    }
    if (!image.ColorBitmap || !image.MaskBitmap)
        return; // the empty record of a failed load
    if (width == image.Width && height == image.Height) {
        DrawMasked(canvas, x, y, image.BitsPerPixel, image.MaskBits, image.ColorBits,
                   *image.MaskBitmap, *image.ColorBitmap, width, height);
        return;
    }
    // Scale colour and mask once with the same nearest-pixel mapping, then composite.
    const std::unique_ptr<platform::Bitmap> color =
        GdiCheck(platform::Bitmap::CreateCompatible(*image.ColorBitmap, width, height));
    const std::unique_ptr<platform::Bitmap> mask =
        GdiCheck(platform::Bitmap::CreateMonochrome(width, height));
    const platform::Rect to{0, 0, width, height};
    const platform::Rect from{0, 0, image.Width, image.Height};
    platform::StretchBlt(*color, to, *image.ColorBitmap, from);
    platform::StretchBlt(*mask, to, *image.MaskBitmap, from);
    DrawMasked(canvas, x, y, image.BitsPerPixel, nullptr, nullptr, *mask, *color, width, height);
}

std::unique_ptr<platform::IconHandle> TMultiIcon::CreateIconHandle(int i) {
    if (GetEmpty())
        return nullptr;
    if (platform::ScreenDepth() != FScreenDepth)
        UpdateMetrics();
    if (i < 0 || i >= IconCount())
        i = FDrawAllImages ? 0 : FCurrentIndex;
    const TMultiIconImage& image = FImages[static_cast<size_t>(i)];

    // A PNG image has no header: the conversion fails here, and callers rely on that.
    const std::unique_ptr<platform::Bitmap> screen = GdiCheck(platform::Bitmap::CreateScreenBitmap(
        image.Header.get(), static_cast<size_t>(image.HeaderSize), image.ColorBits,
        static_cast<size_t>(image.ColorBitsSize)));
    const size_t xorSize = static_cast<size_t>(RowSize(image.Width, FScreenDepth)) * image.Height;
    const size_t andSize = static_cast<size_t>(RowSize(image.Width, 1)) * image.Height;
    std::vector<uint8_t> colorBuffer(xorSize), maskBuffer(xorSize);
    std::copy_n(screen->Bits(), std::min(xorSize, screen->BitsSize()), colorBuffer.data());
    if (image.MaskBits)
        std::copy_n(image.MaskBits, std::min<size_t>(andSize, image.MaskBitsSize),
                    maskBuffer.data());
    return GdiCheck(platform::IconHandle::Create(image.Width, image.Height, 1, FScreenDepth,
                                                 maskBuffer.data(), colorBuffer.data()));
}

} // namespace pictavo
