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

std::vector<uint8_t> ImageAsPng(const TMultiIconImage& image) {
    if (image.IsPng && image.Png && !image.Png->StoredBytes().empty())
        return image.Png->StoredBytes();
    const RgbaImage rgba = IconImageToRgba(image);
    TPngImage png;
    png.SetPixels(rgba.Width, rgba.Height, rgba.Pixels);
    return png.SaveToBytes();
}

} // namespace pictavo::cli
