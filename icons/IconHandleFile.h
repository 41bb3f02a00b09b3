#pragma once
// A single-image .ico file made from an icon handle: the colour bitmap at the handle's
// depth and its 1-bit mask, behind a standard six-byte header and one directory entry.

#include "platform/Raster.h"

#include <cstdint>
#include <vector>

namespace pictavo {

// The whole file. The directory entry is the standard one: width and height (0 for
// 256), colour count from the depth (0 at 8 bits and above), reserved 0, planes 1, bit
// count = the depth, the image's byte count, offset 22. The image is a 40-byte header
// with the height doubled, the colour rows, then the mask rows, all bottom-up.
//
// A 32-bit handle whose alpha bytes are all zero (made from an image below 32 bits)
// takes its alpha from the mask, so that readers which trust the alpha of a 32-bit icon
// show the same picture as those which use the mask.
std::vector<uint8_t> IconHandleFileBytes(const platform::IconHandle& icon);

} // namespace pictavo
