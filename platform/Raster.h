#pragma once
// The graphics stand-in for the device-independent bitmaps, device contexts and icon
// handles the program was designed around:
//  - Surface: a 32-bit BGRA drawing target (a "canvas"), owning its pixels or viewing
//    memory owned elsewhere (a QImage's, for instance);
//  - Bitmap: a DIB of 1, 4, 8, 16, 24 or 32 bits per pixel with a colour table and
//    bottom-up rows padded to 4 bytes, whose pixel memory is directly addressable;
//  - IconHandle: an icon at the screen's depth with a 1-bit mask, drawn like
//    DrawIconEx in normal mode.
// Every factory answers null when the object cannot be made; the caller decides how
// to report that.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pictavo::platform {

// Bits per pixel of the screen (planes x bits). 32 unless a test asks for 16 or 24.
int ScreenDepth();
// Accepts 16, 24 and 32; other values are ignored.
void SetScreenDepth(int depth);

// Size of one DIB row of `width` pixels at `bitsPerPixel`, padded to 4 bytes; -1 when
// the width or depth is not positive or the row would not fit in 2 GB.
int64_t DibRowBytes(int64_t width, int64_t bitsPerPixel);
// The bit depths a device-independent bitmap can have: 1, 4, 8, 16, 24 and 32.
bool IsDibDepth(int bpp);

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// How a canvas maps its coordinates. Only Text (one unit is one pixel) is drawn
// pixel for pixel; any other mode makes compositing fall back to a filled background.
enum class MapMode { Text, Scaled };

// A 32-bit canvas: blue, green, red, alpha per pixel. Coordinates are top-down
// (y 0 is the top row) whatever the memory order.
class Surface {
public:
    // An owning surface with bottom-up rows, pixels zeroed; null when w or h is not
    // positive or the pixels would not fit in memory.
    static std::unique_ptr<Surface> Create(int width, int height);
    // A surface over memory owned by the caller: rows `stride` bytes apart, top-down
    // (QImage) or bottom-up (DIB). The memory must outlive the surface.
    static std::unique_ptr<Surface> View(uint8_t* pixels, int width, int height, int stride,
                                         bool bottomUp);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool BottomUp() const { return bottomUp_; }
    // Row `y` counted from the top.
    uint8_t* Row(int y) { return pixels_ + static_cast<ptrdiff_t>(MemoryRow(y)) * stride_; }
    const uint8_t* Row(int y) const {
        return pixels_ + static_cast<ptrdiff_t>(MemoryRow(y)) * stride_;
    }
    // Row `row` in memory order (the first row in memory is row 0).
    uint8_t* ScanLine(int row) { return pixels_ + static_cast<ptrdiff_t>(row) * stride_; }
    uint8_t* Pixels() { return pixels_; }

    uint32_t PixelAt(int x, int y) const; // 0xAARRGGBB as stored in memory
    void SetPixel(int x, int y, uint32_t bgra);

    // Device state a drawing routine may consult.
    int DeviceDepth() const; // the screen's depth unless set
    void SetDeviceDepth(int depth) { deviceDepth_ = depth; }
    MapMode GetMapMode() const { return mapMode_; }
    void SetMapMode(MapMode mode) { mapMode_ = mode; }
    uint32_t BrushColor() const { return brushColor_; } // 0x00BBGGRR
    void SetBrushColor(uint32_t color) { brushColor_ = color; }
    uint32_t BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(uint32_t color) { backgroundColor_ = color; }
    bool OpaqueBackground() const { return opaqueBackground_; }
    void SetOpaqueBackground(bool opaque) { opaqueBackground_ = opaque; }

    // Fills the rectangle (clipped) with the brush colour, alpha 255.
    void FillRect(const Rect& rect);

private:
    Surface() = default;
    int MemoryRow(int y) const { return bottomUp_ ? height_ - 1 - y : y; }

    std::vector<uint8_t> owned_;
    uint8_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    bool bottomUp_ = true;
    int deviceDepth_ = 0;
    MapMode mapMode_ = MapMode::Text;
    uint32_t brushColor_ = 0xFFFFFF;
    uint32_t backgroundColor_ = 0xFFFFFF;
    bool opaqueBackground_ = true;
};

// Nearest-pixel copy of srcRect of src onto dstRect of dst (StretchBlt in copy mode;
// a plain copy when the sizes agree). Pixels outside either surface are skipped.
void StretchBlt(Surface& dst, const Rect& dstRect, const Surface& src, const Rect& srcRect);

// A device-independent bitmap: bottom-up rows of DibRowBytes(width, bpp) bytes.
class Bitmap {
public:
    // CreateDIBSection: from a 40-byte BITMAPINFOHEADER followed by the colour table
    // (2^bpp entries of 4 bytes for 1, 4 and 8 bits). Null when there is no header,
    // the header or table is shorter than that, the width or height is not positive,
    // the depth is not 1/4/8/16/24/32, or the pixels would exceed 256 MB. Only width,
    // height and bit count are read; 16 bits are 5-5-5. Pixels start zeroed.
    static std::unique_ptr<Bitmap> CreateDIBSection(const uint8_t* header, size_t headerSize);
    // A 1-bit bitmap with the table black, white.
    static std::unique_ptr<Bitmap> CreateMonochrome(int width, int height);
    // A bitmap of another size with the format (depth and colour table) of `like`.
    static std::unique_ptr<Bitmap> CreateCompatible(const Bitmap& like, int width, int height);
    // CreateDIBitmap: the DIB given by header and bits converted to the screen's format
    // (ScreenDepth bits, no table; 32 bits keep a 32-bit source's alpha, else alpha 0).
    // Null when there is no header or the bits are fewer than the header needs.
    static std::unique_ptr<Bitmap> CreateScreenBitmap(const uint8_t* header, size_t headerSize,
                                                      const uint8_t* bits, size_t bitsSize);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }
    int RowBytes() const { return rowBytes_; }
    uint8_t* Bits() { return bits_.data(); }
    const uint8_t* Bits() const { return bits_.data(); }
    size_t BitsSize() const { return bits_.size(); }
    const std::vector<uint32_t>& ColorTable() const { return table_; }

    // The raw pixel value at (x, y from the top): a table index or the packed colour.
    uint32_t RawPixel(int x, int y) const;
    void SetRawPixel(int x, int y, uint32_t value);
    // The pixel as blue, green, red, alpha (0xAARRGGBB); alpha is 0 below 32 bits.
    uint32_t PixelBGRA(int x, int y) const;

private:
    Bitmap() = default;
    static std::unique_ptr<Bitmap> Make(int width, int height, int bpp);

    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    int rowBytes_ = 0;
    std::vector<uint32_t> table_; // 0x00RRGGBB as stored (blue, green, red, reserved)
    std::vector<uint8_t> bits_;
};

// Nearest-pixel copy between bitmaps of the same depth (raw values are copied).
void StretchBlt(Bitmap& dst, const Rect& dstRect, const Bitmap& src, const Rect& srcRect);
// BitBlt of a whole bitmap into a 32-bit surface at (x, y): every pixel converted to
// blue, green, red, alpha (alpha 0 below 32 bits).
void CopyBitmapToSurface(Surface& dst, int x, int y, const Bitmap& src);

// An icon at a device depth: colour bits of DibRowBytes(width, depth) rows and a
// 1-bit AND mask of DibRowBytes(width, 1) rows, both bottom-up.
class IconHandle {
public:
    // CreateIcon. Null when a size is not positive, planes is not 1, the depth is not
    // 16, 24 or 32, or a bit block is missing. Copies both blocks.
    static std::unique_ptr<IconHandle> Create(int width, int height, int planes, int bitsPerPixel,
                                              const uint8_t* andBits, const uint8_t* xorBits);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }
    const std::vector<uint8_t>& ColorBits() const { return color_; }
    const std::vector<uint8_t>& MaskBits() const { return mask_; }
    bool MaskBit(int x, int y) const; // y from the top; true = transparent

private:
    IconHandle() = default;
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    std::vector<uint8_t> color_;
    std::vector<uint8_t> mask_;
};

// DrawIconEx in normal mode at the icon's own size: a 32-bit icon with any non-zero
// alpha is alpha-blended; otherwise each pixel is ANDed with the mask, then XORed with
// the colour.
void DrawIcon(Surface& dst, int x, int y, const IconHandle& icon);

} // namespace pictavo::platform
