#include "cli/StandardOutput.h"

#include "util/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pictavo::cli {

namespace {

[[noreturn]] void RaiseWriteError(int error) {
    throw Exception(
        Format("Cannot write to standard output. %s", std::strerror(error != 0 ? error : EIO)));
}

} // namespace

void WriteStandardOutput(const std::vector<uint8_t>& bytes) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
        RaiseWriteError(errno);
    FlushStandardOutput();
}

void FlushStandardOutput() {
    errno = 0;
    const bool failed = std::fflush(stdout) != 0;
    const int error = errno;
    if (failed || std::ferror(stdout))
        RaiseWriteError(error);
}

} // namespace pictavo::cli
