// pictavo-cli version [FILE]: the version information of a file, or of this program.

#include "cli/Command.h"
#include "peres/VersionInfo.h"

#include <cstdio>

namespace pictavo::cli {

extern const char VersionHelp[] =
    "Usage: pictavo-cli version [FILE]\n"
    "Prints the version information of FILE (the version resource of a module), or of\n"
    "pictavo itself when no FILE is given, one 'Key: value' a line.\n"
    "Exit status 0; 1 when the file has no version information.\n";

namespace {

void PrintText(const char* key, const std::string& value) {
    std::printf("%s: %s\n", key, value.c_str());
}

void PrintNumber(const char* key, int32_t value) {
    std::printf("%s: %d\n", key, value);
}

void PrintVersionInfo(const TVersionInfo& info) {
    PrintText("FileName", info.FileName);
    PrintText("FileVersion", info.FileVersion);
    PrintText("VersionText", info.VersionText);
    PrintText("ProductName", info.ProductName);
    PrintText("CompanyName", info.CompanyName);
    PrintText("FileDescription", info.FileDescription);
    PrintText("Comments", info.Comments);
    PrintText("LegalCopyright", info.LegalCopyright);
    PrintText("LegalTrademarks", info.LegalTrademarks);
    PrintText("InternalName", info.InternalName);
    PrintText("OriginalFileName", info.OriginalFileName);
    PrintText("ProductVersion", info.ProductVersion);
    PrintNumber("MajorVersion", info.MajorVersion);
    PrintNumber("MinorVersion", info.MinorVersion);
    PrintNumber("Release", info.Release);
    PrintNumber("Build", info.Build);
    PrintNumber("ProductMajorVersion", info.ProductMajorVersion);
    PrintNumber("ProductMinorVersion", info.ProductMinorVersion);
    PrintNumber("ProductRelease", info.ProductRelease);
    PrintNumber("ProductBuild", info.ProductBuild);
    PrintText("SpecialBuild", info.SpecialBuild);
    PrintText("PreRelease", info.PreRelease ? "true" : "false");
}

} // namespace

int RunVersion(const Arguments& given) {
    const Arguments args = Operands(given);
    if (args.size() > 1) {
        for (const Command& command : Commands())
            if (std::string(command.name) == "version")
                return UsageError(command, "expected at most one FILE");
        return ExitUsage;
    }
    if (args.empty()) {
        PrintVersionInfo(AppVersionInfo);
        return ExitOk;
    }
    TVersionInfo info;
    if (!ReadVersionInfo(args[0], info))
        return Failure(args[0] + ": no version information");
    PrintVersionInfo(info);
    return ExitOk;
}

} // namespace pictavo::cli
