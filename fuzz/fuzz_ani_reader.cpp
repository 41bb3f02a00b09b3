// Reads fuzzed bytes as an animated cursor; what reads must be counted as the scan counts
// it, have steps that name its frames, and must give the images of a small cursor theme without failing.

#include "cursors/AnimatedCursor.h"
#include "cursors/XcursorImages.h"
#include "util/Exceptions.h"

#include <cstdint>
#include <cstdlib>

using namespace pictavo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The folder scan's count never raises.
    const size_t counted = AnimatedCursorFrameCount(data, size);
    TAnimatedCursor cursor;
    try {
        cursor = ReadAnimatedCursor(data, size);
    } catch (const Exception&) {
        return 0; // rejected input is fine; crashes and sanitizer reports are not
    }
    // A cursor that reads is counted by its frames.
    if (cursor.Frames.empty() || cursor.Steps.empty() || counted != cursor.Frames.size())
        std::abort();
    for (const TAniStep& step : cursor.Steps)
        if (step.Frame < 0 || static_cast<size_t>(step.Frame) >= cursor.Frames.size() ||
            step.Jiffies == 0)
            std::abort();
    // Scaling every frame of a long animation would only slow the fuzzer down.
    if (cursor.Steps.size() > 64)
        cursor.Steps.resize(64);
    try {
        const std::vector<TXcursorImage> images = XcursorImagesOf(cursor, {8, 24});
        if (images.size() != cursor.Steps.size() * 2)
            std::abort();
    } catch (const Exception&) {
        // A frame without an image that has pixels is named in an error, as it should be.
    }
    return 0;
}
