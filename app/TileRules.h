// The icon tile's rules that need no window: which sizes the user may choose, how large
// a tile is for an icon size, which image of an icon a tile shows and at what size.
#pragma once

#include <vector>

namespace pictavo {

// The icon sizes offered in the display options; 32 is the default and today's tile.
inline constexpr int TileIconSizes[] = {32, 48, 64, 96, 128, 256};
inline constexpr int DefaultTileIconSize = 32;

// The stored size when it is one of the offered sizes, otherwise the default.
int ValidTileIconSize(int stored);

// The offered size `steps` places after `current` (before it when negative), held at the
// smallest and the largest; Ctrl+wheel and Ctrl+plus/minus step through them.
int NextTileIconSize(int current, int steps);

// The side of the square tile: the icon, 3 px above it and the caption strip below with
// its margins; 60 for the 32-px icon and a caption of normal height, as tiles always were.
// A caption wider than that (a five-digit number beside a 32-px icon) widens the tile so
// that it fits whole between the 3-px margins, 2 px clear of them on each side (where
// the dotted focus frame runs).
int TileSide(int iconSize, int captionHeight, int captionWidth = 0);

// The number of decimal digits of a caption's number (1 for 0).
int CaptionDigits(int number);

struct TImageFacts {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
};

// The image a tile of `wantedPixels` device pixels draws: the smallest one at least that
// large (scaling down loses nothing), else the largest; among equal sizes the deepest.
// -1 when there are no images.
int PickTileImage(const std::vector<TImageFacts>& images, int wantedPixels);

struct TTileRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TTileRect&) const = default;
};

// Where the image goes on the tile, in the tile's own (logical) pixels: 3 px from the top,
// centred as tiles always were; an image larger than the icon size is fitted into it with
// its shape kept, a smaller one keeps its own size (and above 32 px is centred in the
// icon's square).
TTileRect TileIconRect(int tileSide, int iconSize, int imageWidth, int imageHeight);

} // namespace pictavo
