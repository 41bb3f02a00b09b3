#include "library/FileScan.h"

#include "library/FileIcons.h"
#include "platform/FileSystem.h"
#include "search/CriteriaRoutines.h"

#include <fcntl.h>

namespace pictavo {

TScanStep TFileScan::FileMatch(const TFileDetails& fileInfo, bool ignoreDuplicates) {
    TScanStep step;
    if (ignoreDuplicates) {
        // Linux file names differ by case: A.dll and a.dll are two files.
        const std::string& name = fileInfo.Name;
        if (!FSeenNames.insert(name).second) {
            step.StatusName = name;
            return step;
        }
    }
    const std::string path =
        platform::IncludeTrailingPathDelimiter(fileInfo.Location) + fileInfo.Name;
    step.StatusName = path;
    // One open of the file gives the count and the row's size and time.
    const bool link = (fileInfo.Attributes & platform::FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const std::optional<TFileIconProbe> probe =
        fileInfo.FolderFd >= 0 ? ProbeFileIcons(fileInfo.FolderFd, fileInfo.Name, link)
                               : ProbeFileIcons(AT_FDCWD, path, link);
    if (probe && probe->IconCount > 0) {
        step.Entry = TFileEntry{path, probe->IconCount,
                                FileTimeToLocalDateTime(probe->ModifiedTime), probe->Size};
        ++FFileTotal;
        FIconTotal += probe->IconCount;
    }
    return step;
}

std::optional<TFileEntry> ExamineFileAgain(const std::string& fileName) {
    TFileDetails details;
    if (!GetFileDetails(fileName, details))
        return std::nullopt;
    TFileScan scan;
    std::optional<TFileEntry> entry = scan.FileMatch(details, false).Entry;
    if (entry)
        entry->FileName = fileName; // as the caller knows it
    return entry;
}

void TFileScan::Clear() {
    FSeenNames.clear();
    FFileTotal = 0;
    FIconTotal = 0;
}

} // namespace pictavo
