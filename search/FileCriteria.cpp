#include "search/FileCriteria.h"

#include "search/CriteriaRoutines.h"

namespace pictavo {

void TFileCriteria::SetFileName(const std::string& value) {
    if (value != fileName_) {
        fileName_ = value;
        InvalidateTargetPaths();
    }
}

void TFileCriteria::SetLocation(const std::string& value) {
    if (value != location_) {
        location_ = value;
        InvalidateTargetPaths();
    }
}

void TFileCriteria::SetPaths(const std::vector<std::string>& lines) {
    paths_ = lines;
    InvalidateTargetPaths();
}

void TFileCriteria::AddPathLine(const std::string& line) {
    paths_.push_back(line);
    InvalidateTargetPaths();
}

void TFileCriteria::SetFolderMasks(const std::vector<TFolderMask>& items) {
    folderMasks_ = items;
    InvalidateTargetPaths();
}

void TFileCriteria::AddFolderMask(const std::string& folder, const std::string& mask) {
    folderMasks_.push_back({folder, mask});
    InvalidateTargetPaths();
}

void TFileCriteria::SetSubfolders(bool value) {
    if (value != subfolders_) {
        subfolders_ = value;
        InvalidateTargetPaths();
    }
}

void TFileCriteria::SetMinLevel(uint16_t value) {
    if (value != minLevel_) {
        minLevel_ = value;
        InvalidateTargetPaths();
    }
}

void TFileCriteria::SetMaxLevel(uint16_t value) {
    if (value != maxLevel_) {
        maxLevel_ = value;
        InvalidateTargetPaths();
    }
}

void TFileCriteria::SetFilters(const std::vector<std::string>& lines) {
    filters_ = lines;
}

const TTargetPaths& TFileCriteria::TargetPaths() {
    if (targetPaths_)
        return *targetPaths_;
    auto targets = std::make_unique<TTargetPaths>();
    const std::vector<std::string> masks = SplitList(fileName_, ';');
    // Folders are case-sensitive here, so "/a/X" and "/a/x" stay two locations.
    for (const std::string& item : SplitList(location_, ';', false))
        targets->AddFolder(item, masks, subfolders_, minLevel_, maxLevel_);
    for (const std::string& line : paths_) {
        const std::string trimmed = Trim(line);
        if (!trimmed.empty())
            targets->AddPath(trimmed, subfolders_, minLevel_, maxLevel_);
    }
    for (const TFolderMask& item : folderMasks_)
        targets->AddLiteralFolder(item.Folder, item.Mask, subfolders_, minLevel_, maxLevel_);
    targetPaths_ = std::move(targets);
    return *targetPaths_;
}

bool TFileCriteria::MatchesFilters(const std::string& folder, const std::string& name) const {
    if (filters_.empty())
        return true;
    std::string text = folder + name;
    if (name.find('.') == std::string::npos)
        text += '.';
    for (const std::string& filter : filters_) {
        if (!filter.empty() && filter[0] == '>') {
            if (WildcardMatch(text, filter.substr(1)))
                return true;
        } else {
            const size_t skip = (!filter.empty() && filter[0] == '<') ? 1 : 0;
            if (WildcardMatch(text, filter.substr(skip)))
                return false;
        }
    }
    return true;
}

void TFileCriteria::Assign(const TCustomCriteria& source) {
    const auto* other = dynamic_cast<const TFileCriteria*>(&source);
    if (other == nullptr)
        return TCustomCriteria::Assign(source);
    if (other == this)
        return;
    SetFileName(other->fileName_);
    SetLocation(other->location_);
    SetPaths(other->paths_);
    SetFolderMasks(other->folderMasks_);
    SetFilters(other->filters_);
    SetSubfolders(other->subfolders_);
    SetMinLevel(other->minLevel_);
    SetMaxLevel(other->maxLevel_);
}

void TFileCriteria::Clear() {
    SetFileName("");
    SetLocation("");
    SetPaths({});
    SetFolderMasks({});
    SetSubfolders(true);
    SetMinLevel(0);
    SetMaxLevel(0);
    SetFilters({});
}

} // namespace pictavo
