#include "cli/ExtractTheme.h"

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "library/IconTheme.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

namespace pictavo::cli {

namespace {

// The icon the request names; the load's error propagates.
void LoadRequestedIcon(TMultiIcon& icon, const ThemeRequest& request, int count) {
    if (!request.Id.empty()) {
        LoadFileIconById(icon, request.FileName, request.Id);
        return;
    }
    if (request.Index >= count)
        throw Exception(Format("no icon %d (the file holds %d)", request.Index, count));
    LoadFileIcon(icon, request.FileName, request.Index);
}

} // namespace

int ExtractToTheme(const ThemeRequest& request) {
    if (FILE* file = std::fopen(request.FileName.c_str(), "rb"))
        std::fclose(file);
    else
        return Failure(request.FileName + ": " + std::strerror(errno));
    // Only the group names are read here, never an image.
    const int count = IconCountOfFile(request.FileName);
    if (count == 0) {
        SayError(request.FileName + ": no icons");
        return ExitNoIcons;
    }
    TMultiIcon icon;
    try {
        LoadRequestedIcon(icon, request, count);
    } catch (const std::exception& failure) {
        return Failure(FileErrorText(request.FileName, failure.what()));
    }
    const std::string name =
        request.Name.empty() ? ThemeIconName(request.FileName) : request.Name;
    std::vector<std::string> written;
    try {
        written = SaveIconToTheme(icon, request.ThemeFolder, name);
    } catch (const EInvalidGraphic& failure) {
        return Failure(FileErrorText(request.FileName, failure.what()));
    } catch (const std::exception& failure) {
        return Failure(FileErrorText(request.ThemeFolder, failure.what()));
    }
    for (const std::string& path : written)
        std::printf("%s\n", LineText(path).c_str());
    return ExitOk;
}

} // namespace pictavo::cli
