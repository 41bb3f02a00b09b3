// pictavo-cli version --set: the version strings and numbers of a Windows program.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "library/ProgramVersion.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace pictavo::cli {

namespace {

const char* const SetOptions[] = {"--set", "--file-version", "--product-version",
                                  "--strip-signature"};

bool IsSetOption(const std::string& arg) {
    return std::find(std::begin(SetOptions), std::end(SetOptions), arg) != std::end(SetOptions);
}

std::string ParseVersionSetArguments(const Arguments& args, TProgramVersionChange& change) {
    bool operands = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--") {
            operands = true;
        } else if (option && arg == "--set") {
            continue; // the pairs are the operands before PROGRAM
        } else if (option && arg == "--strip-signature") {
            change.StripSignature = true;
        } else if (option && (arg == "--file-version" || arg == "--product-version")) {
            if (i + 1 >= args.size())
                return arg + " needs A.B.C.D";
            const std::optional<TFourPartVersion> version = ParseFourPartVersion(args[++i]);
            if (!version)
                return arg + " needs A.B.C.D, each part 0 to 65535";
            (arg == "--file-version" ? change.FileVersion : change.ProductVersion) = version;
        } else if (option) {
            return "unknown option " + arg;
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty())
        return "expected PROGRAM";
    change.ProgramFileName = words.back();
    words.pop_back();
    for (const std::string& pair : words) {
        const size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0)
            return "expected KEY=VALUE, not " + pair;
        change.Strings.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
    }
    if (change.Strings.empty() && !change.FileVersion && !change.ProductVersion)
        return "nothing to set: give KEY=VALUE, --file-version or --product-version";
    return "";
}

} // namespace

bool AsksToSetVersion(const Arguments& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (IsSetOption(arg))
            return true;
    }
    return false;
}

int RunVersionSet(const Arguments& args) {
    TProgramVersionChange change;
    const std::string usage = ParseVersionSetArguments(args, change);
    if (!usage.empty())
        return UsageError(CommandNamed("version"), usage);
    change.OnWaitForLock = SayWaitingForLock;
    TProgramVersionResult result;
    try {
        result = SetProgramVersion(change);
    } catch (const std::exception& error) {
        return ProgramChangeFailure(change.ProgramFileName, error);
    }
    std::printf("%s: version information %s (string tables: %d); the previous file is %s\n",
                LineText(change.ProgramFileName).c_str(), result.Created ? "added" : "changed",
                result.StringTables, LineText(result.BackupFileName).c_str());
    return ExitOk;
}

} // namespace pictavo::cli
