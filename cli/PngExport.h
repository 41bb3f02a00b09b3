#pragma once
// `extract --png`: every image of an icon as its own PNG file.

#include "icons/MultiIcon.h"

#include <string>
#include <vector>

namespace pictavo::cli {

// "PREFIX_WxH_Dbit.png", D being the bit count `icons` prints; when an earlier image
// of the icon took that name, "PREFIX_WxH_Dbit-2.png" (then -3, ...), so none is lost.
std::string PngImageFileName(const std::string& prefix, const TMultiIconImage& image,
                             const std::vector<std::string>& taken);

// The PNG file of one image: a PNG image as it is stored, a bitmap image as 32-bit RGBA
// with its palette resolved and its mask (below 32 bits) or alpha channel as alpha.
std::vector<uint8_t> ImageAsPng(const TMultiIconImage& image);

} // namespace pictavo::cli
