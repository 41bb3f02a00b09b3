#pragma once
// Which folders a search visits: names, locations, depth limits and path filters.

#include "search/CustomCriteria.h"
#include "search/TargetPaths.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

// A folder taken as it is, with one mask (see TTargetPaths::AddLiteralFolder).
struct TFolderMask {
    std::string Folder;
    std::string Mask;
    bool operator==(const TFolderMask&) const = default;
};

class TFileCriteria : public TCustomCriteria {
public:
    // File-name masks separated by ";"; none means "*.*".
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);
    // Folders separated by ";", each with an optional prefix (see ParseLocation).
    const std::string& Location() const { return location_; }
    void SetLocation(const std::string& value);
    // Lines of a folder plus a mask, e.g. "2>/data/icons/*.ico".
    const std::vector<std::string>& Paths() const { return paths_; }
    void SetPaths(const std::vector<std::string>& lines);
    void AddPathLine(const std::string& line);
    // Folders searched as they are named, for callers that mean exactly one folder (a
    // folder picked in the window, the command line's DIR): Location and Paths would
    // read ";", "<" and ">" in its name as separators and level prefixes.
    const std::vector<TFolderMask>& FolderMasks() const { return folderMasks_; }
    void SetFolderMasks(const std::vector<TFolderMask>& items);
    void AddFolderMask(const std::string& folder, const std::string& mask);
    bool Subfolders() const { return subfolders_; }
    void SetSubfolders(bool value);
    uint16_t MinLevel() const { return minLevel_; }
    void SetMinLevel(uint16_t value);
    uint16_t MaxLevel() const { return maxLevel_; }
    void SetMaxLevel(uint16_t value);
    // Path patterns tried in order, the first that matches decides: ">mask" accepts,
    // "mask" or "<mask" rejects. No match, or no filters, accepts.
    const std::vector<std::string>& Filters() const { return filters_; }
    void SetFilters(const std::vector<std::string>& lines);

    // The resolved targets, built on the first call after a change and owned here.
    const TTargetPaths& TargetPaths();
    void InvalidateTargetPaths() { targetPaths_.reset(); }

    // Tests folder + name (plus "." when the name has no extension) against Filters.
    bool MatchesFilters(const std::string& folder, const std::string& name) const;

    void Assign(const TCustomCriteria& source) override;
    void Clear() override;
    const char* ClassName() const override { return "TFileCriteria"; }

private:
    std::string fileName_;
    std::string location_;
    std::vector<std::string> paths_;
    std::vector<TFolderMask> folderMasks_;
    bool subfolders_ = true;
    uint16_t minLevel_ = 0;
    uint16_t maxLevel_ = 0;
    std::vector<std::string> filters_;
    std::unique_ptr<TTargetPaths> targetPaths_;
};

} // namespace pictavo
