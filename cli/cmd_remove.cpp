// pictavo-cli remove: take one icon (its group and images) out of an icon library.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "library/IconLibraryBuilder.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <exception>

namespace pictavo::cli {

extern const char RemoveHelp[] =
    "Usage: pictavo-cli remove [--wait SECONDS] LIBRARY INDEX\n"
    "Removes icon number INDEX (0-based, as `pictavo-cli icons` counts them) with its\n"
    "images from the icon library LIBRARY. The other icons keep their numbers inside\n"
    "the file; the previous file stays beside it as the backup (lib.icl gives lib.~icl).\n"
    "When LIBRARY is a symbolic link, the file it points to is updated (the link stays).\n"
    "Waits while another build or removal of LIBRARY holds LIBRARY.lock, and says so\n"
    "on standard error.\n"
    "  --wait SECONDS  give up (exit 1, LIBRARY untouched) when the other one still\n"
    "                  holds it after SECONDS; without it the wait has no limit\n"
    "Exit status 0; 1 when LIBRARY cannot be read or written or has no such icon; 2 on\n"
    "bad usage.\n";

namespace {

// The operands (LIBRARY, INDEX) and --wait; the usage error's text, or "".
std::string ParseRemoveArguments(const Arguments& given, Arguments& args,
                                 std::optional<int>& waitSeconds) {
    bool operands = false; // after "--" every argument is an operand
    for (size_t i = 0; i < given.size(); ++i) {
        const std::string& arg = given[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--") {
            operands = true;
        } else if (option && arg == "--wait") {
            const std::string error = ParseWaitValue(given, i, waitSeconds);
            if (!error.empty())
                return error;
        } else if (option) {
            return "unknown option " + arg;
        } else {
            args.push_back(arg);
        }
    }
    return args.size() == 2 ? "" : "expected LIBRARY and INDEX";
}

} // namespace

int RunRemove(const Arguments& given) {
    Arguments args;
    std::optional<int> waitSeconds;
    const std::string usage = ParseRemoveArguments(given, args, waitSeconds);
    if (!usage.empty())
        return UsageError(CommandNamed("remove"), usage);
    const std::optional<int> index = ParseIndex(args[1]);
    if (!index)
        return UsageError(CommandNamed("remove"), "INDEX must be a non-negative number");
    bool removed = false;
    try {
        const LockWait wait = WaitForLockSaying(waitSeconds);
        removed = RemoveIconGroupFromLibrary(args[0], *index, wait.OnWait, wait.WhileWaiting);
    } catch (const std::exception& error) {
        return Failure(FileErrorText(args[0], error.what()));
    }
    if (!removed)
        return Failure(Format("%s: no icon %d", args[0].c_str(), *index));
    return ExitOk;
}

} // namespace pictavo::cli
