#pragma once
// Folder enumeration with Windows-style records (FindFirstFile/FindNextFile),
// Windows file-name masks, and absolute paths.
//
// Attribute bits are mapped from POSIX: directory 0x10; hidden 0x2 for names that
// begin with "."; read-only 0x1 when the owner may not write; reparse point 0x400
// for symbolic links; system 0x4 for sockets, FIFOs and device nodes; archive 0x20
// for regular files.

#include "platform/FileTime.h"

#include <cstdint>
#include <dirent.h>
#include <string>

namespace pictavo::platform {

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

constexpr char PathDelim = '/';

// One folder entry. A symbolic link carries the reparse-point bit and, when its
// target exists, the target's kind, size and times; a dangling link describes itself.
//
// A record made from the folder listing alone (Complete false) has the name and every
// attribute bit but read-only; size and times are 0 until CompleteFindData fills them.
// Listing alone spares a stat call per entry for walks that never look at them.
struct FindData {
    uint32_t FileAttributes = 0;
    FileTime CreationTime; // birth time where the file system keeps one, else change time
    FileTime LastAccessTime;
    FileTime LastWriteTime;
    uint32_t FileSizeHigh = 0;
    uint32_t FileSizeLow = 0;
    std::string FileName;
    bool Complete = true;

    int64_t Size() const {
        return static_cast<int64_t>((static_cast<uint64_t>(FileSizeHigh) << 32) | FileSizeLow);
    }
};

enum class FindDetail {
    Full,    // every record complete
    Listing, // records from the listing alone where it tells the kind of entry
};

enum class FindScope {
    All,
    // Entries that are certainly not folders may be left out (FindExSearchLimitToDirectories);
    // callers still test the directory bit.
    FoldersOnly,
};

// Lists the entries of one folder whose names match a mask, in the order the file
// system returns them ("." and ".." included, as Windows does). A folder that cannot
// be opened lists nothing. Closed on destruction.
class FileFinder {
public:
    FileFinder(const std::string& folder, const std::string& mask, FindScope scope = FindScope::All,
               FindDetail detail = FindDetail::Full);
    ~FileFinder();
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    bool IsOpen() const { return dir_ != nullptr; }
    // The system's error number when the folder could not be opened, else 0.
    int OpenError() const { return openError_; }
    // The open folder, for opening its entries relative to it; -1 when it is not open.
    int Descriptor() const { return dir_ != nullptr ? ::dirfd(dir_) : -1; }
    // Fills data with the next matching entry; false when there is none left.
    bool Next(FindData& data);
    // CompleteFindData for a record of this enumeration while it is open (cheaper: the
    // folder is already open).
    bool Complete(FindData& data);

private:
    DIR* dir_ = nullptr;
    int openError_ = 0;
    std::string mask_;
    bool matchAll_ = false;
    FindScope scope_;
    FindDetail detail_;
};

// The record of one path, as an enumeration of its folder would give it; false when
// it does not exist.
bool GetFindData(const std::string& path, FindData& data);

// Fills in what a listing-only record lacks; false (record unchanged) when the entry is
// gone. Does nothing to a complete record.
bool CompleteFindData(const std::string& folder, FindData& data);

// Windows mask matching: "*" any run, "?" one character, letters A-Z compared without
// case; a mask ending in ".*" also matches the names without a dot ("*.*" matches all).
bool MaskMatches(const std::string& name, const std::string& mask);

// The absolute form of a path: relative to the current folder, "." and ".." resolved
// by name (links are not followed), repeated delimiters collapsed, no trailing
// delimiter except for the root. An empty path is the current folder.
std::string ExpandFileName(const std::string& path);

std::string IncludeTrailingPathDelimiter(const std::string& path);

} // namespace pictavo::platform
