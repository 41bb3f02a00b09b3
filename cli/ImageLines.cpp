#include "cli/ImageLines.h"

#include "cli/JsonText.h"
#include "util/Exceptions.h"

namespace pictavo::cli {

void PrintImageLines(const TMultiIcon& icon, FILE* out) {
    for (int i = 0; i < icon.IconCount(); ++i) {
        const TMultiIconImage image = icon.GetIconData(i);
        std::fprintf(out, "[%d] %dx%d - %dbit%s\n", i, image.Width, image.Height,
                     image.BitsPerPixel, image.IsPng ? " png" : "");
    }
}

std::string ImageJson(const TMultiIcon& icon, int index) {
    const TMultiIconImage image = icon.GetIconData(index);
    return Format(R"({"index": %d, "width": %d, "height": %d, "bits": %d, "png": %s})", index,
                  image.Width, image.Height, image.BitsPerPixel, JsonBool(image.IsPng));
}

} // namespace pictavo::cli
