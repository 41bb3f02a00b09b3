#include "platform/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

namespace {

// errno for a file that is no regular file; ENODEV reads "No such device", so the
// text is given by NotARegularFileText instead.
constexpr int NotRegular = ENODEV;

int RefuseKind(mode_t mode) {
    errno = S_ISDIR(mode) ? EISDIR : NotRegular;
    return -1;
}

} // namespace

int OpenRegularFile(const std::string& fileName, int access, int folderFd) {
    // Looking first spares devices even the open; the check after opening covers a
    // file replaced in between. O_NONBLOCK keeps that open from waiting on a FIFO.
    struct stat info {};
    if (::fstatat(folderFd, fileName.c_str(), &info, 0) == 0 && !S_ISREG(info.st_mode))
        return RefuseKind(info.st_mode);
    const int fd = ::openat(folderFd, fileName.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return RefuseKind(info.st_mode);
    }
    // Reads of a regular file never wait anyway; clear the flag for plain semantics.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

const char* NotARegularFileText() {
    return "Not a regular file";
}

std::string OpenErrorText(int error) {
    return error == NotRegular ? NotARegularFileText() : std::strerror(error);
}

} // namespace pictavo::platform
