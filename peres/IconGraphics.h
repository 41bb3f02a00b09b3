#pragma once
// Icon and cursor graphics whose images are kept in the byte form a PE module stores
// them in (RT_ICON / RT_CURSOR data): TExIcon reads and writes .ico containers,
// TExCursor .cur containers. The icon-group resources use them to turn a file into
// resource-format images and a single image resource back into a graphic.
//
// Also here: the pixel-format codes shared by the icon, cursor and bitmap resources,
// and the platform palettes the default images are made from.
//
// Images are built only from data (files, streams, resources). There is no path that
// reads image data back from a drawn icon handle: an image without data is refused
// with "无效的图标或光标" wherever its data is needed.

#include "platform/Raster.h"
#include "util/Bytes.h"
#include "util/Color.h"
#include "util/Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

struct IconDirectory;

// The pixel formats of the graphics library, by code.
enum class TPixelFormat : int {
    pfDevice = 0,
    pf1bit = 1,
    pf4bit = 2,
    pf8bit = 3,
    pf15bit = 4, // 16 bits, no compression
    pf16bit = 5, // 16 bits, 5-6-5 bit fields
    pf24bit = 6,
    pf32bit = 7,
};

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr size_t BitmapInfoHeaderSize = 40;

// Bits per pixel of a format: 0, 1, 4, 8, 16, 16, 24, 32.
int PixelFormatBits(TPixelFormat format);
// Colours of a palette format (2, 16, 256); 0 for the others.
int PixelFormatColors(TPixelFormat format);
// The format of a bit count and compression; raises EInvalidGraphic
// "图标或光标像素格式无效" for any other bit count, or 16 bits not compressed with 0 or 3.
TPixelFormat PixelFormatOfBitCount(int bitCount, uint32_t compression);
// The format of the BITMAPINFOHEADER at `header`; `size` bytes are available there.
// Raises "无效的图标或光标" when fewer than 40 bytes are available.
TPixelFormat PixelFormatOfHeader(const uint8_t* header, size_t size);
// Colour-table entries of a BITMAPINFOHEADER (at least 40 bytes): 0 above 8 bits,
// else biClrUsed when non-zero, else 2 ^ biBitCount.
uint32_t ColorTableEntries(const uint8_t* header);
// The same of the header at the start of `info`; a view shorter than the fields fails.
uint32_t ColorTableEntries(const ByteView& info);
// The header the bitmap layer takes: the first 40 bytes of `header` with their own size
// and `height`, and for depths up to 8 bits a full colour table: the whole entries of
// `table` up to that size, then black.
std::vector<uint8_t> BitmapLayerHeader(const ByteView& header, int32_t height,
                                       const ByteView& table);

// The palettes of the platform, made once: 2 colours (black, white), the 16-colour
// system palette, and the 256-colour palette (colour cube, greys, the 16 system
// colours). Answers the one for pf1bit, pf4bit or pf8bit; empty for other formats.
const std::vector<TColor>& PlatformPalette(TPixelFormat format);

// One image of an icon or cursor graphic, shared between graphics (Assign shares it).
class TExIconImage {
public:
    TExIconImage(bool isIcon, int width, int height, TPixelFormat pixelFormat);
    TExIconImage(const TExIconImage&) = delete;
    TExIconImage& operator=(const TExIconImage&) = delete;

    bool IsIcon() const { return FIsIcon; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format) {
        FPixelFormat = format;
        FPngBitCount = 0;
    }
    // The bit count an entry states: the format's bits; for a PNG image (drawn as 32
    // bits) the picture's own depth, set after the format.
    int BitCount() const { return FPngBitCount != 0 ? FPngBitCount : PixelFormatBits(FPixelFormat); }
    void SetPngBitCount(int bits) { FPngBitCount = bits; }

    // The resource-format bytes: for a cursor the hot spot x, y (16 bits each), then
    // BITMAPINFOHEADER, colour table or masks, XOR bitmap, AND mask.
    MemoryStream& ImageData() { return FImageData; }
    const MemoryStream& ImageData() const { return FImageData; }
    // ImageData, refusing an image that has none ("无效的图标或光标").
    const MemoryStream& ResourceData() const;
    // ImageData as a bounded view; a read outside raises "无效的图标或光标".
    ByteView DataView() const;
    bool HasData() const { return !FImageData.Bytes().empty(); }
    // Forgets the palette and handle made from the previous data.
    void DataChanged();

    // The colour table of a 1-, 4- or 8-bit image (0x00BBGGRR), made on first use;
    // empty for other depths.
    const std::vector<TColor>& Palette();
    bool PaletteMade() const { return FPaletteMade; }
    // The icon handle for drawing, made on first use from the data. Null when the
    // data cannot be turned into an icon (PNG images, damaged bitmaps).
    const platform::IconHandle* Handle();

    // Offset of the BITMAPINFOHEADER inside ImageData: 4 for a cursor, else 0.
    size_t HeaderOffset() const { return FIsIcon ? 0 : 4; }

private:
    bool FIsIcon;
    int FWidth;
    int FHeight;
    TPixelFormat FPixelFormat;
    int FPngBitCount = 0;
    MemoryStream FImageData;
    std::vector<TColor> FPalette;
    bool FPaletteMade = false;
    std::unique_ptr<platform::IconHandle> FHandle;
    bool FHandleTried = false;
};

// The graphic holding the images of one icon or cursor file.
class TExIconCursor {
public:
    virtual ~TExIconCursor() = default;
    TExIconCursor(const TExIconCursor&) = delete;
    TExIconCursor& operator=(const TExIconCursor&) = delete;

    virtual const char* ClassName() const = 0;
    // True for TExIcon: the container kind is 1 (icon) rather than 2 (cursor).
    virtual bool IsIcon() const = 0;

    int ImageCount() const { return static_cast<int>(FImages.size()); }
    // Raises EListError outside 0..ImageCount - 1.
    TExIconImage& Image(int index) const;
    int CurrentImage() const { return FCurrentImage; }
    void SetCurrentImage(int index);

    // Shares the images of another graphic of the same class; raises EConvertError
    // for another class.
    void Assign(const TExIconCursor& source);
    // Draws the current image at the rectangle's top-left corner at its own size.
    void Draw(platform::Surface& canvas, const platform::Rect& rect);
    // True when there is no current image or it has no data.
    bool GetEmpty() const;
    int GetWidth() const;
    int GetHeight() const;
    // A new size replaces the current image with an empty one of that size.
    void SetWidth(int value);
    void SetHeight(int value);
    bool GetTransparent() const { return true; }
    // The colour table of the current image (empty above 8 bits).
    const std::vector<TColor>& GetPalette();

    // Reads a container whose images carry their resource-format data; the offsets
    // of the directory count from the stream's position on entry. Raises
    // EInvalidGraphic "无效的图标或光标" for a wrong kind, a stream too short for its
    // header or directory, or an image outside the stream, and
    // "图标或光标像素格式无效" for an unsupported image (PNG included).
    virtual void LoadFromStream(Stream& stream);
    // Writes the container with every image's data unchanged.
    virtual void SaveToStream(Stream& stream);
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);

    // Called after the images changed.
    virtual void Changed() {}

protected:
    TExIconCursor() = default;
    // Replaces the images by `count` new images without data.
    void MakeImages(int count);
    // Copies `size` bytes at `offset` (from `base`) of the stream into the image,
    // clears biSizeImage and sets the pixel format. `prefix` is written first.
    void ReadImageData(Stream& stream, int64_t base, TExIconImage& image, uint32_t offset,
                       uint32_t size, const std::vector<uint8_t>& prefix);
    void FinishLoading();
    // Makes one image per entry and reads its data (see ReadImageData). With
    // `hotspotsInDirectory` (a real .cur file) each entry's hot spot is put in front of
    // the image's data.
    void LoadImages(Stream& stream, int64_t base, const IconDirectory& directory,
                    bool hotspotsInDirectory);
    // Keeps a PNG-compressed image as it is; false for a bitmap image.
    static bool TakePngImage(TExIconImage& image);
    void ReplaceCurrentImage(int width, int height);

    std::vector<std::shared_ptr<TExIconImage>> FImages;
    int FCurrentImage = 0;
};

class TExIcon : public TExIconCursor {
public:
    // One empty image of the platform's icon size (32 x 32), 4 bits per pixel.
    TExIcon();
    const char* ClassName() const override { return "TExIcon"; }
    bool IsIcon() const override { return true; }
};

class TExCursor : public TExIconCursor {
public:
    // One empty image of the platform's cursor size (32 x 32), 1 bit per pixel.
    TExCursor();
    const char* ClassName() const override { return "TExCursor"; }
    bool IsIcon() const override { return false; }

    // Reads a real .cur file: the hot spot of each directory entry is put in front of
    // its image data. Raises "无效的光标" for a file that is not a cursor file.
    void LoadFromFile(const std::string& fileName) override;
    // Writes a real .cur file: hot spots in the directory, image data without them.
    void SaveToFile(const std::string& fileName) override;
};

// The picture classes of file extensions, registered at start-up: "ICO" (description
// "图标") makes a TExIcon, "CUR" ("光标") a TExCursor.
struct TPictureFormat {
    std::string Extension; // upper case, without the dot
    std::string Description;
    std::unique_ptr<TExIconCursor> (*Create)() = nullptr;
};
const std::vector<TPictureFormat>& PictureFormats();
// The format of an extension (with or without the dot, any case), or null.
const TPictureFormat* FindPictureFormat(const std::string& extension);

} // namespace pictavo
