#include "app/TileRules.h"

#include <algorithm>
#include <iterator>

namespace pictavo {

int ValidTileIconSize(int stored) {
    for (int size : TileIconSizes)
        if (size == stored)
            return size;
    return DefaultTileIconSize;
}

int NextTileIconSize(int current, int steps) {
    const int count = static_cast<int>(std::size(TileIconSizes));
    int place = 0;
    while (place < count && TileIconSizes[place] != ValidTileIconSize(current))
        ++place;
    return TileIconSizes[std::clamp(place + steps, 0, count - 1)];
}

int TileSide(int iconSize, int captionHeight, int captionWidth) {
    // 3 px above the icon, 2 between icon and caption, 3 below the caption.
    return std::max({iconSize + 28, iconSize + captionHeight + 8, captionWidth + 10});
}

int CaptionDigits(int number) {
    int digits = 1;
    for (long long limit = 10; limit <= number; limit *= 10)
        ++digits;
    return digits;
}

namespace {

int Side(const TImageFacts& image) {
    return std::max(image.Width, image.Height);
}

// True when `a` serves a tile of `wanted` pixels better than `b`.
bool FitsBetter(const TImageFacts& a, const TImageFacts& b, int wanted) {
    const bool aCovers = Side(a) >= wanted, bCovers = Side(b) >= wanted;
    if (aCovers != bCovers)
        return aCovers;
    if (Side(a) != Side(b))
        return aCovers ? Side(a) < Side(b) : Side(a) > Side(b);
    return a.BitsPerPixel > b.BitsPerPixel;
}

} // namespace

int PickTileImage(const std::vector<TImageFacts>& images, int wantedPixels) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(images.size()); ++i)
        if (best < 0 || FitsBetter(images[i], images[best], wantedPixels))
            best = i;
    return best;
}

TTileRect TileIconRect(int tileSide, int iconSize, int imageWidth, int imageHeight) {
    int width = imageWidth, height = imageHeight;
    const int side = std::max(width, height);
    if (side > iconSize) {
        width = std::max(1, width * iconSize / side);
        height = std::max(1, height * iconSize / side);
    }
    const int centre = (tileSide - 6) / 2;
    // Larger tiles centre a small image in the icon's square too; the 32-px tile keeps it
    // at the top, as it always did.
    const int top = iconSize > DefaultTileIconSize ? 3 + (iconSize - height) / 2 : 3;
    return {centre - width / 2, top, width, height};
}

} // namespace pictavo
