#include "app/ViewIcons.h"

#include "icons/MultiIcon.h"
#include "library/FileIcons.h"

#include <exception>

struct TViewIconFilter::Loader {
    pictavo::TFileIconLoader Files;
    pictavo::TMultiIcon Icon;
};

namespace {

bool HasDeepImage(const pictavo::TMultiIcon& icon) {
    for (int i = 0; i < icon.IconCount(); ++i)
        if (icon.GetIconData(i).BitsPerPixel >= 32)
            return true;
    return false;
}

} // namespace

TViewIconFilter::TViewIconFilter(bool only32)
    : FOnly32(only32), FLoader(only32 ? new Loader : nullptr) {
    if (FLoader)
        FLoader->Icon.SetDrawAllImages(false);
}

TViewIconFilter::~TViewIconFilter() {
    delete FLoader;
}

std::vector<int> TViewIconFilter::Qualifying(const std::string& fileName, int iconCount,
                                             const std::function<void(int icon)>& onIcon) {
    std::vector<int> icons;
    for (int i = 0; i < iconCount; ++i) {
        if (onIcon)
            onIcon(i);
        if (FOnly32) {
            try {
                FLoader->Files.Load(FLoader->Icon, fileName, i);
            } catch (const std::exception&) {
                continue; // an icon that cannot be loaded is not shown
            }
            if (!HasDeepImage(FLoader->Icon))
                continue;
        }
        icons.push_back(i);
    }
    return icons;
}

void CollectViewIcons(const std::vector<TViewFile>& files, bool only32, TWorkProgress& progress,
                      TViewIcons& result) {
    size_t total = 0;
    for (const TViewFile& file : files)
        total += static_cast<size_t>(std::max(0, file.IconCount));
    progress.SetTotal(total);
    TViewIconFilter filter(only32);
    size_t done = 0;
    for (int f = 0; f < static_cast<int>(files.size()); ++f) {
        progress.Step(done, files[f].FileName);
        const std::vector<int> icons =
            filter.Qualifying(files[f].FileName, files[f].IconCount, [&](int i) {
                // Without the filter nothing is loaded: a step per file is enough.
                if (only32)
                    progress.Step(done + static_cast<size_t>(i));
            });
        for (int i : icons)
            result.Icons.push_back({f, i});
        result.Files = f + 1;
        done += static_cast<size_t>(std::max(0, files[f].IconCount));
    }
    progress.Step(done);
}
