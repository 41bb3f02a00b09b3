#pragma once
// The folders a search walks, each with its own masks and depth limits.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

struct TTargetPath {
    std::string Folder;             // absolute, ending in "/"
    std::vector<std::string> Masks; // in the order added, duplicates kept
    bool Subfolders = true;
    uint16_t MinLevel = 0; // shallowest level whose files are reported (target = 1)
    uint16_t MaxLevel = 0; // deepest level searched; 0 = unlimited
};

// An owning list of targets in first-appearance order.
class TTargetPaths {
public:
    size_t Count() const { return items_.size(); }
    const TTargetPath& operator[](size_t index) const { return *items_[index]; }
    TTargetPath& operator[](size_t index) { return *items_[index]; }

    // The target whose folder is exactly this one (paths are case-sensitive here), or null.
    TTargetPath* Find(const std::string& folder);

    // Parses the location's prefix, finds or appends its target, sets the target's
    // flags from this entry and appends the masks ("*.*" when there are none).
    TTargetPath& AddFolder(const std::string& location, const std::vector<std::string>& masks,
                           bool subfolders, uint16_t minLevel, uint16_t maxLevel);

    // A folder and a mask in one line, split at the last "/"; the folder part may carry
    // a location prefix, an empty mask part means "*.*".
    TTargetPath& AddPath(const std::string& line, bool subfolders, uint16_t minLevel,
                         uint16_t maxLevel);

    // One folder taken as it is: no ";" splitting, no level prefix, no trimming, since a
    // folder name on Linux may hold ";", "<", ">" and blanks. A "/" inside the mask moves
    // the folder down to the mask's folder part; an empty mask means "*.*".
    TTargetPath& AddLiteralFolder(const std::string& folder, const std::string& mask,
                                  bool subfolders, uint16_t minLevel, uint16_t maxLevel);

private:
    TTargetPath& Target(const std::string& location, bool subfolders, uint16_t minLevel,
                        uint16_t maxLevel);
    TTargetPath& ResolvedTarget(const std::string& folder, bool subfolders, uint16_t minLevel,
                                uint16_t maxLevel);

    std::vector<std::unique_ptr<TTargetPath>> items_;
};

} // namespace pictavo
