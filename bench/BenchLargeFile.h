#pragma once
// A large generated input file of a benchmark, made once into the temporary folder and
// read into the page cache before the measured runs. Header-only: each benchmark is one
// program.

#include "util/Stream.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace pictavo::bench {

// Writes the file with `make` unless a file of `size` bytes is already there, then reads it
// once so that it is in the page cache. Making it takes at least its size in memory; that
// is done in a child process, because a spawned child reports the larger of its own peak
// memory and that of the process it was spawned from. False when the file is not right.
inline bool PrepareLargeFile(const std::string& path, uint64_t size,
                             const std::function<std::vector<uint8_t>()>& make) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || static_cast<uint64_t>(info.st_size) != size) {
        const pid_t builder = fork();
        if (builder == 0) {
            WriteFileBytes(path, make());
            _exit(0);
        }
        int status = 0;
        if (builder < 0 || waitpid(builder, &status, 0) != builder)
            return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::vector<char> chunk(1 << 20);
    uint64_t total = 0;
    for (size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
        total += got;
    std::fclose(file);
    return total == size;
}

} // namespace pictavo::bench
