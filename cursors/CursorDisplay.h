#pragma once
// What a window shows of a cursor: the step of an animation that plays at a moment, and
// where the hotspot of an image lies once the image is drawn at another size.

#include "cursors/AnimatedCursor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictavo {

struct TPlaybackPosition {
    size_t Step = 0;      // the step on the screen
    uint32_t MsToNext = 0; // until the next step begins; 0 when nothing changes
};

// The step of `steps` (each shown for its delay, in order, then again from the first)
// playing `elapsedMs` after the animation started. An animation of one step, or of no
// time at all, stays on its first step.
TPlaybackPosition PlaybackPositionAt(const std::vector<TAniStep>& steps, uint64_t elapsedMs);

struct TDrawnPoint {
    double X = 0;
    double Y = 0;
};

// The centre of the hotspot pixel of an imageWidth x imageHeight image drawn
// drawnWidth x drawnHeight, relative to the drawn image's top left corner. A hotspot
// outside the image (files say anything) is taken as its nearest pixel.
TDrawnPoint HotspotInDrawnImage(uint32_t hotspotX, uint32_t hotspotY, int imageWidth,
                                int imageHeight, int drawnWidth, int drawnHeight);

} // namespace pictavo
