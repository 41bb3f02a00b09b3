#pragma once
// Bitmap resources: RT_BITMAP (type "2"), whose data is a BMP file without its 14-byte
// file header, and the named type "DIB", whose data is a whole BMP file. Both keep
// their bytes exactly as read; they are changed only through FillDefault or
// WritePicture.

#include "peres/GraphicsResource.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace pictavo {

constexpr size_t BitmapFileHeaderSize = 14;

class TBitmapResourceDetails : public TGraphicsResourceDetails {
public:
    using TGraphicsResourceDetails::TGraphicsResourceDetails;
    static std::string TypeOfClass() { return "2"; }

    // BITMAPINFOHEADER of a 128 x 96, 24-bit bitmap and its 36864 zero bytes of pixels.
    void FillDefault() override;
    // Raise EInvalidGraphic "Invalid bitmap" when the data holds no BITMAPINFOHEADER.
    int ImageHeight() override;
    TPixelFormat ImagePixelFormat() override;
    int ImageWidth() override;
    // Loads the image into the picture's bitmap (uncompressed or RLE-compressed).
    void ReadPicture(TPicture& picture) override;
    // The data becomes the picture's bitmap (or its icon drawn into a 32-bit bitmap)
    // saved as a BMP file, minus its file header.
    void WritePicture(const TPicture& picture) override;

protected:
    // Where the BITMAPINFOHEADER starts inside the data.
    virtual size_t InfoOffset() const { return 0; }
    // The data as a whole BMP file.
    virtual std::vector<uint8_t> BitmapFile() const;

private:
    // The BITMAPINFOHEADER's 40 bytes; raises "Invalid bitmap" when the data is shorter.
    ByteView Info() const;
};

class TDIBResourceDetails : public TBitmapResourceDetails {
public:
    using TBitmapResourceDetails::TBitmapResourceDetails;
    static std::string TypeOfClass() { return "DIB"; }
    // A BMP file header (signature BM, reserved words 0) followed by a header of
    // 40, 108 or 124 bytes.
    static bool RecognisesData(size_t size, const uint8_t* data);

    // A file header (bits at offset 54) and then the bitmap default.
    void FillDefault() override;
    void WritePicture(const TPicture& picture) override;

protected:
    size_t InfoOffset() const override { return BitmapFileHeaderSize; }
    std::vector<uint8_t> BitmapFile() const override;
};

// Decodes a BMP file of 1, 4, 8, 16, 24 or 32 bits (uncompressed, bit fields, RLE8 or
// RLE4) into a bitmap; `format` receives the picture's pixel format. Raises
// EInvalidGraphic "Invalid bitmap" for anything else or a file too short for its header,
// colour table or bits.
std::unique_ptr<platform::Bitmap> LoadBitmapFile(const uint8_t* data, size_t size,
                                                 TPixelFormat& format);
// Encodes a bitmap as an uncompressed BMP file.
std::vector<uint8_t> SaveBitmapFile(const platform::Bitmap& bitmap);
// The picture as a BMP file: its bitmap, or its icon drawn into a new 32-bit bitmap.
// Raises "Invalid bitmap" for a picture with neither.
std::vector<uint8_t> PictureAsBitmapFile(const TPicture& picture);

} // namespace pictavo
