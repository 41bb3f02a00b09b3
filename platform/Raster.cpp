#include "platform/Raster.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace pictavo::platform {

namespace {

int screenDepth = 32;

// Nothing the program draws comes near this; it keeps a hostile size from asking
// for gigabytes.
constexpr int64_t MaxPixelBytes = int64_t{256} << 20;

int32_t LoadI32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) |
                                (static_cast<uint32_t>(p[3]) << 24));
}

uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Packs blue, green, red into 5-5-5.
uint16_t To555(uint32_t bgra) {
    const uint32_t b = bgra & 0xFF, g = (bgra >> 8) & 0xFF, r = (bgra >> 16) & 0xFF;
    return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

uint32_t From555(uint32_t v) {
    const uint32_t r5 = (v >> 10) & 0x1F, g5 = (v >> 5) & 0x1F, b5 = v & 0x1F;
    const uint32_t r = (r5 << 3) | (r5 >> 2), g = (g5 << 3) | (g5 >> 2), b = (b5 << 3) | (b5 >> 2);
    return b | (g << 8) | (r << 16);
}

// Reads the value of pixel x from a row of packed pixels at `bpp`.
uint32_t ReadPacked(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8:
        return row[x];
    case 16:
        return LoadU16(row + 2 * x);
    case 24: {
        const uint8_t* p = row + 3 * x;
        return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    default: {
        const uint8_t* p = row + 4 * x;
        return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
    }
    }
}

void WritePacked(uint8_t* row, int x, int bpp, uint32_t value) {
    switch (bpp) {
    case 1: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(value);
        break;
    case 16:
        row[2 * x] = static_cast<uint8_t>(value);
        row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        break;
    case 24:
        for (int i = 0; i < 3; ++i)
            row[3 * x + i] = static_cast<uint8_t>(value >> (8 * i));
        break;
    default:
        for (int i = 0; i < 4; ++i)
            row[4 * x + i] = static_cast<uint8_t>(value >> (8 * i));
        break;
    }
}

// A raw value at `bpp` (with its colour table) as blue, green, red, alpha.
uint32_t ToBGRA(uint32_t raw, int bpp, const std::vector<uint32_t>& table) {
    if (bpp <= 8)
        return raw < table.size() ? table[raw] & 0x00FFFFFF : 0;
    if (bpp == 16)
        return From555(raw);
    if (bpp == 24)
        return raw & 0x00FFFFFF;
    return raw;
}

// Blue, green, red, alpha as a raw device value at 16, 24 or 32 bits.
uint32_t FromBGRA(uint32_t bgra, int bpp) {
    if (bpp == 16)
        return To555(bgra);
    if (bpp == 24)
        return bgra & 0x00FFFFFF;
    return bgra;
}

// Source coordinate for destination offset d when n destination pixels map onto m.
int NearestSource(int d, int n, int m) {
    return static_cast<int>(static_cast<int64_t>(d) * m / n);
}

// The nearest-pixel walk of StretchBlt: calls copy(tx, ty, fx, fy) for every pixel of
// dstRect inside the destination whose source pixel lies inside the source.
template <typename CopyPixel>
void StretchPixels(const Rect& dstRect, int dstWidth, int dstHeight, const Rect& srcRect,
                   int srcWidth, int srcHeight, CopyPixel copy) {
    const int dw = dstRect.Width(), dh = dstRect.Height();
    const int sw = srcRect.Width(), sh = srcRect.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    for (int dy = 0; dy < dh; ++dy) {
        const int ty = dstRect.top + dy;
        const int fy = srcRect.top + NearestSource(dy, dh, sh);
        if (ty < 0 || ty >= dstHeight || fy < 0 || fy >= srcHeight)
            continue;
        for (int dx = 0; dx < dw; ++dx) {
            const int tx = dstRect.left + dx;
            const int fx = srcRect.left + NearestSource(dx, dw, sw);
            if (tx >= 0 && tx < dstWidth && fx >= 0 && fx < srcWidth)
                copy(tx, ty, fx, fy);
        }
    }
}

// A same-size copy, clipped to both surfaces, a row at a time.
void CopyRect(Surface& dst, const Rect& dstRect, const Surface& src, const Rect& srcRect) {
    const int shiftX = srcRect.left - dstRect.left, shiftY = srcRect.top - dstRect.top;
    const int left = std::max({dstRect.left, 0, -shiftX});
    const int right = std::min({dstRect.right, dst.Width(), src.Width() - shiftX});
    const int top = std::max({dstRect.top, 0, -shiftY});
    const int bottom = std::min({dstRect.bottom, dst.Height(), src.Height() - shiftY});
    if (left >= right)
        return;
    for (int y = top; y < bottom; ++y)
        std::memcpy(dst.Row(y) + 4 * left, src.Row(y + shiftY) + 4 * (left + shiftX),
                    4 * static_cast<size_t>(right - left));
}

} // namespace

int ScreenDepth() {
    return screenDepth;
}

void SetScreenDepth(int depth) {
    if (depth == 16 || depth == 24 || depth == 32)
        screenDepth = depth;
}

int64_t DibRowBytes(int64_t width, int64_t bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0 || width > INT32_MAX || bitsPerPixel > 64)
        return -1;
    const int64_t bytes = (width * bitsPerPixel + 31) / 32 * 4;
    return bytes > INT32_MAX ? -1 : bytes;
}

// ---- Surface ----

std::unique_ptr<Surface> Surface::Create(int width, int height) {
    if (width <= 0 || height <= 0 || int64_t{width} * height > MaxPixelBytes / 4)
        return nullptr;
    std::unique_ptr<Surface> surface(new Surface);
    try {
        surface->owned_.assign(static_cast<size_t>(width) * height * 4, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    surface->pixels_ = surface->owned_.data();
    surface->width_ = width;
    surface->height_ = height;
    surface->stride_ = width * 4;
    surface->bottomUp_ = true;
    return surface;
}

std::unique_ptr<Surface> Surface::View(uint8_t* pixels, int width, int height, int stride,
                                       bool bottomUp) {
    if (!pixels || width <= 0 || height <= 0 || stride < int64_t{width} * 4)
        return nullptr;
    std::unique_ptr<Surface> surface(new Surface);
    surface->pixels_ = pixels;
    surface->width_ = width;
    surface->height_ = height;
    surface->stride_ = stride;
    surface->bottomUp_ = bottomUp;
    return surface;
}

uint32_t Surface::PixelAt(int x, int y) const {
    const uint8_t* p = Row(y) + 4 * x;
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void Surface::SetPixel(int x, int y, uint32_t bgra) {
    uint8_t* p = Row(y) + 4 * x;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(bgra >> (8 * i));
}

int Surface::DeviceDepth() const {
    return deviceDepth_ ? deviceDepth_ : ScreenDepth();
}

void Surface::FillRect(const Rect& rect) {
    const int left = std::max(rect.left, 0), right = std::min(rect.right, width_);
    const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, height_);
    const uint32_t bgra = ((brushColor_ & 0xFF) << 16) | (brushColor_ & 0xFF00) |
                          ((brushColor_ >> 16) & 0xFF) | 0xFF000000u;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            SetPixel(x, y, bgra);
}

void StretchBlt(Surface& dst, const Rect& dstRect, const Surface& src, const Rect& srcRect) {
    if (dstRect.Width() == srcRect.Width() && dstRect.Height() == srcRect.Height()) {
        if (dstRect.Width() > 0 && dstRect.Height() > 0)
            CopyRect(dst, dstRect, src, srcRect);
        return;
    }
    StretchPixels(dstRect, dst.Width(), dst.Height(), srcRect, src.Width(), src.Height(),
                  [&](int tx, int ty, int fx, int fy) {
                      std::copy_n(src.Row(fy) + 4 * fx, 4, dst.Row(ty) + 4 * tx);
                  });
}

// ---- Bitmap ----

bool IsDibDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

std::unique_ptr<Bitmap> Bitmap::Make(int width, int height, int bpp) {
    if (width <= 0 || height <= 0 || !IsDibDepth(bpp))
        return nullptr;
    const int64_t row = DibRowBytes(width, bpp);
    if (row < 0 || row * height > MaxPixelBytes)
        return nullptr;
    std::unique_ptr<Bitmap> bitmap(new Bitmap);
    try {
        bitmap->bits_.assign(static_cast<size_t>(row * height), 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    bitmap->width_ = width;
    bitmap->height_ = height;
    bitmap->bpp_ = bpp;
    bitmap->rowBytes_ = static_cast<int>(row);
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::CreateDIBSection(const uint8_t* header, size_t headerSize) {
    if (!header || headerSize < 40)
        return nullptr;
    const int bpp = LoadU16(header + 14);
    const size_t colors = bpp <= 8 ? size_t{1} << bpp : 0;
    if (headerSize < 40 + 4 * colors)
        return nullptr;
    std::unique_ptr<Bitmap> bitmap = Make(LoadI32(header + 4), LoadI32(header + 8), bpp);
    if (!bitmap)
        return nullptr;
    for (size_t i = 0; i < colors; ++i)
        bitmap->table_.push_back(static_cast<uint32_t>(LoadI32(header + 40 + 4 * i)));
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::CreateMonochrome(int width, int height) {
    std::unique_ptr<Bitmap> bitmap = Make(width, height, 1);
    if (bitmap)
        bitmap->table_ = {0x000000, 0xFFFFFF};
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::CreateCompatible(const Bitmap& like, int width, int height) {
    std::unique_ptr<Bitmap> bitmap = Make(width, height, like.bpp_);
    if (bitmap)
        bitmap->table_ = like.table_;
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::CreateScreenBitmap(const uint8_t* header, size_t headerSize,
                                                   const uint8_t* bits, size_t bitsSize) {
    std::unique_ptr<Bitmap> source = CreateDIBSection(header, headerSize);
    if (!source || !bits || bitsSize < source->BitsSize())
        return nullptr;
    std::copy_n(bits, source->BitsSize(), source->Bits());
    std::unique_ptr<Bitmap> screen = Make(source->width_, source->height_, screenDepth);
    if (!screen)
        return nullptr;
    for (int y = 0; y < source->height_; ++y)
        for (int x = 0; x < source->width_; ++x)
            screen->SetRawPixel(x, y, FromBGRA(source->PixelBGRA(x, y), screenDepth));
    return screen;
}

uint32_t Bitmap::RawPixel(int x, int y) const {
    return ReadPacked(bits_.data() + static_cast<size_t>(height_ - 1 - y) * rowBytes_, x, bpp_);
}

void Bitmap::SetRawPixel(int x, int y, uint32_t value) {
    WritePacked(bits_.data() + static_cast<size_t>(height_ - 1 - y) * rowBytes_, x, bpp_, value);
}

uint32_t Bitmap::PixelBGRA(int x, int y) const {
    return ToBGRA(RawPixel(x, y), bpp_, table_);
}

void StretchBlt(Bitmap& dst, const Rect& dstRect, const Bitmap& src, const Rect& srcRect) {
    if (dst.BitsPerPixel() != src.BitsPerPixel())
        return;
    StretchPixels(
        dstRect, dst.Width(), dst.Height(), srcRect, src.Width(), src.Height(),
        [&](int tx, int ty, int fx, int fy) { dst.SetRawPixel(tx, ty, src.RawPixel(fx, fy)); });
}

void CopyBitmapToSurface(Surface& dst, int x, int y, const Bitmap& src) {
    for (int sy = 0; sy < src.Height(); ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= dst.Height())
            continue;
        for (int sx = 0; sx < src.Width(); ++sx) {
            const int tx = x + sx;
            if (tx >= 0 && tx < dst.Width())
                dst.SetPixel(tx, ty, src.PixelBGRA(sx, sy));
        }
    }
}

// ---- IconHandle ----

std::unique_ptr<IconHandle> IconHandle::Create(int width, int height, int planes, int bitsPerPixel,
                                               const uint8_t* andBits, const uint8_t* xorBits) {
    if (width <= 0 || height <= 0 || planes != 1 || !andBits || !xorBits)
        return nullptr;
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return nullptr;
    const int64_t colorRow = DibRowBytes(width, bitsPerPixel);
    const int64_t maskRow = DibRowBytes(width, 1);
    if (colorRow < 0 || colorRow * height > MaxPixelBytes)
        return nullptr;
    std::unique_ptr<IconHandle> icon(new IconHandle);
    icon->width_ = width;
    icon->height_ = height;
    icon->bpp_ = bitsPerPixel;
    icon->color_.assign(xorBits, xorBits + colorRow * height);
    icon->mask_.assign(andBits, andBits + maskRow * height);
    return icon;
}

bool IconHandle::MaskBit(int x, int y) const {
    const size_t row = static_cast<size_t>(DibRowBytes(width_, 1)) * (height_ - 1 - y);
    return ReadPacked(mask_.data() + row, x, 1) != 0;
}

void DrawIcon(Surface& dst, int x, int y, const IconHandle& icon) {
    const size_t colorRow = static_cast<size_t>(DibRowBytes(icon.Width(), icon.BitsPerPixel()));
    auto colorAt = [&](int ix, int iy) {
        const uint8_t* row = icon.ColorBits().data() + colorRow * (icon.Height() - 1 - iy);
        return ToBGRA(ReadPacked(row, ix, icon.BitsPerPixel()), icon.BitsPerPixel(), {});
    };
    bool hasAlpha = false;
    if (icon.BitsPerPixel() == 32)
        for (int iy = 0; iy < icon.Height() && !hasAlpha; ++iy)
            for (int ix = 0; ix < icon.Width() && !hasAlpha; ++ix)
                hasAlpha = (colorAt(ix, iy) >> 24) != 0;

    for (int iy = 0; iy < icon.Height(); ++iy) {
        const int ty = y + iy;
        if (ty < 0 || ty >= dst.Height())
            continue;
        for (int ix = 0; ix < icon.Width(); ++ix) {
            const int tx = x + ix;
            if (tx < 0 || tx >= dst.Width())
                continue;
            const uint32_t color = colorAt(ix, iy);
            const uint32_t under = dst.PixelAt(tx, ty);
            uint32_t result = 0;
            if (hasAlpha) {
                const uint32_t a = color >> 24;
                for (int c = 0; c < 24; c += 8) {
                    const uint32_t s = (color >> c) & 0xFF, d = (under >> c) & 0xFF;
                    result |= ((s * a + d * (255 - a) + 127) / 255) << c;
                }
                const uint32_t da = under >> 24;
                result |= (a + (da * (255 - a) + 127) / 255) << 24;
            } else if (icon.MaskBit(ix, iy)) {
                result = (under ^ color) & 0x00FFFFFF;
                result |= under & 0xFF000000u;
            } else {
                result = (color & 0x00FFFFFF) | 0xFF000000u;
            }
            dst.SetPixel(tx, ty, result);
        }
    }
}

} // namespace pictavo::platform
