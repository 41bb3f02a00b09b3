#pragma once
// Which icons the two library commands of the window collect: every icon of the taken
// file-list rows, or the icons of the taken tiles of the icon view. "Taken" is every
// item, or only the selected ones.

#include "library/IconLibraryBuilder.h"

#include <string>
#include <vector>

namespace pictavo {

// A file-list row as the library command sees it.
struct TListedFile {
    std::string FileName;
    int IconCount = 0;
    bool Selected = false;
};

// A tile of the icon view as the library command sees it.
struct TViewedIcon {
    std::string ModuleName;
    int IconIndex = 0;
    bool Selected = false;
};

// Icons 0 .. IconCount - 1 of each taken row, rows in list order.
std::vector<TIconSource> SourcesFromList(const std::vector<TListedFile>& rows, bool onlySelected);
// The icon of each taken tile, tiles in view order.
std::vector<TIconSource> SourcesFromView(const std::vector<TViewedIcon>& tiles, bool onlySelected);

// After icon `removedIndex` of `library` was removed from it, the later icons of that
// library moved up by one: so do the tiles that show them. Other tiles stay.
void ShiftIndexesAfterRemoval(std::vector<TViewedIcon>& tiles, const std::string& library,
                              int removedIndex);

// True for a file name ending in ".icl" in any case: an icon library the window
// offers to remove an icon from.
bool IsIconLibraryName(const std::string& fileName);

// The questions asked when the chosen library exists; Yes rebuilds it from the template
// (the previous file stays as the backup), No updates it.
extern const char* const OverwriteLibraryQuestionView;
extern const char* const OverwriteLibraryQuestionList;

} // namespace pictavo
