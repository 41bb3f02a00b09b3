#pragma once
// One image of an icon as plain 8-bit RGBA pixels, for writing PNG files and making
// thumbnails: palettes resolved, the mask as transparency below 32 bits, the alpha
// channel at 32 bits. PNG images give their decoded pixels.

#include "icons/MultiIcon.h"

#include <cstdint>
#include <vector>

namespace pictavo {

struct RgbaImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels; // top-down rows of Width x 4 bytes: red, green, blue, alpha
};

// Raises EInvalidGraphic for an empty record. A 32-bit image whose alpha channel is
// zero everywhere was made before icons had alpha: its mask gives the transparency, as
// Windows draws it, instead of the image vanishing.
RgbaImage IconImageToRgba(const TMultiIconImage& image);

// The PNG file of one image: a PNG image as it is stored, a bitmap image as 32-bit RGBA
// with its palette resolved and its mask (below 32 bits) or alpha channel as alpha.
std::vector<uint8_t> ImageAsPng(const TMultiIconImage& image);

} // namespace pictavo
