// pictavo-cli: the command-line front end over the same core as the window.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/StandardOutput.h"
#include "peres/VersionInfo.h"
#include "util/Messages.h"
#include "util/TempFileCleanup.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <malloc.h>

using pictavo::cli::Arguments;
using pictavo::cli::Command;
using pictavo::cli::Commands;

namespace {

void PrintOverview(FILE* out) {
    std::fputs("Usage: pictavo-cli COMMAND [ARGS...]\n"
               "Finds, shows and extracts the icons inside Windows files.\n\nCommands:\n",
               out);
    for (const Command& command : Commands())
        std::fprintf(out, "  %-10s %s\n", command.name, command.synopsis);
    std::fputs("\nRun 'pictavo-cli COMMAND --help' for the options of a command.\n", out);
}

// The status of a command, 1 when its output did not reach standard output. A command
// that failed has said why already.
int Finish(int status) {
    if (status != pictavo::cli::ExitOk)
        return status;
    try {
        pictavo::cli::FlushStandardOutput();
    } catch (const std::exception& error) {
        return pictavo::cli::Failure(error.what());
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    // A command decodes and encodes thousands of pictures of up to a few hundred KB each.
    // By default glibc gives each such buffer back to the kernel when it is freed and the
    // next one is faulted in and zeroed again: that churn took over 40% of extract --png.
    // A short-lived process keeps the memory instead.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 128 << 20);
    pictavo::InitMessages();
    // An interrupted command leaves no temporary files behind.
    pictavo::InstallTempFileCleanupOnSignals();
    if (argc < 2) {
        PrintOverview(stderr);
        return pictavo::cli::ExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(stdout);
        return Finish(pictavo::cli::ExitOk);
    }
    if (name == "--version") {
        std::printf("pictavo-cli %s\n", pictavo::AppVersionInfo.VersionText.c_str());
        return Finish(pictavo::cli::ExitOk);
    }
    for (const Command& command : Commands()) {
        if (name != command.name)
            continue;
        const Arguments args(argv + 2, argv + argc);
        if (pictavo::cli::WantsHelp(args)) {
            std::fputs(command.help, stdout);
            return Finish(pictavo::cli::ExitOk);
        }
        try {
            return Finish(command.run(args));
        } catch (const std::exception& error) {
            return pictavo::cli::Failure(error.what());
        }
    }
    std::fprintf(stderr, "pictavo-cli: unknown command '%s'\n\n",
                 pictavo::cli::LineText(name).c_str());
    PrintOverview(stderr);
    return pictavo::cli::ExitUsage;
}
