#include "library/PrivateTempFolder.h"

#include "util/Exceptions.h"
#include "util/TempFolder.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pictavo {

namespace {

constexpr char Prefix[] = "pictavo-";
// Written into every folder of ours, under the folder's lock: a folder without it (a
// user's own "pictavo-2024-export") is never taken for a dead run's.
constexpr char MarkerName[] = ".pictavo-temp-folder";

// A listing of the folder open as `fd`, which it takes over (closed on failure too);
// nullptr when the folder cannot be listed.
DIR* ListingOf(int fd) {
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr && fd >= 0)
        ::close(fd);
    return dir;
}

// How deep a folder of ours is removed: deeper than anything written into it (an icon
// theme written there by a test is four levels), and never without end.
constexpr int MaxDepth = 16;

// Whether the name is one this program gives its folders: "pictavo-PID-XXXXXX", the
// last six characters chosen by mkdtemp.
bool IsOurFolderName(const std::string& name) {
    const size_t prefix = sizeof Prefix - 1;
    const size_t dash = name.find('-', prefix);
    if (name.compare(0, prefix, Prefix) != 0 || dash == std::string::npos || dash == prefix ||
        dash > prefix + 10 || name.size() != dash + 7)
        return false;
    for (size_t i = prefix; i < dash; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    for (size_t i = dash + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// Whether the open folder carries the marker only this program writes into its folders.
bool HasMarker(int folder) {
    struct stat info {};
    return ::fstatat(folder, MarkerName, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

// Removes the folders that killed runs left (SIGKILL gives no chance to clean up). A
// folder is a dead run's when it has our name and our marker and nobody holds its lock:
// its owner locks it for its whole life, also from another process-id namespace (a
// sandbox sharing the temporary folder) whose process ids mean nothing here.
void RemoveDeadOwnersFolders(const std::string& tempFolder) {
    const int temp = ::open(tempFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = ListingOf(temp); // temp stays open with the listing, for the *at calls
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsOurFolderName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(temp, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const int folder =
            ::openat(temp, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0)
            continue;
        if (::flock(folder, LOCK_EX | LOCK_NB) == 0 && HasMarker(folder)) {
            RemoveFolderTree(temp, entry->d_name, MaxDepth);
        }
        ::close(folder);
    }
    ::closedir(dir);
}

} // namespace

TPrivateTempFolder::TPrivateTempFolder() {
    // "pictavo-PID-XXXXXX": the process id tells a person whose folder it is; a later run
    // tells by the marker and the lock whether the owner is gone.
    std::string pattern = GetTempFolder() + Prefix + std::to_string(::getpid()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp makes the folder with mode 0700 under a name nobody else can predict.
    if (::mkdtemp(buffer.data()) == nullptr)
        throw EFCreateError(Format("Cannot create a temporary folder in \"%s\". %s",
                                   GetTempFolder().c_str(), std::strerror(errno)));
    FPath = std::string(buffer.data()) + "/";
    FRegistration = std::make_unique<TTempFileRegistration>(buffer.data(), TTempKind::Folder);
    // Locked before the marker is written, so a folder with the marker is never free while
    // its owner lives. A cleaner that found the new folder unmarked lets go at once.
    FLock = ::open(buffer.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FLock >= 0) {
        while (::flock(FLock, LOCK_EX) != 0 && errno == EINTR) {
        }
        const int marker = ::open(File(MarkerName).c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (marker >= 0)
            ::close(marker);
    }
    RemoveDeadOwnersFolders(GetTempFolder());
}

std::string TPrivateTempFolder::File(const std::string& name) {
    const std::string path = FPath + name;
    if (FFileNames.insert(name).second)
        FFiles.emplace_back(path, TTempKind::File);
    return path;
}

bool IsInPrivateTempFolder(const std::string& path) {
    const std::string temp = GetTempFolder();
    if (path.compare(0, temp.size(), temp) != 0)
        return false;
    const size_t end = path.find('/', temp.size());
    return IsOurFolderName(path.substr(temp.size(), end - temp.size()));
}

TPrivateTempFolder::~TPrivateTempFolder() {
    RemoveFolderTree(AT_FDCWD, FPath.c_str(), MaxDepth);
    if (FLock >= 0)
        ::close(FLock);
}

} // namespace pictavo
