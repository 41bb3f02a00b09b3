// pictavo-cli build: collect icons into a new icon library, or append them to an
// existing one, with the builder the window uses.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/Progress.h"
#include "library/IconLibraryBuilder.h"
#include "platform/TempPath.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <cstdio>
#include <exception>
#include <sys/stat.h>

namespace pictavo::cli {

extern const char BuildHelp[] =
    "Usage: pictavo-cli build LIBRARY [--update | --overwrite] [--classic] [--wait SECONDS]\n"
    "                         SOURCE...\n"
    "Collects icons into the icon library LIBRARY (a 32-bit PE resource DLL, .icl or\n"
    ".dll), one icon group per icon, numbered after the groups already there.\n"
    "SOURCE is FILE (every icon of it, in order) or FILE:N (icon N, 0-based); an ICO\n"
    "or CUR file is one icon. Every image goes in, 256-pixel and PNG-compressed ones\n"
    "too; an image that cannot be stored ends the build and nothing is written.\n"
    "  --classic    for pre-Vista loaders: leave out images 255 pixels high or more,\n"
    "               and an icon with no image left (said on standard error)\n"
    "When LIBRARY exists, one of these is required:\n"
    "  --update     keep its icons and append the new ones\n"
    "  --overwrite  build it again from the template\n"
    "Either way the previous file stays beside it as the backup (lib.icl gives\n"
    "lib.~icl); if the build fails or is interrupted, LIBRARY is left as it was.\n"
    "When LIBRARY is a symbolic link, the file it points to is updated (the link\n"
    "stays). Builds and removals of one library run one after the other: a second\n"
    "one waits while LIBRARY.lock is held, and says so on standard error.\n"
    "  --wait SECONDS  give up (exit 1, nothing written) when the other one still\n"
    "               holds it after SECONDS; without it the wait has no limit\n"
    "Prints the number of icon groups added.\n"
    "Exit status 0; 1 when a source cannot be read or the library cannot be read or\n"
    "written; 2 on bad usage.\n";

namespace {

struct BuildOptions {
    std::string Library;
    bool Update = false;
    bool Overwrite = false;
    bool Classic = false;
    std::optional<int> WaitSeconds; // --wait: the longest wait for the library's lock
    std::vector<std::string> Sources;
};

std::string ParseBuildArguments(const Arguments& args, BuildOptions& options) {
    bool operands = false; // after "--" every argument is a file
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--")
            operands = true;
        else if (option && arg == "--wait") {
            const std::string error = ParseWaitValue(args, i, options.WaitSeconds);
            if (!error.empty())
                return error;
        }
        else if (option && arg == "--update")
            options.Update = true;
        else if (option && arg == "--overwrite")
            options.Overwrite = true;
        else if (option && arg == "--classic")
            options.Classic = true;
        else if (option)
            return "unknown option " + arg;
        else if (options.Library.empty())
            options.Library = arg;
        else
            options.Sources.push_back(arg);
    }
    if (options.Library.empty())
        return "expected LIBRARY";
    if (options.Sources.empty())
        return "expected at least one SOURCE";
    if (options.Update && options.Overwrite)
        return "--update and --overwrite exclude each other";
    return "";
}

// FILE:N when the text after the last ':' is a number, else FILE with every icon.
// Sources are checked here so that the error names them; nothing is written then.
std::vector<TIconSource> ExpandSource(const std::string& source) {
    const auto [fileName, index] = ParseIconSource(source);
    const int count = IconCountOfFile(fileName);
    if (count == 0) {
        const std::string unreadable = UnreadableFileError(fileName);
        throw Exception(unreadable.empty() ? fileName + ": no icons" : unreadable);
    }
    if (!index)
        return EveryIconOf(fileName, count);
    if (*index >= count)
        throw Exception(
            Format("%s: no icon %d (the file holds %d)", fileName.c_str(), *index, count));
    return {{fileName, *index}};
}

bool Exists(const std::string& fileName) {
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0;
}

} // namespace

int RunBuild(const Arguments& args) {
    BuildOptions options;
    const std::string error = ParseBuildArguments(args, options);
    if (!error.empty())
        return UsageError(CommandNamed("build"), error);
    if (Exists(options.Library) && !options.Update && !options.Overwrite)
        return UsageError(CommandNamed("build"),
                          options.Library + " exists; give --update or --overwrite");

    const std::string tempProblem = platform::TempPathProblem();
    if (!tempProblem.empty())
        SayError(tempProblem);
    std::vector<TIconSource> sources;
    Progress progress;
    for (const std::string& source : options.Sources) {
        progress.Show("reading " + source);
        for (const TIconSource& icon : ExpandSource(source))
            sources.push_back(icon);
    }
    // The builder tells which file it turns to; an error is about the last one.
    std::string current = options.Library;
    int added = 0;
    try {
        TIconLibraryBuild build;
        build.FileName = options.Library;
        build.Sources = sources;
        build.Rebuild = options.Overwrite;
        build.OnProgress = [&](const std::string& fileName, size_t done, size_t total) {
            current = fileName;
            progress.Show(Format("[%zu/%zu] %s", done, total, fileName.c_str()));
        };
        build.Classic = options.Classic;
        build.OnSkip = [&progress](const std::string& message) {
            progress.Clear();
            SayError(message);
        };
        const LockWait wait = WaitForLockSaying(options.WaitSeconds, [&progress] { progress.Clear(); });
        build.OnWaitForLock = wait.OnWait;
        build.WhileWaitingForLock = wait.WhileWaiting;
        added = BuildIconLibrary(build);
    } catch (const std::exception& failure) {
        progress.Clear();
        return Failure(FileErrorText(current, failure.what()));
    }
    progress.Clear();
    std::printf("%d\n", added);
    return ExitOk;
}

} // namespace pictavo::cli
