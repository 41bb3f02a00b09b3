// pictavo-cli remove: take one icon (its group and images) out of an icon library.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "library/IconLibraryBuilder.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <exception>

namespace pictavo::cli {

extern const char RemoveHelp[] =
    "Usage: pictavo-cli remove LIBRARY INDEX\n"
    "Removes icon number INDEX (0-based, as `pictavo-cli icons` counts them) with its\n"
    "images from the icon library LIBRARY. The other icons keep their numbers inside\n"
    "the file; the previous file stays beside it as the backup (lib.icl gives lib.~icl).\n"
    "When LIBRARY is a symbolic link, the file it points to is updated (the link stays).\n"
    "Waits while another build or removal of LIBRARY holds LIBRARY.lock, and says so\n"
    "on standard error.\n"
    "Exit status 0; 1 when LIBRARY cannot be read or written or has no such icon; 2 on\n"
    "bad usage.\n";

int RunRemove(const Arguments& given) {
    const Arguments args = Operands(given);
    if (args.size() != 2)
        return UsageError(CommandNamed("remove"), "expected LIBRARY and INDEX");
    const std::optional<int> index = ParseIndex(args[1]);
    if (!index)
        return UsageError(CommandNamed("remove"), "INDEX must be a non-negative number");
    bool removed = false;
    try {
        removed = RemoveIconGroupFromLibrary(args[0], *index, SayWaitingForLock);
    } catch (const std::exception& error) {
        return Failure(FileErrorText(args[0], error.what()));
    }
    if (!removed)
        return Failure(Format("%s: no icon %d", args[0].c_str(), *index));
    return ExitOk;
}

} // namespace pictavo::cli
