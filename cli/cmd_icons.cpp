// pictavo-cli icons FILE: every icon of a module (or the one icon of an ICO/CUR file)
// with its images.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/ImageLines.h"
#include "cli/JsonText.h"
#include "cursors/AnimatedCursor.h"
#include "cursors/ModuleCursors.h"
#include "icons/ModuleIcons.h"
#include "util/FileErrorText.h"

#include <cstdio>
#include <exception>

namespace pictavo::cli {

extern const char IconsHelp[] =
    "Usage: pictavo-cli icons [--json] [--cursors] FILE\n"
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
    "  --cursors  list the cursors of a module instead: its cursor groups, then its\n"
    "          animated cursors and icons, each a block \"cursor N: K images\" with image\n"
    "          lines, or \"cursor N: animated, F frames, S steps\" with a block\n"
    "          \"frame F: K images\" per frame; with --json one object per cursor:\n"
    "          {\"cursor\": 0, \"name\": \"#100\", \"animated\": false, \"frames\":\n"
    "          [{\"images\": [...]}, ...], \"steps\": [...]}\n"
    "Exit status 0; 1 with the error message when the file is neither a module with\n"
    "icons nor an ICO/CUR/ANI file, or when an icon of the module or the animated\n"
    "cursor cannot be loaded.\n";

namespace {

std::string StepsJson(const TAnimatedCursor& cursor) {
    std::string steps;
    for (const TAniStep& step : cursor.Steps)
        steps += Format("%s{\"frame\": %d, \"delay_ms\": %u}", steps.empty() ? "" : ", ",
                        step.Frame, step.DelayMs());
    return "[" + steps + "]";
}

std::string ImagesJson(const TMultiIcon& icon) {
    std::string images;
    for (int i = 0; i < icon.IconCount(); ++i)
        images += (i > 0 ? ", " : "") + ImageJson(icon, i);
    return "[" + images + "]";
}

void PrintIcon(int position, const TMultiIcon& icon, bool json) {
    if (!json) {
        std::printf("icon %d: %d images\n", position, icon.IconCount());
        PrintImageLines(icon);
        return;
    }
    std::printf("{\"icon\": %d, \"images\": %s}\n", position, ImagesJson(icon).c_str());
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

void PrintModuleCursor(int n, const std::string& name, const TAnimatedCursor& cursor, bool animated,
                       bool json) {
    if (json) {
        std::string frames;
        for (const auto& frame : cursor.Frames)
            frames +=
                (frames.empty() ? "{\"images\": " : ", {\"images\": ") + ImagesJson(*frame) + "}";
        std::printf("{\"cursor\": %d, \"name\": %s, \"animated\": %s, \"frames\": [%s], "
                    "\"steps\": %s}\n",
                    n, JsonString(name).c_str(), JsonBool(animated), frames.c_str(),
                    StepsJson(cursor).c_str());
        return;
    }
    if (!animated) {
        std::printf("cursor %d: %d images\n", n, cursor.Frames[0]->IconCount());
        PrintImageLines(*cursor.Frames[0]);
        return;
    }
    std::printf("cursor %d: animated, %zu frames, %zu steps\n", n, cursor.Frames.size(),
                cursor.Steps.size());
    for (size_t f = 0; f < cursor.Frames.size(); ++f) {
        std::printf("frame %zu: %d images\n", f, cursor.Frames[f]->IconCount());
        PrintImageLines(*cursor.Frames[f]);
    }
}

// The cursors of a module; every one is listed even when another is damaged.
int PrintModuleCursors(const std::string& fileName, bool json) {
    TModuleCursors cursors(fileName);
    if (cursors.Count() == 0)
        return Failure(FileErrorText(fileName, cursors.IsModule() ? "the module holds no cursors"
                                                                  : "not a module"));
    int status = ExitOk;
    for (int n = 0; n < cursors.Count(); ++n) {
        try {
            PrintModuleCursor(n, cursors.Name(n), cursors.Load(n),
                              cursors.Kind(n) != TModuleCursorKind::Cursor, json);
        } catch (const std::exception& error) {
            SayError(FileErrorText(fileName, Format("cursor %d: %s", n, error.what())));
            status = ExitFailure;
        }
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
    if (json)
        std::printf("{\"title\": %s, \"author\": %s, \"steps\": %s}\n",
                    JsonString(cursor.Title).c_str(), JsonString(cursor.Author).c_str(),
                    StepsJson(cursor).c_str());
    return ExitOk;
}

} // namespace

int RunIcons(const Arguments& given) {
    bool json = false;
    bool cursors = false;
    Arguments withoutCursors;
    for (size_t i = 0; i < given.size(); ++i) {
        if (given[i] == "--") { // the rest are operands, for ParseJsonOption to take
            withoutCursors.insert(withoutCursors.end(), given.begin() + static_cast<long>(i),
                                  given.end());
            break;
        }
        if (given[i] == "--cursors")
            cursors = true;
        else
            withoutCursors.push_back(given[i]);
    }
    Arguments args;
    const std::string usage = ParseJsonOption(withoutCursors, json, args);
    if (!usage.empty())
        return UsageError(CommandNamed("icons"), usage);
    if (args.size() != 1)
        return UsageError(CommandNamed("icons"), "expected exactly one FILE");
    const std::string& fileName = args[0];
    if (cursors)
        return PrintModuleCursors(fileName, json);
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
