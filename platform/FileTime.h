#pragma once
// File times as the file system keeps them: POSIX seconds and nanoseconds since
// 1970-01-01 UTC. They stand where Windows has its FILETIME.

#include <cstdint>

namespace pictavo::platform {

struct FileTime {
    int64_t Seconds = 0;
    int32_t Nanoseconds = 0;

    bool operator==(const FileTime&) const = default;
};

} // namespace pictavo::platform
