#pragma once
// Animated cursors made in memory for the reader's table of cases: chunks in any order,
// with or without pad bytes, RIFF sizes right or wrong. Frames are the cursor files of
// the fixture pack (tests/fixtures/cursors/make_cursors.py).

#include "util/Bytes.h"
#include "util/Stream.h"

#include <string>
#include <vector>

namespace pictavo::anitest {

using Bytes = std::vector<uint8_t>;

inline Bytes PackFile(const std::string& name) {
    return ReadFileBytes(std::string(PICTAVO_FIXTURES) + "/cursors/pack/" + name);
}

// Three distinct frames: their images are 32 x 32, 16 x 16 and 32 x 32.
inline std::vector<Bytes> Frames() {
    return {PackFile("Link Select.cur"), PackFile("Text Select.cur"), PackFile("Unavailable.cur")};
}

inline Bytes Chunk(const std::string& id, const Bytes& data, bool pad = true) {
    Bytes out(id.begin(), id.end());
    AppendU32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (pad && data.size() % 2 == 1)
        out.push_back(0);
    return out;
}

inline Bytes Words(const std::vector<uint32_t>& values) {
    Bytes out;
    for (uint32_t v : values)
        AppendU32(out, v);
    return out;
}

inline Bytes Header(uint32_t frames, uint32_t steps, uint32_t rate, uint32_t flags = 1) {
    return Chunk("anih", Words({36, frames, steps, 0, 0, 0, 0, rate, flags}));
}

inline Bytes FrameList(const std::vector<Bytes>& frames) {
    Bytes body = {'f', 'r', 'a', 'm'};
    for (const Bytes& frame : frames) {
        const Bytes icon = Chunk("icon", frame);
        body.insert(body.end(), icon.begin(), icon.end());
    }
    return Chunk("LIST", body);
}

inline Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// "RIFF", the size (the right one plus sizeDelta), "ACON", the chunks.
inline Bytes Riff(const std::vector<Bytes>& chunks, int64_t sizeDelta = 0) {
    const Bytes body = Concat(chunks);
    Bytes out = {'R', 'I', 'F', 'F'};
    AppendU32(out, static_cast<uint32_t>(static_cast<int64_t>(body.size()) + 4 + sizeDelta));
    out.insert(out.end(), {'A', 'C', 'O', 'N'});
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace pictavo::anitest
