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
    "Usage: pictavo-cli images [--json] FILE\n"
    "Loads an ICO or CUR file and prints one line per image:\n"
    "  [index] WxH - Nbit      and \" png\" after it for a PNG-compressed image.\n"
    "  --json  print one JSON object per image instead:\n"
    "          {\"index\": 0, \"width\": 16, \"height\": 16, \"bits\": 32, \"png\": false}\n"
    "Exit status 0, or 1 with the error message when the file cannot be loaded.\n";

int RunImages(const Arguments& given) {
    bool json = false;
    Arguments args;
    const std::string usage = ParseJsonOption(given, json, args);
    if (!usage.empty())
        return UsageError(CommandNamed("images"), usage);
    if (args.size() != 1)
        return UsageError(CommandNamed("images"), "expected exactly one FILE");
    TMultiIcon icon;
    try {
        icon.LoadFromFile(args[0]);
    } catch (const std::exception& error) {
        return Failure(FileErrorText(args[0], error.what()));
    }
    if (!json) {
        PrintImageLines(icon);
        return ExitOk;
    }
    for (int i = 0; i < icon.IconCount(); ++i)
        std::printf("%s\n", ImageJson(icon, i).c_str());
    return ExitOk;
}

} // namespace pictavo::cli
