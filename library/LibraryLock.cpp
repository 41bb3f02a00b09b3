#include "library/LibraryLock.h"

#include "platform/Paths.h"
#include "util/Exceptions.h"
#include "util/TempFileCleanup.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pictavo {

namespace {

// As many links as the system follows in one path before it gives up (ELOOP).
constexpr int MaxLinks = 40;

// The text of a symbolic link, or "" when the path is not one.
std::string LinkText(const std::string& path) {
    std::vector<char> buffer(PATH_MAX);
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
        return "";
    return std::string(buffer.data(), static_cast<size_t>(length));
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Waits for the lock of `fd`: blocked in the system, or looking again every LockPollMs
// after asking whileWaiting, which ends the wait by raising. 0 once locked, else -1 with
// errno set.
int WaitForLock(int fd, const std::function<void()>& whileWaiting) {
    int locked = 0;
    if (!whileWaiting) {
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        return locked;
    }
    for (;;) {
        whileWaiting();
        ::usleep(LockPollMs * 1000);
        if ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) == 0 ||
            (errno != EWOULDBLOCK && errno != EINTR))
            return locked;
    }
}

} // namespace

std::string LibraryFileName(const std::string& path) {
    std::string current = path;
    for (int i = 0; i < MaxLinks; ++i) {
        const std::string target = LinkText(current);
        if (target.empty())
            return current;
        current = target[0] == '/' ? target : platform::FolderOf(current) + "/" + target;
    }
    throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(), std::strerror(ELOOP)));
}

TLibraryLock::TLibraryLock(const std::string& libraryFileName,
                           const std::function<void(const std::string& lockFile)>& onWait,
                           const std::function<void()>& whileWaiting)
    : FLockName(libraryFileName + ".lock") {
    bool toldWaiting = false;
    // The holder removes the lock file when it ends; a waiter that then gets the lock of
    // the removed file tries again with the file now under the name.
    for (;;) {
        FFd = ::open(FLockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (FFd < 0)
            throw EFCreateError(Format("Cannot create the lock file \"%s\". %s", FLockName.c_str(),
                                       std::strerror(errno)));
        int locked = ::flock(FFd, LOCK_EX | LOCK_NB);
        if (locked != 0 && errno == EWOULDBLOCK) {
            if (onWait && !toldWaiting)
                onWait(FLockName);
            toldWaiting = true;
            try {
                locked = WaitForLock(FFd, whileWaiting);
            } catch (...) {
                ::close(FFd); // no destructor runs for a constructor that raises
                FFd = -1;
                throw;
            }
        }
        struct stat held {
        }, named{};
        if (locked == 0 && ::fstat(FFd, &held) == 0 && ::lstat(FLockName.c_str(), &named) == 0 &&
            SameFile(held, named)) {
            FRegistration = std::make_unique<TTempFileRegistration>(FLockName, TTempKind::File);
            return;
        }
        const int error = errno;
        ::close(FFd);
        FFd = -1;
        if (locked != 0)
            throw EFCreateError(
                Format("Cannot lock \"%s\". %s", FLockName.c_str(), std::strerror(error)));
    }
}

TLibraryLock::~TLibraryLock() {
    // Removed while still held, so nobody can lock the file that is going away unseen.
    ::unlink(FLockName.c_str());
    ::close(FFd);
}

} // namespace pictavo
