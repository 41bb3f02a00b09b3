#pragma once
// The directory at the start of an .ico or .cur file: a six-byte header (reserved 0,
// type 1 for icons or 2 for cursors, image count) and one 16-byte entry per image
// (width, height, colour count, reserved, two 16-bit fields, the image's byte count and
// its offset in the file). The one reader and the one writer of it.

#include "util/Stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pictavo {

constexpr size_t IconDirectoryHeaderBytes = 6;
constexpr size_t IconDirectoryEntryBytes = 16;
constexpr uint16_t IconFileType = 1;
constexpr uint16_t CursorFileType = 2;

// A side as an entry stores it: 0 stands for 256 (and more, for a PNG image).
uint8_t IconSideByte(int side);
// The side an entry's byte stands for: 1..256.
int IconSideOfByte(uint8_t side);
// The colour-count byte of a depth: 2 ^ depth below 8 bits, else 0.
uint8_t IconColorCountByte(int bitsPerPixel);

struct IconDirectoryEntry {
    uint8_t Width = 0; // as stored: see IconSideOfByte
    uint8_t Height = 0;
    uint8_t Colors = 0;
    // Bytes 4 to 7: planes and bit count in an icon file, the hot spot in a cursor file.
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Size = 0;
    uint32_t Offset = 0; // from the start of the directory; the writer lays it out

    uint16_t HotspotX() const { return Planes; }
    uint16_t HotspotY() const { return BitCount; }
    void SetHotspot(uint16_t x, uint16_t y) {
        Planes = x;
        BitCount = y;
    }
};

struct IconDirectory {
    uint16_t Type = 0;  // kept as found: readers decide what they accept
    uint16_t Count = 0; // as the header says
    std::vector<IconDirectoryEntry> Entries;

    bool IsCursor() const { return Type == CursorFileType; }
    // False when the stream ended before the last entry: Entries is then empty.
    bool Complete() const { return Entries.size() == Count; }
};

// Reads the directory at the stream's position and leaves the stream after it. nullopt
// when the stream ends inside the header. When it ends before the last entry the header
// counts, the header is answered without entries (see Complete): none is read or
// allocated, and nothing past the stream's end is read.
std::optional<IconDirectory> ReadIconDirectory(Stream& stream);

// Header and entries for `type`. The images are laid out one after another straight
// behind the directory in entry order: each entry's offset follows from the sizes before
// it, whatever its Offset field says.
std::vector<uint8_t> EncodeIconDirectory(uint16_t type,
                                         const std::vector<IconDirectoryEntry>& entries);

} // namespace pictavo
