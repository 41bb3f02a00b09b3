// pictavo-cli cursor-theme: a Windows cursor pack written as a Linux cursor theme.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cursors/CursorRoles.h"
#include "cursors/CursorScheme.h"
#include "cursors/CursorTheme.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace pictavo::cli {

extern const char CursorThemeHelp[] =
    "Usage: pictavo-cli cursor-theme SOURCE -o DIR --name NAME [--sizes LIST]\n"
    "Writes the Windows cursor pack SOURCE as the Linux (Xcursor) cursor theme\n"
    "DIR/NAME: DIR/NAME/index.theme and DIR/NAME/cursors/, one Xcursor file per cursor\n"
    "under its freedesktop name (default, text, wait, progress, pointer, ...) with links\n"
    "under the other names desktops and toolkits ask for (left_ptr, xterm, watch, hand2,\n"
    "...). Animated cursors keep every step and its delay.\n"
    "SOURCE is the pack's install.inf (the roles come from its scheme), or a folder of\n"
    "the pack: its .inf when it has one, else the roles come from the usual file names\n"
    "(\"Normal Select\", \"Busy\", \"Text Select\", \"Link Select\", ...); files that match\n"
    "no role are named on standard error.\n"
    "  -o DIR        where the theme's folder goes; use ~/.local/share/icons to install\n"
    "                it for yourself, then choose NAME in your desktop's settings\n"
    "  --name NAME   the theme's name and folder name\n"
    "  --sizes LIST  sizes to write besides the pack's own, comma-separated\n"
    "                (default 24,32,48,64; HiDPI desktops ask for 48 and 64): made from\n"
    "                the best image, scaled down smoothly, up by whole factors first\n"
    "The theme is made beside DIR/NAME and renamed into place when it is complete; an\n"
    "earlier cursor theme DIR/NAME is replaced, anything else there is left alone.\n"
    "Prints the theme's folder.\n"
    "Exit status 0; 1 when a cursor cannot be read or the theme cannot be written (no\n"
    "part of it is then left behind); 2 on bad usage.\n";

namespace {

// Larger than any cursor a desktop asks for; Xcursor files of it would be tens of MB.
constexpr int MaxThemeSize = 512;

struct CursorThemeOptions {
    std::string Source;
    TCursorThemeRequest Request;
    bool FolderGiven = false;
    bool NameGiven = false;
};

std::string ParseSizes(const std::string& text, std::vector<int>& sizes) {
    sizes.clear();
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        const std::string item = text.substr(pos, comma - pos);
        const std::optional<int> size = ParseIndex(item);
        if (!size || *size == 0 || *size > MaxThemeSize)
            return Format("--sizes takes numbers from 1 to %d, not '%s'", MaxThemeSize,
                          item.c_str());
        sizes.push_back(*size);
        pos = comma + 1;
    }
    return "";
}

std::string ParseArguments(const Arguments& args, CursorThemeOptions& options) {
    bool operands = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--") {
            operands = true;
        } else if (option && (arg == "-o" || arg == "--name" || arg == "--sizes")) {
            if (i + 1 == args.size())
                return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "-o") {
                options.Request.Folder = value;
                options.FolderGiven = true;
            } else if (arg == "--name") {
                if (!IsValidThemeName(value))
                    return "--name needs a name without '/', not '" + value + "'";
                options.Request.Name = value;
                options.NameGiven = true;
            } else if (const std::string error = ParseSizes(value, options.Request.Sizes);
                       !error.empty()) {
                return error;
            }
        } else if (option) {
            return "unknown option " + arg;
        } else if (options.Source.empty()) {
            options.Source = arg;
        } else {
            return "expected exactly one SOURCE";
        }
    }
    if (options.Source.empty())
        return "expected SOURCE";
    if (!options.FolderGiven)
        return "-o DIR is needed";
    if (!options.NameGiven)
        return "--name NAME is needed";
    return "";
}

void SayLeftOut(const TCursorScheme& scheme) {
    for (const std::string& file : scheme.Unmatched)
        SayError(file + ": matched no cursor role; left out");
    for (const std::string& file : scheme.Repeated)
        SayError(file + ": its cursor role is taken by another file; left out");
}

} // namespace

int RunCursorTheme(const Arguments& args) {
    CursorThemeOptions options;
    const std::string usage = ParseArguments(args, options);
    if (!usage.empty())
        return UsageError(CommandNamed("cursor-theme"), usage);
    try {
        const TCursorScheme scheme = ReadCursorScheme(options.Source);
        SayLeftOut(scheme);
        const std::string folder = WriteCursorTheme(scheme, options.Request);
        std::printf("%s\n", LineText(folder).c_str());
    } catch (const std::exception& error) {
        return Failure(error.what());
    }
    return ExitOk;
}

} // namespace pictavo::cli
