#include "platform/TempPath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace pictavo::platform {

namespace {

constexpr char FallbackFolder[] = "/tmp/";

// $TMPDIR when it is set, else nullptr.
const char* TmpdirSetting() {
    const char* value = std::getenv("TMPDIR");
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// 0 when the path is a folder, else the system's error number (ENOTDIR for another kind).
int FolderError(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

} // namespace

std::string TempPath() {
    const char* value = TmpdirSetting();
    if (value == nullptr || FolderError(value) != 0)
        return FallbackFolder;
    std::string path = value;
    if (path.back() != '/')
        path.push_back('/');
    return path;
}

std::string TempPathProblem() {
    const char* value = TmpdirSetting();
    const int error = value != nullptr ? FolderError(value) : 0;
    if (error == 0)
        return "";
    return std::string("TMPDIR \"") + value + "\" cannot be used (" + std::strerror(error) +
           "): temporary files go to /tmp";
}

} // namespace pictavo::platform
