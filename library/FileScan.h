#pragma once
// The per-file step of a folder scan, shared by the window and `pictavo-cli scan`: the
// ignore-duplicates check, the icon probe, the listed file's record and the running
// totals.

#include "search/FindFile.h"
#include "util/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

namespace pictavo {

// One listed file: a file that holds icons.
struct TFileEntry {
    std::string FileName; // full path
    int32_t IconCount = 0;
    TDateTime ModifiedTime = 0; // local
    int64_t Size = 0;
};

// What one examined file gives.
struct TScanStep {
    std::optional<TFileEntry> Entry; // set when the file holds icons
    // The current file as the status line names it: its full path, or for a skipped
    // duplicate the lower-case name.
    std::string StatusName;
};

class TFileScan {
public:
    // Examines one file the search reported. With ignoreDuplicates, a file whose name
    // (A-Z folded to a-z) was examined before is skipped; a name is recorded before the
    // probe, whether or not the file holds icons. The probe counts the icon groups of a
    // module, else 1 for a loadable ICO/CUR file, else 0 (never raises); it opens the file
    // once, relative to fileInfo.FolderFd when that is set, and the entry's size and time
    // are those of the open file (so fileInfo may come from the folder listing alone).
    TScanStep FileMatch(const TFileDetails& fileInfo, bool ignoreDuplicates);

    // Empties the remembered names and the totals (a scan that clears its results).
    void Clear();

    int32_t FileTotal() const { return FFileTotal; }
    int32_t IconTotal() const { return FIconTotal; }

private:
    std::unordered_set<std::string> FSeenNames;
    int32_t FFileTotal = 0;
    int32_t FIconTotal = 0;
};

// The entry of one file looked at again after it changed (a library an icon was taken
// from): empty when it is gone or holds no icons any more.
std::optional<TFileEntry> ExamineFileAgain(const std::string& fileName);

} // namespace pictavo
