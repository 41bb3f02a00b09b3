// pictavo-thumbnailer -s SIZE INPUT OUTPUT: the thumbnail of a module, ICO or CUR file
// as a PNG, called by file managers through share/thumbnailers/pictavo.thumbnailer.
// OUTPUT appears complete or not at all.

#include "thumbnailer/Thumbnail.h"
#include "util/AtomicFile.h"
#include "util/Messages.h"
#include "util/TempFileCleanup.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

constexpr int MaxSize = 4096;

const char Usage[] = "Usage: pictavo-thumbnailer -s SIZE INPUT OUTPUT\n"
                     "Writes the thumbnail of INPUT (a Windows executable, library, icon\n"
                     "library, ICO or CUR file) as a PNG of at most SIZE x SIZE pixels.\n"
                     "Exit status 0; 1 when INPUT holds no icon or cannot be read, or OUTPUT\n"
                     "cannot be written (OUTPUT is then not made); 2 on bad usage.\n";

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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-s" && i + 1 < argc)
            options.Size = ParseSize(argv[++i]);
        else if (!arg.empty() && arg[0] == '-')
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
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    // A file manager that gives up on a slow thumbnail must not leave a temporary file.
    InstallTempFileCleanupOnSignals();
    try {
        WriteFileAtomically(options.Output, MakeThumbnailPng(options.Input, options.Size));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pictavo-thumbnailer: %s: %s\n", options.Input.c_str(), error.what());
        return 1;
    }
    return 0;
}
