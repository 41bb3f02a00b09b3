#pragma once
// The images of an Xcursor file: every step of a cursor at every nominal size, made from
// the best image of the step's frame, and their writing through libXcursor.

#include "cursors/AnimatedCursor.h"
#include "icons/IconImageRgba.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

// One image of an Xcursor file.
struct TXcursorImage {
    int NominalSize = 0;
    int Width = 0;
    int Height = 0;
    int HotspotX = 0;
    int HotspotY = 0;
    uint32_t DelayMs = 0;
    // Premultiplied ARGB, top-down rows, as Xcursor keeps them; shared by the steps that
    // show one frame.
    std::shared_ptr<const std::vector<uint32_t>> Pixels;
};

// The sizes the images of the cursor's frames have (the longer side), with the extra
// sizes, ascending and each once.
std::vector<int> CursorSizes(const TAnimatedCursor& cursor, const std::vector<int>& extraSizes);

// The image scaled so that its longer side is `size`: smoothly (area averaging) when it
// shrinks; when it grows, first by the whole factor that reaches the size without smoothing,
// so that pixel art stays sharp, and then smoothly down to the size.
RgbaImage ScaleCursorImage(const RgbaImage& image, int size);

// The image of a frame at a nominal size: its best image for the size, scaled, with the
// hotspot scaled with it. Raises EInvalidGraphic when the frame has no image with pixels.
TXcursorImage FrameAtSize(const TMultiIcon& frame, int size);

// Every image of the cursor's Xcursor file: for each size, every step in order (a frame
// that several steps show appears at each of them) with the step's delay.
std::vector<TXcursorImage> XcursorImagesOf(const TAnimatedCursor& cursor,
                                           const std::vector<int>& sizes);

// Writes the images as an Xcursor file through libXcursor. Raises Exception when it fails.
void SaveXcursorFile(const std::vector<TXcursorImage>& images, const std::string& fileName);

} // namespace pictavo
