#include "search/TargetPaths.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "search/CriteriaRoutines.h"

namespace pictavo {

namespace {
const char* const AllFiles = "*.*";
}

TTargetPath* TTargetPaths::Find(const std::string& folder) {
    for (const std::unique_ptr<TTargetPath>& item : items_)
        if (item->Folder == folder)
            return item.get();
    return nullptr;
}

TTargetPath& TTargetPaths::Target(const std::string& location, bool subfolders, uint16_t minLevel,
                                  uint16_t maxLevel) {
    const std::string folder = ParseLocation(location, subfolders, minLevel, maxLevel);
    return ResolvedTarget(folder, subfolders, minLevel, maxLevel);
}

TTargetPath& TTargetPaths::ResolvedTarget(const std::string& folder, bool subfolders,
                                          uint16_t minLevel, uint16_t maxLevel) {
    TTargetPath* target = Find(folder);
    if (target == nullptr)
        target = items_.emplace_back(std::make_unique<TTargetPath>()).get();
    target->Folder = folder;
    target->Subfolders = subfolders;
    target->MinLevel = minLevel;
    target->MaxLevel = maxLevel;
    return *target;
}

TTargetPath& TTargetPaths::AddFolder(const std::string& location,
                                     const std::vector<std::string>& masks, bool subfolders,
                                     uint16_t minLevel, uint16_t maxLevel) {
    TTargetPath& target = Target(location, subfolders, minLevel, maxLevel);
    if (masks.empty())
        target.Masks.push_back(AllFiles);
    else
        target.Masks.insert(target.Masks.end(), masks.begin(), masks.end());
    return target;
}

TTargetPath& TTargetPaths::AddPath(const std::string& line, bool subfolders, uint16_t minLevel,
                                   uint16_t maxLevel) {
    TTargetPath& target = Target(platform::FolderPartOf(line), subfolders, minLevel, maxLevel);
    const std::string mask = platform::FileNameOf(line);
    target.Masks.push_back(mask.empty() ? AllFiles : mask);
    return target;
}

TTargetPath& TTargetPaths::AddLiteralFolder(const std::string& folder, const std::string& mask,
                                            bool subfolders, uint16_t minLevel, uint16_t maxLevel) {
    const std::string full =
        platform::IncludeTrailingPathDelimiter(folder) + platform::FolderPartOf(mask);
    TTargetPath& target =
        ResolvedTarget(platform::IncludeTrailingPathDelimiter(platform::ExpandFileName(full)),
                       subfolders, minLevel, maxLevel);
    const std::string name = platform::FileNameOf(mask);
    target.Masks.push_back(name.empty() ? AllFiles : name);
    return target;
}

} // namespace pictavo
