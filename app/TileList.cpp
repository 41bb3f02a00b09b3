#include "app/TileList.h"

#include <algorithm>
#include <sys/stat.h>

namespace pictavo {

TTileFile StatTileFile(const std::string& name) {
    TTileFile file{name, -1, 0, 0, 0};
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0) {
        file.Size = static_cast<int64_t>(info.st_size);
        file.ModifiedNs =
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        file.Inode = static_cast<int64_t>(info.st_ino);
        file.ChangedNs =
            static_cast<int64_t>(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
    }
    return file;
}

int32_t TTileList::FileNumber(const std::string& name) {
    const auto found = FFileNumbers.find(name);
    if (found != FFileNumbers.end())
        return found->second;
    const auto number = static_cast<int32_t>(FFiles.size());
    FFiles.push_back(StatTileFile(name));
    FFileNumbers.emplace(name, number);
    return number;
}

void TTileList::RefreshFile(const std::string& name) {
    const auto found = FFileNumbers.find(name);
    if (found != FFileNumbers.end())
        FFiles[static_cast<size_t>(found->second)] = StatTileFile(name);
}

void TTileList::RemoveAt(int position) {
    if (position >= 0 && position < Count())
        FTiles.erase(FTiles.begin() + position);
}

void TTileList::RemoveLast(int count) {
    if (count <= 0)
        return;
    FTiles.resize(FTiles.size() - std::min(FTiles.size(), static_cast<size_t>(count)));
    if (FTiles.empty())
        Clear();
}

void TTileList::Clear() {
    FTiles.clear();
    FLargestIndex = 0;
    FFiles.clear();
    FFileNumbers.clear();
}

} // namespace pictavo
