// pictavo-cli images FILE: the images of an ICO or CUR file, one line each.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/ImageLines.h"
#include "icons/MultiIcon.h"
#include "util/FileErrorText.h"

#include <cstdio>
#include <exception>

namespace pictavo::cli {

extern const char ImagesHelp[] =
    "Usage: pictavo-cli images FILE\n"
    "Loads an ICO or CUR file and prints one line per image:\n"
    "  [index] WxH - Nbit      and \" png\" after it for a PNG-compressed image.\n"
    "Exit status 0, or 1 with the error message when the file cannot be loaded.\n";

int RunImages(const Arguments& given) {
    const Arguments args = Operands(given);
    if (args.size() != 1)
        return UsageError(CommandNamed("images"), "expected exactly one FILE");
    TMultiIcon icon;
    try {
        icon.LoadFromFile(args[0]);
    } catch (const std::exception& error) {
        return Failure(FileErrorText(args[0], error.what()));
    }
    PrintImageLines(icon);
    return ExitOk;
}

} // namespace pictavo::cli
