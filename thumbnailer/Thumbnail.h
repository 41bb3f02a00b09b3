#pragma once
// The thumbnail of a Windows file as a file manager shows it: the first icon of a
// module (the file itself for ICO and CUR), its best image for the wanted size, scaled
// down by area averaging when it is larger.

#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"

#include <string>
#include <vector>

namespace pictavo {

// The image of the icon to show at `size` x `size`: among the images at least that
// large on both sides the deepest, and of those the smallest; when none is that large,
// the largest (the deepest of equals). -1 when the icon holds no image with pixels.
int BestThumbnailImage(const TMultiIcon& icon, int size);

// The image made to fit `size` x `size` keeping its shape. A larger image is scaled
// down, every target pixel the area average of the source pixels it covers, computed
// over premultiplied alpha so that transparent pixels leave no dark fringe; an image
// that already fits comes back unchanged.
RgbaImage FitByAreaAveraging(const RgbaImage& image, int size);

// The thumbnail of the file at `size`. Raises Exception when the file holds no icon or
// cannot be read.
RgbaImage MakeThumbnail(const std::string& fileName, int size);
// The same as a PNG file. A PNG image that needs no scaling is given as it is stored.
std::vector<uint8_t> MakeThumbnailPng(const std::string& fileName, int size);

} // namespace pictavo
