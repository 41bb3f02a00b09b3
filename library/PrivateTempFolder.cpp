#include "library/PrivateTempFolder.h"

#include "util/Exceptions.h"
#include "util/TempFolder.h"

#include <cerrno>
#include <csignal>
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

// A listing of the folder open as `fd`, which it takes over (closed on failure too);
// nullptr when the folder cannot be listed.
DIR* ListingOf(int fd) {
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr && fd >= 0)
        ::close(fd);
    return dir;
}

// Removes the plain files of the open folder.
void RemoveFilesIn(int folder) {
    DIR* dir = ListingOf(::dup(folder));
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            ::unlinkat(folder, name.c_str(), 0);
    }
    ::closedir(dir);
}

// The owner's process id in "pictavo-PID-XXXXXX", or 0 for any other name.
pid_t OwnerOf(const std::string& name) {
    const size_t prefix = sizeof Prefix - 1;
    const size_t dash = name.find('-', prefix);
    if (name.compare(0, prefix, Prefix) != 0 || dash == std::string::npos || dash == prefix ||
        dash > prefix + 9 || name.size() != dash + 7)
        return 0;
    pid_t pid = 0;
    for (size_t i = prefix; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

bool IsRunning(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Removes the folders a killed run left (SIGKILL gives no chance to clean up): ours, named
// after a process that no longer runs, and not locked. The lock covers an owner that runs
// in another process-id namespace (a sandbox sharing the temporary folder).
void RemoveDeadOwnersFolders(const std::string& tempFolder) {
    const int temp = ::open(tempFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = ListingOf(temp); // temp stays open with the listing, for the *at calls
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = OwnerOf(entry->d_name);
        if (owner <= 0 || owner == ::getpid() || IsRunning(owner))
            continue;
        struct stat info {};
        if (::fstatat(temp, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const int folder =
            ::openat(temp, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folder < 0)
            continue;
        if (::flock(folder, LOCK_EX | LOCK_NB) == 0) {
            RemoveFilesIn(folder);
            ::unlinkat(temp, entry->d_name, AT_REMOVEDIR);
        }
        ::close(folder);
    }
    ::closedir(dir);
}

} // namespace

TPrivateTempFolder::TPrivateTempFolder() {
    // "pictavo-PID-XXXXXX": a later run tells by the process id and the lock whether the
    // owner is gone.
    std::string pattern = GetTempFolder() + Prefix + std::to_string(::getpid()) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp makes the folder with mode 0700 under a name nobody else can predict.
    if (::mkdtemp(buffer.data()) == nullptr)
        throw EFCreateError(Format("Cannot create a temporary folder in \"%s\". %s",
                                   GetTempFolder().c_str(), std::strerror(errno)));
    FPath = std::string(buffer.data()) + "/";
    FRegistration = std::make_unique<TTempFileRegistration>(buffer.data(), TTempKind::Folder);
    FLock = ::open(buffer.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FLock >= 0)
        ::flock(FLock, LOCK_EX | LOCK_NB);
    RemoveDeadOwnersFolders(GetTempFolder());
}

std::string TPrivateTempFolder::File(const std::string& name) {
    const std::string path = FPath + name;
    FFiles.emplace_back(path, TTempKind::File);
    return path;
}

bool IsInPrivateTempFolder(const std::string& path) {
    const std::string temp = GetTempFolder();
    if (path.compare(0, temp.size(), temp) != 0)
        return false;
    const size_t end = path.find('/', temp.size());
    return OwnerOf(path.substr(temp.size(), end - temp.size())) > 0;
}

TPrivateTempFolder::~TPrivateTempFolder() {
    // Only this process writes here, and only plain files.
    const int folder =
        FLock >= 0 ? FLock : ::open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        RemoveFilesIn(folder);
        ::close(folder);
    }
    ::rmdir(FPath.c_str());
}

} // namespace pictavo
