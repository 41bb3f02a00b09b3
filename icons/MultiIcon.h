#pragma once
// TMultiIcon: the images of one icon or cursor, with the one that best fits the screen
// chosen as the current image; reads and writes the ICO/CUR stream format and draws
// its images over a canvas.

#include "icons/Graphic.h"
#include "icons/PngCodec.h"
#include "platform/Raster.h"
#include "util/Exceptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

class ModuleReader; // icons in modules
class TDecodeBudget;

// One image. A bitmap image has Header, both bit blocks and both bitmaps; a PNG image
// has IsPng and Png; an all-zero record is what a failed load leaves behind. Copies
// share the header, bitmaps and Png with the container's record.
struct TMultiIconImage {
    int32_t Width = 0;
    int32_t Height = 0; // the real height, never the doubled height of the block header
    int32_t BitsPerPixel = 0;
    int32_t BytesInRes = 0;   // the data block's size; for a PNG image its byte count
    uint32_t ImageOffset = 0; // as the directory said; never used for reading
    uint32_t HotspotX = 0;
    uint32_t HotspotY = 0;
    // 40-byte BITMAPINFOHEADER (height field = Height) followed by the colour table.
    std::shared_ptr<uint8_t[]> Header;
    int32_t HeaderSize = 0;       // 40 + 4 * PaletteColors(BitsPerPixel)
    uint8_t* ColorBits = nullptr; // ColorBitmap's pixels
    int32_t ColorBitsSize = 0;    // RowSize(Width, BitsPerPixel) * Height
    std::shared_ptr<platform::Bitmap> ColorBitmap;
    uint8_t* MaskBits = nullptr; // MaskBitmap's pixels; bit set = transparent
    int32_t MaskBitsSize = 0;    // RowSize(Width, 1) * Height
    std::shared_ptr<platform::Bitmap> MaskBitmap;
    bool IsPng = false;
    std::shared_ptr<TPngImage> Png;
};

// 0 when b is 0; otherwise a / b rounded up when the remainder is positive.
int DivUp(int a, int b);
// One bitmap row of `width` pixels at `bpp`, padded to 4 bytes.
int RowSize(int width, int bpp);
// Colour-table entries for a bit depth: 2^bpp up to 8 bits, 0 above.
int PaletteColors(int bpp);
// Releases everything the record holds and zeroes it.
void FreeImage(TMultiIconImage& image);

// Returns the platform object, or raises EOutOfResources when it could not be made.
template <typename Handle> Handle GdiCheck(Handle handle) {
    if (!handle)
        throw EOutOfResources("GDI object could not be created.");
    return handle;
}

// ---- Image data blocks, shared by the ICO/CUR stream loader and the module loader ----

// The parts of a bitmap image block (40-byte header, colour table, colour bits, mask
// bits) as its header describes them. `valid` is false when a size is negative or too
// large to be real.
struct BitmapBlockLayout {
    int32_t width = 0;
    int32_t height = 0; // the header's height / 2
    int32_t bitsPerPixel = 0;
    int64_t headerSize = 0; // header and colour table
    int64_t colorSize = 0;
    int64_t maskSize = 0;
    bool valid = false;
    int64_t Total() const { return headerSize + colorSize + maskSize; }
};
// `header` must hold at least 40 bytes.
BitmapBlockLayout MeasureBitmapBlock(const uint8_t* header);

// Fills a bitmap image record from a block in memory: BitsPerPixel, Width, Height,
// HeaderSize and Header (height field halved, image-size field as in the block), then
// ColorBitmap/ColorBits and MaskBitmap/MaskBits copied from the block. The other fields
// (BytesInRes, hotspot, offset) are the caller's. Raises Exception(shortBlockMessage)
// when the block is shorter than the header says, EOutOfResources (GdiCheck) when a
// bitmap cannot be made, "Error while allocating icon data" when it has no pixels.
void ReadBitmapImageBlock(TMultiIconImage& image, const uint8_t* block, size_t size,
                          const char* shortBlockMessage = "Invalid icon format");
// Fills a PNG image record from a complete PNG (or MNG) file in memory: IsPng and Png,
// Width, Height and BitsPerPixel as the picture itself has them (ReadPngBitsPerPixel).
// BytesInRes and the hotspot stay the caller's. Decoder errors (EInvalidGraphic) propagate.
void ReadPngImageBlock(TMultiIconImage& image, const uint8_t* block, size_t size);

// Whether LoadFromStream would give at least one image, judged from the stream's
// structure without decoding a pixel: the header, the directory and each block's sizes
// as the loader checks them, a PNG image by its header chunk. Probes of arbitrary files
// (the folder scan) use it; a PNG whose compressed data is damaged passes here and
// fails when the icon is loaded.
bool IconStreamHasImages(Stream& stream);

class TMultiIcon : public TGraphic {
public:
    TMultiIcon();
    ~TMultiIcon() override;

    const char* ClassName() const override { return "TMultiIcon"; }

    void Assign(const TGraphic* source) override;
    // UpdateMetrics, then the observers.
    void Changed() override;
    // Draws the current image scaled into rect, composited over the canvas.
    void Draw(platform::Surface& canvas, const platform::Rect& rect) override;
    bool GetEmpty() const override { return IconCount() == 0; }
    int GetHeight() const override;
    bool GetTransparent() const override { return true; }
    int GetWidth() const override;
    void SetHeight(int value) override;
    void SetTransparent(bool value) override;
    void SetWidth(int value) override;
    // The ICO/CUR stream format. A null stream does nothing.
    void LoadFromStream(Stream* stream) override;
    void SaveToStream(Stream* stream) override;
    // The images as an icon file (type 1, planes and depth in the entries), also when the
    // container holds a cursor: the form in which an icon library takes a cursor's images.
    void SaveAsIconToStream(Stream* stream);

    // Recomputes ScreenDepth and the extents and picks the current image.
    virtual void UpdateMetrics();
    // Frees every image, then UpdateMetrics.
    virtual void ClearImages();

    int IconCount() const { return static_cast<int>(FImages.size()); }
    int CurrentIndex() const { return FCurrentIndex; }
    bool IsCursor() const { return FIsCursor; }
    int ScreenDepth() const { return FScreenDepth; }
    int ExtentWidth() const { return FExtentWidth; }
    int ExtentHeight() const { return FExtentHeight; }
    bool DrawAllImages() const { return FDrawAllImages; }
    bool OptimalIcon() const { return FOptimalIcon; }
    float OversizePenalty() const { return FOversizePenalty; }
    void SetOversizePenalty(float value) { FOversizePenalty = value; }
    int PreferredWidth() const { return FPreferredWidth; }
    int PreferredHeight() const { return FPreferredHeight; }

    void SetDrawAllImages(bool value);
    void SetOptimalIcon(bool value);
    // Ignored unless both sides are positive; otherwise stores them and sends Changed.
    void SetPreferredSize(int width, int height);

    // A copy of record i sharing its data; a zeroed record when i is out of range.
    TMultiIconImage GetIconData(int i) const;
    void GetIconDimensions(int i, int& width, int& height) const;
    int GetIconWidth(int i) const;
    int GetIconHeight(int i) const;
    void DeleteIcon(int i);

    // Changes the canvas of image i, keeping the old pixels centred.
    void SetIconSize(int i, int width, int height);
    void SetIconWidth(int i, int width);
    void SetIconHeight(int i, int height);

    // A new platform icon of image i at the screen's depth; null for an empty
    // container. Raises EOutOfResources for a PNG image.
    std::unique_ptr<platform::IconHandle> CreateIconHandle(int i);

    // ---- Icons in modules (defined in ModuleIcons.cpp) ----
    // Replaces the images with those of icon group number n (0-based, in enumeration
    // order) of a module file. Raises "Invalid module or no icon resources",
    // "Invalid icon resource index" or "Invalid icon resource".
    void LoadFromModule(const std::string& fileName, int n);
    // Finds the name of icon group n and loads it with LoadGroupResource.
    void LoadModuleIcon(const ModuleReader& module, int n);
    // Loads the group resource with that name ("#123" for a numeric id). Entries that
    // name the same bytes share one decoded picture; the pictures may take IconDecodeLimit
    // in all, and are also taken from `fileBudget` when one is given. Raises
    // EInvalidGraphic "Icon too large: ..." (or the file budget's text) beyond that.
    void LoadGroupResource(const ModuleReader& module, const std::string& name,
                           TDecodeBudget* fileBudget = nullptr);
    // LoadGroupResource of an icon group, whatever the container held before: a cursor
    // shown earlier must not turn the next icon of a module into a cursor lookup.
    void LoadIconGroupResource(const ModuleReader& module, const std::string& name,
                               TDecodeBudget* fileBudget = nullptr);
    // The same for a cursor group: the container becomes a cursor with the images' hotspots.
    void LoadCursorGroupResource(const ModuleReader& module, const std::string& name,
                                 TDecodeBudget* fileBudget = nullptr);
    // ---- end of icons in modules ----

protected:
    // Draws image i into the cell (x, y, width, height); nothing when i is out of range.
    void DrawImage(platform::Surface& canvas, int x, int y, int width, int height, int i);

    int FScreenDepth = 0;
    bool FConstructing = false;
    int FCurrentIndex = -1;
    bool FIsCursor = false;
    bool FDrawAllImages = false;
    std::vector<TMultiIconImage> FImages;
    int FExtentHeight = 0;
    int FExtentWidth = 0;
    bool FOptimalIcon = true;
    float FOversizePenalty = 1000.0f;
    int FPreferredWidth = 32;
    int FPreferredHeight = 32;

private:
    // The group `name` of the cursor or icon group type; the container takes that kind
    // once the group is found valid.
    void LoadGroup(const ModuleReader& module, const std::string& name, bool cursor,
                   TDecodeBudget* fileBudget);
    void WriteContainer(Stream* stream, bool asCursor);
    void LoadImageBlock(Stream& stream, TMultiIconImage& image, TDecodeBudget& budget);
};

// The compositing step of icon drawing: composes the w x h colour image over the
// canvas at (x, y), alpha-blended at 32 bits, cut out by the mask. When colorBits or
// maskBits is null they are read from the bitmaps.
void DrawMasked(platform::Surface& canvas, int x, int y, int bitDepth, const uint8_t* maskBits,
                const uint8_t* colorBits, const platform::Bitmap& maskBitmap,
                const platform::Bitmap& colorBitmap, int w, int h);
// All rows of a bitmap, bottom-up, RowSize(width, bpp) bytes each.
std::vector<uint8_t> GetBitmapPixels(const platform::Bitmap& bitmap);

} // namespace pictavo
