// pictavo-cli icons FILE: every icon of a module (or the one icon of an ICO/CUR file)
// with its images.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/ImageLines.h"
#include "cli/JsonText.h"
#include "cursors/AnimatedCursor.h"
#include "icons/ModuleIcons.h"
#include "util/FileErrorText.h"

#include <cstdio>
#include <exception>

namespace pictavo::cli {

extern const char IconsHelp[] =
    "Usage: pictavo-cli icons [--json] FILE\n"
    "Lists the icons of a module (EXE, DLL, ICL; PE32, PE32+ or 16-bit NE) in position\n"
    "order, the one icon of an ICO or CUR file, or the frames of an animated cursor\n"
    "(ANI), one icon per frame. Each icon is a block:\n"
    "  icon N: K images\n"
    "followed by the image lines of `pictavo-cli images`.\n"
    "  --json  print one JSON object per icon instead, its images as `images --json`\n"
    "          gives them: {\"icon\": 0, \"images\": [{\"index\": 0, ...}, ...]}; for an\n"
    "          animated cursor a last object gives its title, author and steps:\n"
    "          {\"title\": \"...\", \"author\": \"...\", \"steps\": [{\"frame\": 0,\n"
    "          \"delay_ms\": 100}, ...]} (a frame shown at several steps is named at each)\n"
    "Exit status 0; 1 with the error message when the file is neither a module with\n"
    "icons nor an ICO/CUR/ANI file, or when an icon of the module or the animated\n"
    "cursor cannot be loaded.\n";

namespace {

void PrintIcon(int position, const TMultiIcon& icon, bool json) {
    if (!json) {
        std::printf("icon %d: %d images\n", position, icon.IconCount());
        PrintImageLines(icon);
        return;
    }
    std::string images;
    for (int i = 0; i < icon.IconCount(); ++i)
        images += (i > 0 ? ", " : "") + ImageJson(icon, i);
    std::printf("{\"icon\": %d, \"images\": [%s]}\n", position, images.c_str());
}

// Every group is listed even when one of them is damaged; the damage sets the exit status.
// One pass over the module: it is opened and its groups enumerated once.
int PrintModuleIcons(const std::string& fileName, TModuleIcons& module, bool json) {
    int status = ExitOk;
    for (int n = 0; n < module.Count(); ++n) {
        TMultiIcon icon;
        try {
            module.Load(icon, n);
        } catch (const std::exception& error) {
            SayError(FileErrorText(fileName, Format("icon %d: %s", n, error.what())));
            status = ExitFailure;
            continue;
        }
        PrintIcon(n, icon, json);
    }
    return status;
}

// An animated cursor: its frames as icons, then with --json its steps.
int PrintAnimatedCursor(const std::string& fileName, bool json) {
    TAnimatedCursor cursor;
    try {
        cursor = LoadAnimatedCursor(fileName);
    } catch (const std::exception& error) {
        return Failure(FileErrorText(fileName, error.what()));
    }
    for (size_t n = 0; n < cursor.Frames.size(); ++n)
        PrintIcon(static_cast<int>(n), *cursor.Frames[n], json);
    if (json) {
        std::string steps;
        for (const TAniStep& step : cursor.Steps)
            steps += Format("%s{\"frame\": %d, \"delay_ms\": %u}", steps.empty() ? "" : ", ",
                            step.Frame, step.DelayMs());
        std::printf("{\"title\": %s, \"author\": %s, \"steps\": [%s]}\n",
                    JsonString(cursor.Title).c_str(), JsonString(cursor.Author).c_str(),
                    steps.c_str());
    }
    return ExitOk;
}

} // namespace

int RunIcons(const Arguments& given) {
    bool json = false;
    Arguments args;
    const std::string usage = ParseJsonOption(given, json, args);
    if (!usage.empty())
        return UsageError(CommandNamed("icons"), usage);
    if (args.size() != 1)
        return UsageError(CommandNamed("icons"), "expected exactly one FILE");
    const std::string& fileName = args[0];
    if (IsAnimatedCursorFile(fileName))
        return PrintAnimatedCursor(fileName, json);
    {
        TModuleIcons module(fileName);
        for (const std::string& damage : module.DamagedResources())
            SayError(FileErrorText(fileName, "skipped damaged " + damage));
        if (module.Count() > 0)
            return PrintModuleIcons(fileName, module, json);
        // A module is no icon file: say what it lacks rather than a format error.
        if (module.IsModule())
            return Failure(FileErrorText(fileName, "the module holds no icons"));
    }
    TMultiIcon icon;
    try {
        icon.LoadFromFile(fileName);
    } catch (const std::exception& error) {
        return Failure(FileErrorText(fileName, error.what()));
    }
    PrintIcon(0, icon, json);
    return ExitOk;
}

} // namespace pictavo::cli
