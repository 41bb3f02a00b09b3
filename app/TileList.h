// The tiles of the icon view as plain data, in display order: which icon of which file
// each shows, the number its caption shows and whether it is selected. Files are kept
// once for all their tiles, with the size and time that tell a changed file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace pictavo {

// A file's version as the tiles' painted icons depend on it: a file rewritten with its
// size and modification time kept (a copy that keeps times, a rename over it) still gets
// another inode or change time.
struct TTileFile {
    std::string Name;
    int64_t Size = -1; // -1: unreadable
    int64_t ModifiedNs = 0;
    int64_t Inode = 0;
    int64_t ChangedNs = 0;
};

struct TTile {
    int32_t File = 0;
    int32_t IconIndex = 0;
    int32_t Index = 0; // the number of its caption: its position when it was placed
    bool Selected = false;
};

class TTileList {
public:
    int Count() const { return static_cast<int>(FTiles.size()); }
    const TTile& At(int position) const { return FTiles.at(static_cast<size_t>(position)); }
    TTile& At(int position) { return FTiles.at(static_cast<size_t>(position)); }
    const TTileFile& FileOf(int position) const {
        return FFiles.at(static_cast<size_t>(At(position).File));
    }
    // The file's number, added (with its size and time) when it is new.
    int32_t FileNumber(const std::string& name);
    // Reads the file's size and time again (after the window wrote it).
    void RefreshFile(const std::string& name);

    void Append(const TTile& tile) {
        FTiles.push_back(tile);
        FLargestIndex = std::max(FLargestIndex, tile.Index);
    }
    // The largest caption number appended since the list was last cleared (a tile
    // reused in place never exceeds it): the widest caption the tiles need room for.
    int32_t LargestIndex() const { return FLargestIndex; }
    void RemoveAt(int position);
    // Drops the last `count` tiles (all when count exceeds them).
    void RemoveLast(int count);
    void Clear();

private:
    std::vector<TTileFile> FFiles;
    std::unordered_map<std::string, int32_t> FFileNumbers;
    std::vector<TTile> FTiles;
    int32_t FLargestIndex = 0;
};

// The file's size and modification time as the tile cache tells versions apart.
TTileFile StatTileFile(const std::string& name);

} // namespace pictavo
