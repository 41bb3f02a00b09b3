#pragma once
// An icon rendered onto a solid colour, as the bitmap export writes it: the icon drawn
// over white, its transparent pixels then painted in the colour, plus one extra row of
// that colour at the bottom.

#include "icons/AlphaBitmap.h"
#include "icons/PngCodec.h"
#include "platform/Raster.h"
#include "util/Color.h"

namespace pictavo {

// Sizes `bitmap` to the icon's width and height + 1, fills it white, draws the icon at
// (0, 0) with its transparency (partly transparent pixels blend with the white), then
// paints every run of transparent mask pixels and the bottom row in `color`.
void DrawIconOnColor(const platform::IconHandle& icon, TColor color, TAlphaBitmap& bitmap);

// The bitmap export of a PNG image, which has no icon handle: 256 x 256 pixels, white,
// with the image drawn scaled over it.
void DrawPngOnWhite(const TPngImage& png, TAlphaBitmap& bitmap);

} // namespace pictavo
