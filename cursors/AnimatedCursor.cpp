// The RIFF "ACON" reader.

#include "cursors/AnimatedCursor.h"

#include "cursors/WindowsText.h"
#include "icons/DecodeBudget.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"
#include "util/IconDirectory.h"
#include "util/Stream.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

namespace pictavo {

namespace {

struct Chunk {
    char Id[5] = {};
    const uint8_t* Body = nullptr;
    size_t Size = 0; // as far as the file holds
};

bool IsChunkIdByte(uint8_t c) {
    return c >= 0x20 && c < 0x7F;
}

bool LooksLikeChunkId(const uint8_t* data, size_t pos, size_t end) {
    if (end - pos < 8)
        return false;
    for (int k = 0; k < 4; ++k)
        if (!IsChunkIdByte(data[pos + k]))
            return false;
    return true;
}

// Calls `visit` for every chunk between begin and end. A chunk that runs past the end is
// given as far as the bytes hold; bytes too few for a chunk header end the walk. The pad
// byte after an odd-sized chunk is skipped, except where a writer left it out and the
// next chunk's name starts right after the body.
void WalkChunks(const uint8_t* data, size_t begin, size_t end,
                const std::function<void(const Chunk&)>& visit) {
    size_t pos = begin;
    while (pos <= end && end - pos >= 8) {
        Chunk chunk;
        std::memcpy(chunk.Id, data + pos, 4);
        const uint32_t declared = LoadU32(data + pos + 4);
        const size_t bodyStart = pos + 8;
        chunk.Body = data + bodyStart;
        chunk.Size = std::min<size_t>(declared, end - bodyStart);
        visit(chunk);
        if (declared > end - bodyStart)
            return;
        size_t next = bodyStart + declared;
        // Writers pad with a zero byte; a letter there begins the next chunk's name.
        if ((declared & 1) != 0 && next < end &&
            (data[next] == 0 || !LooksLikeChunkId(data, next, end)))
            ++next;
        pos = next;
    }
}

bool IdIs(const Chunk& chunk, const char* id) {
    return std::memcmp(chunk.Id, id, 4) == 0;
}

// A LIST chunk's type, "" when the body is too short for one.
std::string ListType(const Chunk& chunk) {
    if (chunk.Size < 4)
        return "";
    return std::string(reinterpret_cast<const char*>(chunk.Body), 4);
}

// An INFO text: up to its first NUL.
std::string InfoText(const Chunk& chunk) {
    std::string raw(reinterpret_cast<const char*>(chunk.Body), chunk.Size);
    raw = raw.substr(0, raw.find('\0'));
    return EightBitTextAsUtf8(raw);
}

TAniHeader ReadHeader(const Chunk& chunk) {
    if (chunk.Size < 36)
        throw Exception("The animated cursor's header is too short");
    const uint8_t* p = chunk.Body;
    TAniHeader header;
    header.Frames = LoadU32(p + 4);
    header.Steps = LoadU32(p + 8);
    header.Width = LoadU32(p + 12);
    header.Height = LoadU32(p + 16);
    header.BitCount = LoadU32(p + 20);
    header.Planes = LoadU32(p + 24);
    header.DisplayRate = LoadU32(p + 28);
    header.Flags = LoadU32(p + 32);
    return header;
}

// The pixel memory a frame's images will take, from its directory and block headers.
uint64_t DecodedBytesOfFrame(const Chunk& icon) {
    ByteViewStream stream(icon.Body, icon.Size);
    const std::optional<IconDirectory> directory = ReadIconDirectory(stream);
    if (!directory)
        return 0;
    uint64_t bytes = 0;
    for (const IconDirectoryEntry& entry : directory->Entries)
        if (RangeFits(entry.Offset, entry.Size, icon.Size))
            bytes += DecodedBytesOfBlock(icon.Body + entry.Offset, entry.Size);
    return bytes;
}

// All frames together may take what one icon may, and as much as the file's own bytes
// could hold uncompressed: real animations stay far below, while a few kilobytes of PNG
// frames that each decode to 64 MB end after the first of them.
TDecodeBudget FramesDecodeBudget(uint64_t fileSize) {
    const uint64_t bytes = IconDecodeLimit + fileSize * FileDecodePerByte;
    return TDecodeBudget(bytes, Format("File too large: its frames need more than %llu MB",
                                       static_cast<unsigned long long>(bytes >> 20)));
}

std::shared_ptr<TMultiIcon> ReadFrame(const Chunk& icon, size_t number, TDecodeBudget& budget) {
    budget.Spend(DecodedBytesOfFrame(icon));
    auto frame = std::make_shared<TMultiIcon>();
    try {
        ByteViewStream stream(icon.Body, icon.Size);
        frame->LoadFromStream(&stream);
    } catch (const EInvalidGraphic&) {
        throw;
    } catch (const std::exception& error) {
        throw Exception(Format("Frame %zu of the animated cursor: %s", number, error.what()));
    }
    if (frame->IconCount() == 0)
        throw Exception(Format("Frame %zu of the animated cursor holds no image", number));
    return frame;
}

// A count of 32-bit entries the chunk must hold.
std::vector<uint32_t> ReadEntries(const Chunk& chunk, size_t count, const char* what) {
    if (chunk.Size / 4 < count)
        throw Exception(Format("The animated cursor's %s chunk holds %zu steps, its header %zu",
                               what, chunk.Size / 4, count));
    std::vector<uint32_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = LoadU32(chunk.Body + 4 * i);
    return out;
}

// What the walk over the file found; chunks that come twice count once, the first time.
struct Found {
    bool HasHeader = false;
    TAniHeader Header;
    std::vector<Chunk> Icons;
    bool HasFrameList = false;
    std::optional<Chunk> Rate;
    std::optional<Chunk> Sequence;
    std::string Title, Author;
};

void VisitInfo(const Chunk& list, Found& found) {
    WalkChunks(list.Body, 4, list.Size, [&](const Chunk& item) {
        if (IdIs(item, "INAM") && found.Title.empty())
            found.Title = InfoText(item);
        else if (IdIs(item, "IART") && found.Author.empty())
            found.Author = InfoText(item);
    });
}

void VisitTopChunk(const Chunk& chunk, Found& found) {
    if (IdIs(chunk, "anih") && !found.HasHeader) {
        found.Header = ReadHeader(chunk);
        found.HasHeader = true;
    } else if (IdIs(chunk, "rate") && !found.Rate) {
        found.Rate = chunk;
    } else if (IdIs(chunk, "seq ") && !found.Sequence) {
        found.Sequence = chunk;
    } else if (IdIs(chunk, "LIST") && ListType(chunk) == "fram" && !found.HasFrameList) {
        found.HasFrameList = true;
        WalkChunks(chunk.Body, 4, chunk.Size, [&](const Chunk& item) {
            if (IdIs(item, "icon"))
                found.Icons.push_back(item);
        });
    } else if (IdIs(chunk, "LIST") && ListType(chunk) == "INFO") {
        VisitInfo(chunk, found);
    }
}

std::vector<TAniStep> BuildSteps(const Found& found, size_t frames) {
    const TAniHeader& header = found.Header;
    size_t count = header.Steps;
    if (count == 0)
        count = found.Sequence ? found.Sequence->Size / 4 : frames;
    // Without a sequence step i shows frame i.
    if (!found.Sequence && count > frames)
        throw Exception(
            Format("The animated cursor counts %zu steps but holds %zu frames", count, frames));
    std::vector<uint32_t> sequence;
    if (found.Sequence)
        sequence = ReadEntries(*found.Sequence, count, "sequence");
    std::vector<uint32_t> rates;
    if (found.Rate)
        rates = ReadEntries(*found.Rate, count, "rate");
    // A zero delay would spin; the header's default stands in, and at least one jiffy.
    const uint32_t fallback = header.DisplayRate > 0 ? header.DisplayRate : 1;
    std::vector<TAniStep> steps(count);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t frame = found.Sequence ? sequence[i] : static_cast<uint32_t>(i);
        if (frame >= frames)
            throw Exception(Format("Step %zu of the animated cursor names frame %u, which does "
                                   "not exist (%zu frames)",
                                   i, frame, frames));
        steps[i].Frame = static_cast<int>(frame);
        const uint32_t jiffies = found.Rate ? rates[i] : header.DisplayRate;
        steps[i].Jiffies = jiffies > 0 ? jiffies : fallback;
    }
    return steps;
}

} // namespace

uint32_t TAniStep::DelayMs() const {
    const uint64_t ms = (uint64_t{Jiffies} * 1000 + 30) / 60;
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

bool IsAnimatedCursorData(const uint8_t* data, size_t size) {
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "ACON", 4) == 0;
}

bool IsAnimatedCursorFile(const std::string& fileName) {
    try {
        FileStream file(fileName, FileMode::OpenRead);
        uint8_t start[12] = {};
        return file.Read(start, sizeof start) == sizeof start &&
               IsAnimatedCursorData(start, sizeof start);
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

// The chunks of a file that passed IsAnimatedCursorData, with its header and frames.
Found FindChunks(const uint8_t* data, size_t size) {
    // The RIFF size is not trusted: sizes that count the header too, sizes of a file cut
    // short and zero sizes are all common. Chunks are read to the end of the file.
    Found found;
    WalkChunks(data, 12, size, [&](const Chunk& chunk) { VisitTopChunk(chunk, found); });
    if (!found.HasHeader)
        throw Exception("The animated cursor has no header (anih) chunk");
    if (found.Icons.empty())
        throw Exception("The animated cursor holds no frames");
    return found;
}

} // namespace

size_t AnimatedCursorFrameCount(const uint8_t* data, size_t size) {
    if (!IsAnimatedCursorData(data, size))
        return 0;
    try {
        const Found found = FindChunks(data, size);
        BuildSteps(found, found.Icons.size());
        for (const Chunk& icon : found.Icons) {
            ByteViewStream stream(icon.Body, icon.Size);
            const std::optional<IconDirectory> directory = ReadIconDirectory(stream);
            if (!directory || directory->Entries.empty())
                return 0;
        }
        return found.Icons.size();
    } catch (const std::exception&) {
        return 0;
    }
}

TAnimatedCursor ReadAnimatedCursor(const uint8_t* data, size_t size) {
    if (!IsAnimatedCursorData(data, size))
        throw Exception("Not an animated cursor (no RIFF ACON header)");
    const Found found = FindChunks(data, size);

    TAnimatedCursor cursor;
    cursor.Header = found.Header;
    cursor.Title = found.Title;
    cursor.Author = found.Author;
    cursor.Steps = BuildSteps(found, found.Icons.size());
    TDecodeBudget budget = FramesDecodeBudget(size);
    for (size_t i = 0; i < found.Icons.size(); ++i)
        cursor.Frames.push_back(ReadFrame(found.Icons[i], i, budget));
    return cursor;
}

TAnimatedCursor LoadAnimatedCursor(const std::string& fileName) {
    FileStream file(fileName, FileMode::OpenRead);
    const int64_t size = file.Size();
    if (size < 0 || static_cast<uint64_t>(size) > MaxAnimatedCursorFile)
        throw Exception("The animated cursor file is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), bytes.size());
    return ReadAnimatedCursor(bytes.data(), bytes.size());
}

uint64_t AnimationLengthMs(const TAnimatedCursor& cursor) {
    uint64_t total = 0;
    for (const TAniStep& step : cursor.Steps)
        total += step.DelayMs();
    return total;
}

} // namespace pictavo

namespace pictavo {

TAnimatedCursor LoadCursorAnimation(const std::string& fileName) {
    if (IsAnimatedCursorFile(fileName))
        return LoadAnimatedCursor(fileName);
    TAnimatedCursor cursor;
    auto frame = std::make_shared<TMultiIcon>();
    frame->LoadFromFile(fileName);
    if (frame->IconCount() == 0)
        throw Exception("The cursor holds no image");
    cursor.Frames.push_back(frame);
    cursor.Steps.push_back({0, 0});
    cursor.Header.Frames = 1;
    cursor.Header.Steps = 1;
    return cursor;
}

} // namespace pictavo
