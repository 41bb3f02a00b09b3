#include "cli/ImageLines.h"

namespace pictavo::cli {

void PrintImageLines(const TMultiIcon& icon, FILE* out) {
    for (int i = 0; i < icon.IconCount(); ++i) {
        const TMultiIconImage image = icon.GetIconData(i);
        std::fprintf(out, "[%d] %dx%d - %dbit%s\n", i, image.Width, image.Height,
                     image.BitsPerPixel, image.IsPng ? " png" : "");
    }
}

} // namespace pictavo::cli
