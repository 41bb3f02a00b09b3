#include "cli/PngExport.h"

#include "icons/IconImageRgba.h"
#include "util/Exceptions.h"

#include <algorithm>

namespace pictavo::cli {

std::string PngImageFileName(const std::string& prefix, const TMultiIconImage& image,
                             const std::vector<std::string>& taken) {
    const std::string stem =
        prefix + Format("_%dx%d_%dbit", image.Width, image.Height, image.BitsPerPixel);
    std::string name = stem + ".png";
    for (int n = 2; std::find(taken.begin(), taken.end(), name) != taken.end(); ++n)
        name = stem + Format("-%d.png", n);
    return name;
}

} // namespace pictavo::cli
