// pictavo-thumbnailer -s SIZE INPUT OUTPUT: the thumbnail of a module, ICO or CUR file
// as a PNG, called by file managers through share/thumbnailers/pictavo.thumbnailer.
// OUTPUT belongs to the caller: it is written in place (tumbler holds it open and reads
// the result through its own handle), and only once the whole PNG is made.

#include "cursors/CursorThumbnail.h"
#include "peres/VersionInfo.h"
#include "thumbnailer/Thumbnail.h"
#include "util/Messages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int MaxSize = 4096;

const char Usage[] = "Usage: pictavo-thumbnailer -s SIZE INPUT OUTPUT\n"
                     "Writes the thumbnail of INPUT (a Windows executable, library, icon\n"
                     "library, ICO or CUR file, or the first frame of an animated cursor,\n"
                     "ANI) as a PNG of at most SIZE x SIZE pixels into\n"
                     "OUTPUT (\"-\" for standard output). OUTPUT is written in place, as file\n"
                     "managers expect; it is not touched when INPUT gives no thumbnail, and\n"
                     "an OUTPUT that is INPUT itself is refused.\n"
                     "Exit status 0; 1 when INPUT holds no icon or cannot be read, or OUTPUT\n"
                     "cannot be written; 2 on bad usage.\n";

// The caller's file, opened for writing without cutting it yet; `created` tells whether
// this run made it.
int OpenOutput(const std::string& output, bool& created) {
    int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = ::open(output.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(output + ": " + std::strerror(errno));
    return fd;
}

void WriteAll(int fd, const std::vector<uint8_t>& png) {
    size_t done = 0;
    while (done < png.size()) {
        const ssize_t wrote = ::write(fd, png.data() + done, png.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            throw std::runtime_error(std::strerror(wrote < 0 ? errno : ENOSPC));
        done += static_cast<size_t>(wrote);
    }
}

// Writes the caller's file (or standard output for "-") in place. An output that is the
// input itself is refused before anything is cut; an output this run created and could
// not finish (a full disk) is removed, while one the caller made stays for the caller.
void WriteInPlace(const std::string& input, const std::string& output,
                  const std::vector<uint8_t>& png) {
    if (output == "-") {
        try {
            WriteAll(STDOUT_FILENO, png);
        } catch (const std::exception& error) {
            throw std::runtime_error(output + ": " + error.what());
        }
        return;
    }
    bool created = false;
    const int fd = OpenOutput(output, created);
    struct stat in {}, out{};
    const bool known = ::fstat(fd, &out) == 0;
    if (known && !created && ::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino) {
        ::close(fd);
        throw std::runtime_error(output + ": the output is the input file");
    }
    std::string reason;
    // Only a regular file is cut; a device or a pipe takes the bytes as they come.
    if (known && S_ISREG(out.st_mode) && ::ftruncate(fd, 0) != 0) {
        reason = std::strerror(errno);
    } else {
        try {
            WriteAll(fd, png);
        } catch (const std::exception& failure) {
            reason = failure.what();
        }
    }
    if (::close(fd) != 0 && reason.empty())
        reason = std::strerror(errno);
    if (reason.empty())
        return;
    if (created)
        ::unlink(output.c_str());
    throw std::runtime_error(output + ": " + reason);
}

struct Options {
    int Size = 0;
    std::string Input;
    std::string Output;
};

// A decimal number from 1 to MaxSize; 0 for anything else.
int ParseSize(const std::string& text) {
    if (text.empty() || text.size() > 4)
        return 0;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    return value <= MaxSize ? value : 0;
}

bool ParseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> files;
    bool operands = false; // after "--" every argument is a file
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--")
            operands = true;
        else if (option && arg == "-s" && i + 1 < argc)
            options.Size = ParseSize(argv[++i]);
        else if (option)
            return false;
        else
            files.push_back(arg);
    }
    if (options.Size == 0 || files.size() != 2)
        return false;
    options.Input = files[0];
    options.Output = files[1];
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace pictavo;
    InitMessages();
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("pictavo-thumbnailer %s\n", AppVersionInfo.VersionText.c_str());
        return 0;
    }
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    std::vector<uint8_t> png;
    try {
        png = FileThumbnailPng(options.Input, options.Size);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pictavo-thumbnailer: %s: %s\n", options.Input.c_str(), error.what());
        return 1;
    }
    try {
        WriteInPlace(options.Input, options.Output, png);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pictavo-thumbnailer: %s\n", error.what());
        return 1;
    }
    return 0;
}
