// pictavo-cli scan: the window's folder search from the command line. Every file the
// search criteria accept is probed as the window probes it (icon groups of a module,
// else one icon for an ICO/CUR file); files with icons are printed one per line.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/JsonText.h"
#include "cli/Progress.h"
#include "cli/StandardOutput.h"
#include "library/FileScan.h"
#include "search/FindFile.h"
#include "search/MaskText.h"
#include "util/DateTime.h"
#include "util/ElapsedTime.h"
#include "util/Exceptions.h"
#include "util/Messages.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace pictavo::cli {

extern const char ScanHelp[] =
    "Usage: pictavo-cli scan [-r] [-m MASKS] [--ignore-duplicates] [--json] DIR\n"
    "Searches DIR for files that hold icons and prints one line per such file:\n"
    "  COUNT<TAB>SIZE<TAB>MODIFIED<TAB>PATH\n"
    "COUNT is the number of icon groups of a module, or 1 for an ICO or CUR file;\n"
    "MODIFIED is the local time YYYY-MM-DD HH:MM:SS. Hidden and system files are\n"
    "left out, and hidden and system folders are not entered.\n"
    "  -r                   search the subfolders too\n"
    "  -m MASKS             file-name masks, separated by ';', ',' or blanks; an item in\n"
    "                       double quotes may hold them; default \"*.*\"\n"
    "  --ignore-duplicates  examine a file name only once (the case of A-Z ignored)\n"
    "  --json               print one JSON object per line instead: path, icons, size,\n"
    "                       modified\n"
    "A last line on stderr gives the files, the icons and the search time; progress is\n"
    "shown on stderr when it is a terminal.\n"
    "Folders it cannot read are named on stderr, and the search goes on.\n"
    "Exit status 0; 1 when DIR is not a folder or cannot be read; 2 on bad usage.\n";

namespace {

struct ScanOptions {
    bool Subfolders = false;
    bool IgnoreDuplicates = false;
    bool Json = false;
    std::string Masks = "*.*";
    std::string Folder;
};

// Parses the arguments; returns an error text for bad usage.
std::string ParseScanArguments(const Arguments& args, ScanOptions& options) {
    bool operands = false; // after "--" every argument is a folder
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--")
            operands = true;
        else if (option && arg == "-r")
            options.Subfolders = true;
        else if (option && arg == "--ignore-duplicates")
            options.IgnoreDuplicates = true;
        else if (option && arg == "--json")
            options.Json = true;
        else if (option && arg == "-m") {
            if (++i == args.size())
                return "-m needs MASKS";
            options.Masks = args[i];
        } else if (option)
            return "unknown option " + arg;
        else if (options.Folder.empty())
            options.Folder = arg;
        else
            return "expected exactly one DIR";
    }
    if (options.Folder.empty())
        return "expected DIR";
    return "";
}

class Scan {
public:
    explicit Scan(const ScanOptions& options) : FOptions(options) {}

    void Run() {
        TFindFile find;
        TFileCriteria& files = find.Criteria().Files();
        files.SetLocation("");
        files.SetSubfolders(FOptions.Subfolders);
        files.SetPaths({});
        files.SetFileName("");
        // DIR is one folder, named literally: ";", "<" and ">" are part of its name.
        for (const std::string& mask : SplitMaskText(FOptions.Masks))
            files.AddFolderMask(FOptions.Folder, mask);
        find.CompleteDetails = false; // the scan's step reads size and time from the open file
        find.OnFileMatch = [this](TFindFile&, const TFileDetails& file) { Examine(file); };
        // A folder it cannot read is named; the scan goes on without it.
        find.OnFolderError = [this](const std::string& folder, int error) {
            FProgress.Clear();
            SayError(folder + ": " + std::strerror(error));
        };
        const auto start = std::chrono::steady_clock::now();
        find.Execute();
        FProgress.Clear();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
        std::fprintf(stderr, _("文件: %d    图标: %d    搜索时间: %s\n"), FScan.FileTotal(),
                     FScan.IconTotal(), FormatElapsedTime(static_cast<double>(seconds)).c_str());
    }

private:
    void Examine(const TFileDetails& file) {
        const TScanStep step = FScan.FileMatch(file, FOptions.IgnoreDuplicates);
        if (step.Entry)
            Print(*step.Entry);
        FProgress.Show(Format(_("文件: %d    图标: %d    %s"), FScan.FileTotal(), FScan.IconTotal(),
                              step.StatusName.c_str()));
    }

    void Print(const TFileEntry& entry) {
        FProgress.Clear();
        const std::string modified = FormatDateTimeIso(entry.ModifiedTime);
        if (FOptions.Json)
            std::printf("{\"path\": %s, \"icons\": %d, \"size\": %lld, \"modified\": %s}\n",
                        JsonString(entry.FileName).c_str(), entry.IconCount,
                        static_cast<long long>(entry.Size), JsonString(modified).c_str());
        else
            std::printf("%d\t%lld\t%s\t%s\n", entry.IconCount, static_cast<long long>(entry.Size),
                        modified.c_str(), LineText(entry.FileName).c_str());
        FlushStandardOutput(); // a closed output ends the scan at once
    }

    const ScanOptions& FOptions;
    Progress FProgress;
    TFileScan FScan;
};

} // namespace

int RunScan(const Arguments& args) {
    ScanOptions options;
    const std::string error = ParseScanArguments(args, options);
    if (!error.empty())
        return UsageError(CommandNamed("scan"), error);
    // A start folder it cannot list is an error, with the system's reason.
    const int folder = ::open(options.Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return Failure(options.Folder + ": " + std::strerror(errno));
    ::close(folder);
    Scan(options).Run();
    return ExitOk;
}

} // namespace pictavo::cli
