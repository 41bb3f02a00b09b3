// pictavo-cli version [FILE]: the version information of a file, or of this program.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/JsonText.h"
#include "peres/VersionInfo.h"

#include <cstdio>
#include <string>
#include <vector>

namespace pictavo::cli {

extern const char VersionHelp[] =
    "Usage: pictavo-cli version [--json] [FILE]\n"
    "       pictavo-cli version --set KEY=VALUE... [--file-version A.B.C.D]\n"
    "                           [--product-version A.B.C.D] [--strip-signature] PROGRAM\n"
    "Prints the version information of FILE (the version resource of a module), or of\n"
    "pictavo itself when no FILE is given, one 'Key: value' a line.\n"
    "  --json  print one JSON object instead, with the same keys: texts as strings,\n"
    "          numbers as numbers, PreRelease as true or false\n"
    "With --set (or a version option) it changes the Windows program PROGRAM in place\n"
    "instead: every KEY=VALUE (FileDescription, ProductName, CompanyName,\n"
    "LegalCopyright, OriginalFilename, InternalName, FileVersion, ProductVersion or any\n"
    "other key) goes into every string table of its version resource; --set may be\n"
    "given before each pair or once before all of them.\n"
    "  --file-version A.B.C.D     the file version of the fixed part\n"
    "  --product-version A.B.C.D  the product version of the fixed part\n"
    "  --strip-signature          write a signed program without its signature\n"
    "A program without a version resource gets one (language 0x409, code page 1200).\n"
    "Everything else keeps its bytes, as with set-icon; the previous file stays beside\n"
    "it as the backup (app.exe gives app.~exe).\n"
    "Exit status 0; 1 when the file has no version information, or PROGRAM cannot be\n"
    "read or written; 2 on bad usage.\n";

namespace {

// One line of the output: a text, or a number or truth value (bare in JSON).
struct Field {
    const char* Key;
    std::string Value;
    bool IsText;
};

Field Text(const char* key, const std::string& value) {
    return {key, value, true};
}

Field Number(const char* key, int32_t value) {
    return {key, std::to_string(value), false};
}

std::vector<Field> Fields(const TVersionInfo& info) {
    return {Text("FileName", info.FileName),
            Text("FileVersion", info.FileVersion),
            Text("VersionText", info.VersionText),
            Text("ProductName", info.ProductName),
            Text("CompanyName", info.CompanyName),
            Text("FileDescription", info.FileDescription),
            Text("Comments", info.Comments),
            Text("LegalCopyright", info.LegalCopyright),
            Text("LegalTrademarks", info.LegalTrademarks),
            Text("InternalName", info.InternalName),
            Text("OriginalFileName", info.OriginalFileName),
            Text("ProductVersion", info.ProductVersion),
            Number("MajorVersion", info.MajorVersion),
            Number("MinorVersion", info.MinorVersion),
            Number("Release", info.Release),
            Number("Build", info.Build),
            Number("ProductMajorVersion", info.ProductMajorVersion),
            Number("ProductMinorVersion", info.ProductMinorVersion),
            Number("ProductRelease", info.ProductRelease),
            Number("ProductBuild", info.ProductBuild),
            Text("SpecialBuild", info.SpecialBuild),
            {"PreRelease", JsonBool(info.PreRelease), false}};
}

void PrintVersionInfo(const TVersionInfo& info, bool json) {
    if (!json) {
        for (const Field& field : Fields(info))
            std::printf("%s: %s\n", field.Key, LineText(field.Value).c_str());
        return;
    }
    std::string object;
    for (const Field& field : Fields(info))
        object += (object.empty() ? "{" : ", ") + JsonString(field.Key) + ": " +
                  (field.IsText ? JsonString(field.Value) : field.Value);
    std::printf("%s}\n", object.c_str());
}

} // namespace

int RunVersionSet(const Arguments& args);
bool AsksToSetVersion(const Arguments& args);

int RunVersion(const Arguments& given) {
    if (AsksToSetVersion(given))
        return RunVersionSet(given);
    bool json = false;
    Arguments args;
    const std::string usage = ParseJsonOption(given, json, args);
    if (!usage.empty())
        return UsageError(CommandNamed("version"), usage);
    if (args.size() > 1)
        return UsageError(CommandNamed("version"), "expected at most one FILE");
    if (args.empty()) {
        PrintVersionInfo(AppVersionInfo, json);
        return ExitOk;
    }
    TVersionInfo info;
    if (!ReadVersionInfo(args[0], info)) {
        const std::string unreadable = UnreadableFileError(args[0]);
        return Failure(unreadable.empty() ? args[0] + ": no version information" : unreadable);
    }
    PrintVersionInfo(info, json);
    return ExitOk;
}

} // namespace pictavo::cli
