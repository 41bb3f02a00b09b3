#include "library/LibrarySources.h"

#include "util/Messages.h"

namespace pictavo {

const char* const OverwriteLibraryQuestionView =
    "Do you want to overwrite existing file?\r\nIf you choose \"No\" then file will be updated.";
const char* const OverwriteLibraryQuestionList =
    N_("是否覆盖现有的文件？\r\n如果你选择“否”,那么文件将被更新.");

std::vector<TIconSource> SourcesFromList(const std::vector<TListedFile>& rows, bool onlySelected) {
    std::vector<TIconSource> sources;
    for (const TListedFile& row : rows) {
        if (onlySelected && !row.Selected)
            continue;
        for (const TIconSource& source : EveryIconOf(row.FileName, row.IconCount))
            sources.push_back(source);
    }
    return sources;
}

bool IsIconLibraryName(const std::string& fileName) {
    const std::string extension = ".icl";
    if (fileName.size() < extension.size())
        return false;
    for (size_t i = 0; i < extension.size(); ++i) {
        const char c = fileName[fileName.size() - extension.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != extension[i])
            return false;
    }
    return true;
}

std::vector<TIconSource> SourcesFromView(const std::vector<TViewedIcon>& tiles, bool onlySelected) {
    std::vector<TIconSource> sources;
    for (const TViewedIcon& tile : tiles)
        if (!onlySelected || tile.Selected)
            sources.push_back({tile.ModuleName, tile.IconIndex});
    return sources;
}

void ShiftIndexesAfterRemoval(std::vector<TViewedIcon>& tiles, const std::string& library,
                              int removedIndex) {
    for (TViewedIcon& tile : tiles)
        if (tile.ModuleName == library && tile.IconIndex > removedIndex)
            --tile.IconIndex;
}

} // namespace pictavo
