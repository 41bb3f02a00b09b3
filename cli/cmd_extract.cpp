// pictavo-cli extract: whole icons of a file written as .ico files, named as the
// window's "保存为图标" names them (base_N.ico), or each of their images as a PNG file,
// or one icon as launcher icons in an icon theme.

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/ExtractTheme.h"
#include "cli/PngExport.h"
#include "cli/Progress.h"
#include "cli/StandardOutput.h"
#include "cursors/AnimatedCursor.h"
#include "cursors/CursorThumbnail.h"
#include "cursors/ModuleCursors.h"
#include "icons/ExportNames.h"
#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "library/IconTheme.h"
#include "thumbnailer/Thumbnail.h"
#include "util/AtomicFile.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"
#include "util/Stream.h"

#include <climits>
#include <cstdio>
#include <exception>
#include <sys/stat.h>

namespace pictavo::cli {

extern const char ExtractHelp[] =
    "Usage: pictavo-cli extract FILE [--png] [-i N]... [-o DIR]\n"
    "       pictavo-cli extract FILE -i N -o -\n"
    "       pictavo-cli extract FILE --best [--size N] -o OUTPUT\n"
    "       pictavo-cli extract FILE --theme DIR [--name NAME] [-i N | --id ID]\n"
    "       pictavo-cli extract FILE --cursors [-i N]... [-o DIR]\n"
    "Writes icons of FILE (all their images) as .ico files named BASE_N.ico, where\n"
    "BASE is FILE's name without folder and without its last extension and N the\n"
    "icon's number (0-based, in the order `pictavo-cli icons` lists them). For an ICO\n"
    "or CUR file, icon 0 is the file itself. For an animated cursor (ANI), icon N is\n"
    "its frame N, written as BASE_N.cur (BASE_N.ico for a frame that is an icon).\n"
    "Existing files are overwritten.\n"
    "  -i N    write icon N (repeatable); default: every icon\n"
    "  -o DIR  write into DIR (default: the current folder); -o - writes the one icon\n"
    "          that -i N names to standard output\n"
    "  --png   write every image of each icon as BASE_N_WxH_Dbit.png instead, D being\n"
    "          the bit count `pictavo-cli icons` prints (a second image of the same\n"
    "          size and bit count in one icon gets BASE_N_WxH_Dbit-2.png, and so on):\n"
    "          PNG images as they are stored, bitmap images as 32-bit RGBA with the\n"
    "          mask (below 32 bits) or the alpha channel as transparency\n"
    "  --best  write one PNG file, OUTPUT (\"-\" for standard output): the largest\n"
    "          image of the first icon (the file itself for ICO and CUR, the first\n"
    "          frame for ANI), alpha kept;\n"
    "          only that icon is read, however large FILE is\n"
    "  --size N  with --best: the image that best fits N x N instead, scaled down\n"
    "          smoothly to fit when it is larger\n"
    "  --theme DIR  write one icon as launcher icons of the hicolor icon theme:\n"
    "          DIR/hicolor/SxS/apps/NAME.png for each standard size S (16, 22, 24,\n"
    "          32, 48, 64, 96, 128, 256) up to the icon's largest image; the image\n"
    "          of exactly S pixels as stored (the deepest), else the next larger\n"
    "          one scaled down smoothly. Files of NAME at larger sizes from an\n"
    "          earlier run are removed. DIR is ~/.local/share/icons for the user's\n"
    "          own theme\n"
    "  --name NAME  with --theme: the icon name (letters, digits, '.', '_', '-');\n"
    "          default: FILE's base name in lower case, every other character as '-'\n"
    "  -i N    with --theme: icon N; default 0, the icon Windows shows for a program\n"
    "  --id ID  with --theme: the icon group with resource ID ID (a number) or\n"
    "          name, as Windows writes FILE,-ID; -i -ID means the same\n"
    "  --cursors  write the cursors of a module instead (its cursor groups, then its\n"
    "          animated cursors and icons, numbered as `icons --cursors` lists them)\n"
    "          as BASE_cursor_N.cur or, when animated, BASE_cursor_N.ani, hotspots kept\n"
    "Prints the name of each file written. An icon without images (an empty group of\n"
    "an icon library) is not written.\n"
    "Exit status 0; 1 when FILE holds no icons, an icon number is out of range, an\n"
    "icon has no images, or an icon cannot be read or written; 2 on bad usage. With\n"
    "--theme: 3 when FILE holds no icons (nothing is written), 1 also when the icon\n"
    "has no image of 16 x 16 pixels or more.\n";

namespace {

struct ExtractOptions {
    std::string FileName;
    std::vector<int> Indexes;
    std::string Output = "."; // the folder, the file of --best, or "-"
    bool Png = false;
    bool Best = false;
    bool Cursors = false;
    int Size = 0; // --size; 0 for the largest image
    bool ThemeGiven = false;
    ThemeRequest Theme; // --theme, --name, --id, -i -ID
};

// The usage error of options that do not go together; "" when they do.
std::string CheckCombination(const ExtractOptions& options, bool outputGiven) {
    if (!options.ThemeGiven && (!options.Theme.Name.empty() || !options.Theme.Id.empty()))
        return "--name, --id and -i -ID go with --theme";
    if (options.ThemeGiven &&
        (options.Png || options.Best || outputGiven || options.Indexes.size() > 1 ||
         (!options.Indexes.empty() && !options.Theme.Id.empty())))
        return "--theme writes one icon: it goes with one -i N or --id ID, without -o, --png "
               "and --best";
    if (options.Cursors && (options.Best || options.Png || options.ThemeGiven))
        return "--cursors goes with neither --best, --png nor --theme";
    if (options.Size > 0 && !options.Best)
        return "--size goes with --best";
    if (options.Best && (options.Png || !options.Indexes.empty()))
        return "--best takes the first icon: it goes with neither -i nor --png";
    if (options.Best && !outputGiven)
        return "--best needs -o OUTPUT";
    if (!options.Best && options.Output == "-" && (options.Png || options.Indexes.size() != 1))
        return "-o - writes one icon: give exactly one -i N, without --png";
    return "";
}

// "-ID": Windows' notation of an icon by its resource ID.
bool IsNegativeId(const std::string& value) {
    return value.size() > 1 && value[0] == '-' &&
           value.find_first_not_of("0123456789", 1) == std::string::npos;
}

// The value of --name, --id or -i -ID; the usage error, or "".
std::string TakeThemeValue(const std::string& option, const std::string& value,
                           ThemeRequest& theme) {
    if (option == "--name") {
        if (!IsThemeIconName(value))
            return "--name takes letters, digits, '.', '_' and '-', not '" + value + "'";
        theme.Name = value;
        return "";
    }
    if (!theme.Id.empty())
        return "give one icon: one --id ID or -i -ID";
    theme.Id = option == "-i" ? value.substr(1) : value;
    if (theme.Id.empty())
        return "--id needs a resource ID or name";
    return "";
}

std::string ParseExtractArguments(const Arguments& args, ExtractOptions& options) {
    bool operands = false; // after "--" every argument is a file
    bool outputGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !operands && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--") {
            operands = true;
        } else if (option && arg == "--png") {
            options.Png = true;
        } else if (option && arg == "--cursors") {
            options.Cursors = true;
        } else if (option && arg == "--best") {
            options.Best = true;
        } else if (option && (arg == "-i" || arg == "-o" || arg == "--size" ||
                              arg == "--theme" || arg == "--name" || arg == "--id")) {
            if (i + 1 == args.size())
                return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "-o") {
                options.Output = value;
                outputGiven = true;
                continue;
            }
            if (arg == "--theme") {
                if (value.empty())
                    return "--theme needs a folder";
                options.Theme.ThemeFolder = value;
                options.ThemeGiven = true;
                continue;
            }
            if (arg == "--name" || arg == "--id" || (arg == "-i" && IsNegativeId(value))) {
                const std::string error = TakeThemeValue(arg, value, options.Theme);
                if (!error.empty())
                    return error;
                continue;
            }
            const std::optional<int> number = ParseIndex(value);
            if (arg == "--size" && (!number || *number == 0))
                return "--size needs a positive number, not '" + value + "'";
            if (!number)
                return "-i needs a non-negative number, not '" + value + "'";
            if (arg == "--size")
                options.Size = *number;
            else
                options.Indexes.push_back(*number);
        } else if (option) {
            return "unknown option " + arg;
        } else if (options.FileName.empty()) {
            options.FileName = arg;
        } else {
            return "expected exactly one FILE";
        }
    }
    if (options.FileName.empty())
        return "expected FILE";
    return CheckCombination(options, outputGiven);
}

void WriteImagesAsPng(const TMultiIcon& icon, const std::string& prefix, TAtomicFileBatch& files) {
    std::vector<std::string> written;
    for (int i = 0; i < icon.IconCount(); ++i) {
        const TMultiIconImage image = icon.GetIconData(i);
        const std::string target = PngImageFileName(prefix, image, written);
        written.push_back(target);
        files.Write(target, ImageAsPng(image));
        std::printf("%s\n", LineText(target).c_str());
    }
}

// The bytes to standard output for "-", else into the file (replaced as a whole), whose
// name is then printed.
int WriteOutput(const std::string& output, const std::vector<uint8_t>& bytes) {
    try {
        if (output == "-") {
            WriteStandardOutput(bytes);
            return ExitOk;
        }
        WriteFileAtomically(output, bytes);
    } catch (const std::exception& failure) {
        return Failure(output == "-" ? failure.what() : FileErrorText(output, failure.what()));
    }
    std::printf("%s\n", LineText(output).c_str());
    return ExitOk;
}

// --best: the image a file manager would show, at its full size or fitted to --size.
int ExtractBest(const ExtractOptions& options) {
    std::vector<uint8_t> png;
    try {
        png = FileThumbnailPng(options.FileName, options.Size > 0 ? options.Size : INT_MAX);
    } catch (const std::exception& failure) {
        return Failure(FileErrorText(options.FileName, failure.what()));
    }
    return WriteOutput(options.Output, png);
}

std::vector<uint8_t> IconFileBytes(TMultiIcon& icon) {
    MemoryStream stream;
    icon.SaveToStream(&stream);
    return stream.TakeBytes();
}

// Writes one file of the batch and prints its name; says why and answers false when the
// write fails.
bool WriteListedFile(TAtomicFileBatch& files, const std::string& target,
                     const std::vector<uint8_t>& bytes) {
    try {
        files.Write(target, bytes);
    } catch (const std::exception& failure) {
        Failure(FileErrorText(target, failure.what()));
        return false;
    }
    std::printf("%s\n", LineText(target).c_str());
    return true;
}

// Puts the batch on the disk: `status`, or the failure when that fails.
int FinishBatch(TAtomicFileBatch& files, const std::string& folder, int status) {
    try {
        files.Flush();
    } catch (const std::exception& failure) {
        return Failure(FileErrorText(folder, failure.what()));
    }
    return status;
}

// --cursors: the module's cursors as .cur and .ani files.
int ExtractCursors(ExtractOptions& options, const std::string& folder) {
    TModuleCursors cursors(options.FileName);
    if (cursors.Count() == 0)
        return Failure(options.FileName + ": no cursors");
    if (options.Indexes.empty())
        for (int i = 0; i < cursors.Count(); ++i)
            options.Indexes.push_back(i);
    const std::string base = ExportBaseName(options.FileName);
    TAtomicFileBatch files;
    for (int index : options.Indexes) {
        std::vector<uint8_t> bytes;
        try {
            bytes = cursors.FileBytes(index);
        } catch (const std::exception& failure) {
            return Failure(
                FileErrorText(options.FileName, Format("cursor %d: %s", index, failure.what())));
        }
        if (options.Output == "-")
            return WriteOutput("-", bytes);
        const std::string target =
            folder + Format("%s_cursor_%d%s", base.c_str(), index, cursors.FileExtension(index));
        if (!WriteListedFile(files, target, bytes))
            return ExitFailure;
    }
    return FinishBatch(files, folder, ExitOk);
}

} // namespace

int RunExtract(const Arguments& args) {
    ExtractOptions options;
    const std::string error = ParseExtractArguments(args, options);
    if (!error.empty())
        return UsageError(CommandNamed("extract"), error);
    if (options.Best)
        return ExtractBest(options);
    if (options.ThemeGiven) {
        options.Theme.FileName = options.FileName;
        if (!options.Indexes.empty())
            options.Theme.Index = options.Indexes.front();
        return ExtractToTheme(options.Theme);
    }
    const bool toStdout = options.Output == "-";
    struct stat info {};
    if (!toStdout && (::stat(options.Output.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)))
        return Failure(options.Output + ": not a folder");

    if (options.Cursors)
        return ExtractCursors(options,
                              options.Output.back() == '/' ? options.Output : options.Output + "/");
    // An animated cursor's frames are its icons.
    std::optional<TAnimatedCursor> animation;
    if (IsAnimatedCursorFile(options.FileName)) {
        try {
            animation = LoadAnimatedCursor(options.FileName);
        } catch (const std::exception& failure) {
            return Failure(FileErrorText(options.FileName, failure.what()));
        }
    }
    const int count =
        animation ? static_cast<int>(animation->Frames.size()) : IconCountOfFile(options.FileName);
    if (count == 0) {
        const std::string unreadable = UnreadableFileError(options.FileName);
        return Failure(unreadable.empty() ? options.FileName + ": no icons" : unreadable);
    }
    if (options.Indexes.empty())
        for (int i = 0; i < count; ++i)
            options.Indexes.push_back(i);
    for (int index : options.Indexes)
        if (index >= count)
            return Failure(Format("%s: no icon %d (the file holds %d)", options.FileName.c_str(),
                                  index, count));

    std::string folder = options.Output;
    if (folder.back() != '/')
        folder.push_back('/');
    const std::string base = ExportBaseName(options.FileName);
    Progress progress;
    TFileIconLoader loader; // all the icons in one pass over the file
    TAtomicFileBatch files; // flushed to the disk together at the end
    int status = ExitOk;
    for (size_t k = 0; k < options.Indexes.size(); ++k) {
        const int index = options.Indexes[k];
        progress.Show(Format("[%zu/%zu] icon %d", k + 1, options.Indexes.size(), index));
        auto loaded = animation ? animation->Frames[static_cast<size_t>(index)]
                                : std::make_shared<TMultiIcon>();
        TMultiIcon& icon = *loaded;
        try {
            if (!animation)
                loader.Load(icon, options.FileName, index);
        } catch (const std::exception& failure) {
            progress.Clear();
            return Failure(
                FileErrorText(options.FileName, Format("icon %d: %s", index, failure.what())));
        }
        progress.Clear();
        if (icon.IconCount() == 0) {
            // An empty .ico file would be no icon at all.
            SayError(Format("%s: icon %d has no images", options.FileName.c_str(), index));
            status = ExitFailure;
            continue;
        }
        if (toStdout)
            return WriteOutput("-", IconFileBytes(icon));
        const std::string prefix = folder + Format("%s_%d", base.c_str(), index);
        if (options.Png) {
            WriteImagesAsPng(icon, prefix, files);
            continue;
        }
        const std::string target = prefix + (animation && icon.IsCursor() ? ".cur" : ".ico");
        if (!WriteListedFile(files, target, IconFileBytes(icon)))
            return ExitFailure;
    }
    return FinishBatch(files, folder, status);
}

} // namespace pictavo::cli
