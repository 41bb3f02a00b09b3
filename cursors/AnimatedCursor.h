#pragma once
// Animated cursors (.ani): a RIFF file of form "ACON" whose "anih" chunk counts frames
// and steps, whose "LIST fram" holds one "icon" chunk per frame (each a whole .cur or .ico
// file), with optional "rate" (delay per step, in jiffies of 1/60 s) and "seq " (frame per
// step; frames may repeat) chunks and an optional "LIST INFO" (title, author).
//
// Files found in the wild are untidy, so the reader takes chunks in any order, skips
// chunks it does not know, honours the pad byte after an odd-sized chunk and reads a RIFF
// whose size disagrees with the file as far as the file holds. What cannot be right (no
// frames, a step naming a frame that is not there, counts the file cannot hold) is refused
// with a message; what the frames decode together is bounded by a decode budget.

#include "icons/MultiIcon.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

// The "anih" chunk.
struct TAniHeader {
    uint32_t Frames = 0;
    uint32_t Steps = 0;
    uint32_t Width = 0; // only for frames that are raw bitmaps, which are refused
    uint32_t Height = 0;
    uint32_t BitCount = 0;
    uint32_t Planes = 0;
    uint32_t DisplayRate = 0; // default delay of a step, in jiffies
    uint32_t Flags = 0;
};
constexpr uint32_t AniFlagIcon = 1;     // frames are icon or cursor files
constexpr uint32_t AniFlagSequence = 2; // a "seq " chunk orders the frames

struct TAniStep {
    int Frame = 0;
    uint32_t Jiffies = 0;
    // The delay in milliseconds: jiffies x 1000 / 60, rounded.
    uint32_t DelayMs() const;
};

struct TAnimatedCursor {
    TAniHeader Header;
    std::vector<std::shared_ptr<TMultiIcon>> Frames; // in file order
    std::vector<TAniStep> Steps;                     // in playing order
    std::string Title;                               // UTF-8; empty when not given
    std::string Author;
};

// Larger .ani files do not exist in practice; the limit keeps a stray huge file from
// being read whole.
inline constexpr uint64_t MaxAnimatedCursorFile = uint64_t{64} << 20;

// Whether the bytes begin as an animated cursor: "RIFF", a size, "ACON".
bool IsAnimatedCursorData(const uint8_t* data, size_t size);
// The same for the start of a file; false when it cannot be read.
bool IsAnimatedCursorFile(const std::string& fileName);

// The frames of an animated cursor as far as its chunks, steps and frame directories
// tell, without decoding a pixel (a folder scan counts with it); 0 when the bytes are no
// animated cursor or cannot be one. Never raises.
size_t AnimatedCursorFrameCount(const uint8_t* data, size_t size);

// Reads an animated cursor. Raises Exception with the reason when the bytes are not one
// or cannot be right, EInvalidGraphic when its frames need more than the decode budget.
TAnimatedCursor ReadAnimatedCursor(const uint8_t* data, size_t size);
// Reads the file; its read errors propagate.
TAnimatedCursor LoadAnimatedCursor(const std::string& fileName);

// The cursor's total time for one round, in milliseconds.
uint64_t AnimationLengthMs(const TAnimatedCursor& cursor);

} // namespace pictavo

namespace pictavo {

// A cursor file as an animation: an .ani as it is, any other (a .cur or .ico file) as
// one frame shown in one step without a delay. Errors of the read propagate.
TAnimatedCursor LoadCursorAnimation(const std::string& fileName);

} // namespace pictavo
