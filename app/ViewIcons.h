// Which icons of which files the icon view shows: every icon, or with the 32-bit filter
// only the icons that have an image of 32 bits per pixel or more (each one loaded to
// find out, which is why it runs off the window's thread).
#pragma once

#include "app/WorkProgress.h"

#include <string>
#include <vector>

class TViewIconFilter {
public:
    explicit TViewIconFilter(bool only32);
    ~TViewIconFilter();
    TViewIconFilter(const TViewIconFilter&) = delete;
    TViewIconFilter& operator=(const TViewIconFilter&) = delete;

    // The numbers of the file's icons 0 .. iconCount - 1 that qualify, in order; an icon
    // that cannot be loaded does not. `onIcon` is told each icon before it is looked at.
    std::vector<int> Qualifying(const std::string& fileName, int iconCount,
                                const std::function<void(int icon)>& onIcon = {});

private:
    struct Loader;
    bool FOnly32;
    Loader* FLoader;
};

struct TViewFile {
    std::string FileName;
    int IconCount = 0;
};

struct TViewIcon {
    int File = 0; // position in the list of files
    int IconIndex = 0;
};

struct TViewIcons {
    std::vector<TViewIcon> Icons;
    int Files = 0; // the files gone through whole
};

// The qualifying icons of the files, files in order; progress counts icons. A cancel
// between two files keeps the icons of the files already gone through; inside a file it
// drops that file's icons found so far.
void CollectViewIcons(const std::vector<TViewFile>& files, bool only32, TWorkProgress& progress,
                      TViewIcons& result);
