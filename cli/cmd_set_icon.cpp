// pictavo-cli set-icon: give a Windows program its icon, in place.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "library/ProgramIcon.h"
#include "util/Exceptions.h"

#include <cstdio>
#include <exception>

namespace pictavo::cli {

extern const char SetIconHelp[] =
    "Usage: pictavo-cli set-icon PROGRAM ICON [--id ID | -i N] [--strip-signature]\n"
    "Replaces the icon of the Windows program PROGRAM (PE32 or PE32+, .exe or .dll)\n"
    "with the images of ICON, in place: an .ico file, or FILE:N (icon N, 0-based, of\n"
    "a module or icon file). The first icon group (the one Windows shows) is replaced,\n"
    "or the group named ID, or icon group N as `pictavo-cli icons` counts them; a\n"
    "program without any icon gets group 1 (or ID). The group keeps its language; its\n"
    "old images go unless another group lists them, and the new ones get numbers no\n"
    "other group uses. Every other resource and section, and the bytes after the last\n"
    "section (an installer's payload, symbols), keep their bytes; resources that no\n"
    "longer fit their section move to a new last section. The checksum is recomputed\n"
    "where the program carried one.\n"
    "  --id ID            the icon group named ID (a number or a name)\n"
    "  -i N               icon group N (0-based)\n"
    "  --strip-signature  write a signed program without its signature (a changed\n"
    "                     program's signature is void); without it a signed program\n"
    "                     is refused and left as it is\n"
    "The previous file stays beside it as the backup (app.exe gives app.~exe); if\n"
    "the change fails or is interrupted, PROGRAM is left as it was. Waits while\n"
    "another writer holds PROGRAM.lock, and says so on standard error.\n"
    "Exit status 0; 1 when PROGRAM or ICON cannot be read or PROGRAM cannot be\n"
    "written; 2 on bad usage.\n";

namespace {

std::string ParseSetIconArguments(const Arguments& args, TProgramIconChange& change,
                                  std::string& icon) {
    bool operands = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--") {
            operands = true;
        } else if (option && arg == "--strip-signature") {
            change.StripSignature = true;
        } else if (option && (arg == "--id" || arg == "-i")) {
            if (!change.GroupName.empty() || change.GroupIndex >= 0)
                return "--id and -i name one group: give one of them once";
            if (i + 1 >= args.size())
                return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "--id") {
                if (value.empty())
                    return "--id needs a value";
                change.GroupName = value;
            } else {
                const std::optional<int> index = ParseIndex(value);
                if (!index)
                    return "-i needs a non-negative number";
                change.GroupIndex = *index;
            }
        } else if (option) {
            return "unknown option " + arg;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2)
        return "expected PROGRAM and ICON";
    change.ProgramFileName = files[0];
    icon = files[1];
    return "";
}

} // namespace

int RunSetIcon(const Arguments& args) {
    TProgramIconChange change;
    std::string icon;
    const std::string usage = ParseSetIconArguments(args, change, icon);
    if (!usage.empty())
        return UsageError(CommandNamed("set-icon"), usage);
    const IconSourceText source = ParseIconSource(icon);
    change.IconFileName = source.FileName;
    change.IconIndex = source.Index.value_or(0);
    change.OnWaitForLock = SayWaitingForLock;
    TProgramIconResult result;
    try {
        result = SetProgramIcon(change);
    } catch (const std::exception& error) {
        return ProgramChangeFailure(change.ProgramFileName, error);
    }
    std::printf("%s: icon group %s replaced (images: %d); the previous file is %s\n",
                LineText(change.ProgramFileName).c_str(), LineText(result.GroupName).c_str(),
                result.ImageCount, LineText(result.BackupFileName).c_str());
    return ExitOk;
}

} // namespace pictavo::cli
