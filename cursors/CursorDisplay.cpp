// What a window shows of a cursor.

#include "cursors/CursorDisplay.h"

#include <algorithm>

namespace pictavo {

TPlaybackPosition PlaybackPositionAt(const std::vector<TAniStep>& steps, uint64_t elapsedMs) {
    const uint64_t round = [&] {
        uint64_t total = 0;
        for (const TAniStep& step : steps)
            total += step.DelayMs();
        return total;
    }();
    if (steps.size() < 2 || round == 0)
        return {};
    uint64_t into = elapsedMs % round;
    for (size_t i = 0; i < steps.size(); ++i) {
        const uint32_t delay = steps[i].DelayMs();
        if (into < delay)
            return {i, static_cast<uint32_t>(delay - into)};
        into -= delay;
    }
    return {}; // not reached: `into` is below the round's length
}

namespace {

double PixelCentre(uint32_t hotspot, int imageSize, int drawnSize) {
    if (imageSize <= 0)
        return 0;
    const uint32_t pixel = std::min<uint32_t>(hotspot, static_cast<uint32_t>(imageSize - 1));
    return (pixel + 0.5) * drawnSize / imageSize;
}

} // namespace

TDrawnPoint HotspotInDrawnImage(uint32_t hotspotX, uint32_t hotspotY, int imageWidth,
                                int imageHeight, int drawnWidth, int drawnHeight) {
    return {PixelCentre(hotspotX, imageWidth, drawnWidth),
            PixelCentre(hotspotY, imageHeight, drawnHeight)};
}

} // namespace pictavo
