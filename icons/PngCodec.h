#pragma once
// PNG images inside icons: decoded with libpng into 8-bit RGBA (every colour type,
// bit depth, palette, tRNS chunk and interlacing), encoded back as 8-bit RGBA, and
// drawn scaled with their alpha over a canvas.

#include "platform/Raster.h"
#include "util/PngSignature.h" // HasPngSignature, ReadPngSize for the callers of the codec

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pictavo {

class TPngImage {
public:
    // Decodes a complete PNG file. Raises EInvalidGraphic with the decoder's message
    // for anything that is not a well-formed PNG (an MNG file included), and for an
    // image larger than its compressed data could hold or than 64 MB of pixels.
    void LoadFromBytes(const uint8_t* data, size_t size);
    // Encodes the pixels as an 8-bit RGBA PNG file. Raises ECompressionError on failure.
    std::vector<uint8_t> SaveToBytes() const;
    void SaveToFile(const std::string& fileName) const;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    // Top-down rows of Width() x 4 bytes: red, green, blue, alpha.
    const std::vector<uint8_t>& Pixels() const { return pixels_; }
    void SetPixels(int width, int height, std::vector<uint8_t> rgba);
    // The PNG file the pixels were decoded from, up to its IEND chunk; empty once the
    // pixels were set. Exports write it unchanged.
    const std::vector<uint8_t>& StoredBytes() const { return stored_; }

    // Scales the image into `rect` (nearest pixel) and blends it over the canvas:
    // each channel (s * a + d * (255 - a) + 127) / 255.
    void Draw(platform::Surface& canvas, const platform::Rect& rect) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> stored_;
};

// Encodes an 8-bit RGBA PNG file whose rows `fillRow` writes one at a time (width x 4
// bytes, top down), so that a large picture never has to be held whole. Raises
// ECompressionError on failure, also when fillRow raises.
std::vector<uint8_t> EncodePngRows(int width, int height,
                                   const std::function<void(int y, uint8_t* row)>& fillRow);

} // namespace pictavo
