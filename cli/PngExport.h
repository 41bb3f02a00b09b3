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

} // namespace pictavo::cli
