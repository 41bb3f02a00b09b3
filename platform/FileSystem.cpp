#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pictavo::platform {

namespace {

FileTime FromStatx(const struct statx_timestamp& t) {
    return FileTime{static_cast<int64_t>(t.tv_sec), static_cast<int32_t>(t.tv_nsec)};
}

uint32_t AttributesOf(const struct statx& info, const char* name) {
    uint32_t attributes = 0;
    const mode_t mode = info.stx_mode;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    else if (!S_ISLNK(mode))
        attributes |= FILE_ATTRIBUTE_SYSTEM;
    if ((mode & S_IWUSR) == 0 && !S_ISLNK(mode))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (name[0] == '.')
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

void FillFrom(const struct statx& info, const char* name, FindData& data) {
    data.FileAttributes = AttributesOf(info, name);
    data.CreationTime =
        (info.stx_mask & STATX_BTIME) != 0 ? FromStatx(info.stx_btime) : FromStatx(info.stx_ctime);
    data.LastAccessTime = FromStatx(info.stx_atime);
    data.LastWriteTime = FromStatx(info.stx_mtime);
    // Windows reports no size for folders.
    const uint64_t size = S_ISDIR(info.stx_mode) ? 0 : info.stx_size;
    data.FileSizeHigh = static_cast<uint32_t>(size >> 32);
    data.FileSizeLow = static_cast<uint32_t>(size);
    data.FileName = name;
    data.Complete = true;
}

// The record as far as the listing tells it; false for links and unknown kinds, whose
// attributes need the file system.
bool FillFromListing(const struct dirent& entry, FindData& data) {
    uint32_t attributes = 0;
    switch (entry.d_type) {
    case DT_DIR:
        attributes = FILE_ATTRIBUTE_DIRECTORY;
        break;
    case DT_REG:
        attributes = FILE_ATTRIBUTE_ARCHIVE;
        break;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
        attributes = FILE_ATTRIBUTE_SYSTEM;
        break;
    default:
        return false;
    }
    if (entry.d_name[0] == '.')
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    data = FindData{};
    data.FileAttributes = attributes;
    data.FileName = entry.d_name;
    data.Complete = false;
    return true;
}

constexpr unsigned StatxWanted = STATX_BASIC_STATS | STATX_BTIME;

// name is relative to folderFd (or absolute).
bool ReadFindData(int folderFd, const char* name, const char* displayName, FindData& data) {
    struct statx info {};
    if (::statx(folderFd, name, AT_SYMLINK_NOFOLLOW, StatxWanted, &info) != 0)
        return false;
    if (!S_ISLNK(info.stx_mode)) {
        FillFrom(info, displayName, data);
        return true;
    }
    struct statx target {};
    if (::statx(folderFd, name, 0, StatxWanted, &target) == 0) {
        FillFrom(target, displayName, data);
    } else {
        FillFrom(info, displayName, data);
        data.FileAttributes |= FILE_ATTRIBUTE_ARCHIVE;
    }
    data.FileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return true;
}

bool CertainlyNotFolder(unsigned char type) {
    return type == DT_REG || type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// After name[i], the index of the next character (a UTF-8 sequence counts as one).
size_t NextCharacter(const std::string& name, size_t i) {
    ++i;
    while (i < name.size() && IsContinuationByte(name[i]))
        ++i;
    return i;
}

// "*" and "?" glob without the ".*" rule; iterative, so no mask takes exponential time.
bool GlobMatches(const std::string& name, const std::string& mask, size_t maskEnd) {
    size_t n = 0;
    size_t m = 0;
    size_t starMask = std::string::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (m < maskEnd && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < maskEnd && mask[m] == '?') {
            ++m;
            n = NextCharacter(name, n);
        } else if (m < maskEnd && FoldAscii(mask[m]) == FoldAscii(name[n])) {
            ++m;
            ++n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            starName = NextCharacter(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (m < maskEnd && mask[m] == '*')
        ++m;
    return m == maskEnd;
}

} // namespace

FileFinder::FileFinder(const std::string& folder, const std::string& mask, FindScope scope,
                       FindDetail detail)
    : mask_(mask), matchAll_(mask == "*" || mask == "*.*"), scope_(scope), detail_(detail) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        openError_ = errno;
        return;
    }
    dir_ = ::fdopendir(fd);
    if (dir_ == nullptr) {
        openError_ = errno;
        ::close(fd);
    }
}

FileFinder::~FileFinder() {
    if (dir_ != nullptr)
        ::closedir(dir_);
}

bool FileFinder::Next(FindData& data) {
    if (dir_ == nullptr)
        return false;
    while (const struct dirent* entry = ::readdir(dir_)) {
        if (scope_ == FindScope::FoldersOnly && CertainlyNotFolder(entry->d_type))
            continue;
        if (!matchAll_ && !MaskMatches(entry->d_name, mask_))
            continue;
        if (detail_ == FindDetail::Listing && FillFromListing(*entry, data))
            return true;
        // An entry removed since the listing began is passed over.
        if (ReadFindData(::dirfd(dir_), entry->d_name, entry->d_name, data))
            return true;
    }
    return false;
}

bool FileFinder::Complete(FindData& data) {
    if (data.Complete)
        return true;
    if (dir_ == nullptr)
        return false;
    FindData full;
    if (!ReadFindData(::dirfd(dir_), data.FileName.c_str(), data.FileName.c_str(), full))
        return false;
    data = std::move(full);
    return true;
}

bool GetFindData(const std::string& path, FindData& data) {
    std::string name = path;
    while (name.size() > 1 && name.back() == PathDelim)
        name.pop_back();
    const size_t slash = name.rfind(PathDelim);
    if (slash != std::string::npos && name.size() > 1)
        name.erase(0, slash + 1);
    return ReadFindData(AT_FDCWD, path.c_str(), name.c_str(), data);
}

bool CompleteFindData(const std::string& folder, FindData& data) {
    if (data.Complete)
        return true;
    FindData full;
    const std::string path = folder + data.FileName;
    if (!ReadFindData(AT_FDCWD, path.c_str(), data.FileName.c_str(), full))
        return false;
    data = std::move(full);
    return true;
}

bool MaskMatches(const std::string& name, const std::string& mask) {
    const size_t size = mask.size();
    if (GlobMatches(name, mask, size))
        return true;
    const bool endsInDotStar = size >= 2 && mask[size - 2] == '.' && mask[size - 1] == '*';
    return endsInDotStar && name.find('.') == std::string::npos &&
           GlobMatches(name, mask, size - 2);
}

std::string ExpandFileName(const std::string& path) {
    std::string full;
    if (path.empty() || path[0] != PathDelim) {
        std::vector<char> buffer(4096);
        while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
            if (errno != ERANGE) {
                buffer[0] = '\0'; // no current folder any more: resolve from the root
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
        full = buffer.data();
        full += PathDelim;
    }
    full += path;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find(PathDelim, start);
        if (end == std::string::npos)
            end = full.size();
        const std::string part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += PathDelim + part;
    return result.empty() ? std::string(1, PathDelim) : result;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == PathDelim)
        return path;
    return path + PathDelim;
}

} // namespace pictavo::platform
