#include "library/IconTheme.h"

#include "icons/ExportNames.h"
#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "platform/Paths.h"
#include "thumbnailer/Thumbnail.h"
#include "util/AtomicFile.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

extern char** environ;

namespace pictavo {

namespace {

bool HasPixels(const TMultiIconImage& image) {
    return image.IsPng ? image.Png && !image.Png->Empty() : image.ColorBitmap && image.MaskBitmap;
}

bool IsAsciiLetterOrDigit(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool Covers(const ThemeImageShape& image, int size) {
    return image.Width >= size && image.Height >= size;
}

// The exact S x S image for the size, the deepest first; -1 when there is none.
int ExactImage(const std::vector<ThemeImageShape>& images, int size) {
    int best = -1;
    for (size_t i = 0; i < images.size(); ++i) {
        const ThemeImageShape& image = images[i];
        if (image.Width == size && image.Height == size &&
            (best < 0 || image.Depth > images[static_cast<size_t>(best)].Depth))
            best = static_cast<int>(i);
    }
    return best;
}

// The smallest image covering the size (by its shorter side, then its area), the
// deepest of equals; -1 when none covers it.
int SmallestCovering(const std::vector<ThemeImageShape>& images, int size) {
    int best = -1;
    auto key = [](const ThemeImageShape& s) {
        return std::make_tuple(std::min(s.Width, s.Height), int64_t{s.Width} * s.Height, -s.Depth);
    };
    for (size_t i = 0; i < images.size(); ++i)
        if (Covers(images[i], size) &&
            (best < 0 || key(images[i]) < key(images[static_cast<size_t>(best)])))
            best = static_cast<int>(i);
    return best;
}

// Creates the folder and every missing folder above it.
void MakeFolders(const std::string& path) {
    for (size_t end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/')
            continue;
        const std::string folder = path.substr(0, end);
        struct stat info {};
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            throw EFCreateError(Format("Cannot create folder %s: %s", folder.c_str(),
                                       std::strerror(errno)));
        if (end == path.size() && (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)))
            throw EFCreateError(Format("Cannot create folder %s: not a folder", folder.c_str()));
    }
}

std::string HicolorFolder(const std::string& themeFolder) {
    return PathInFolder(themeFolder, "hicolor");
}

// Runs the program with the arguments, its output thrown away; true when it exits 0.
bool RunQuietly(const std::vector<std::string>& args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

const std::vector<int>& HicolorSizes() {
    static const std::vector<int> sizes = {16, 22, 24, 32, 48, 64, 96, 128, 256};
    return sizes;
}

std::vector<ThemeImageChoice> ChooseThemeImages(const std::vector<ThemeImageShape>& images) {
    std::vector<ThemeImageChoice> choices;
    for (int size : HicolorSizes()) {
        const int exact = ExactImage(images, size);
        if (exact >= 0) {
            choices.push_back({size, exact, true});
            continue;
        }
        const int covering = SmallestCovering(images, size);
        if (covering < 0)
            break; // the larger sizes are covered by no image either
        choices.push_back({size, covering, false});
    }
    return choices;
}

std::vector<ThemeImageShape> ThemeImageShapes(const TMultiIcon& icon) {
    std::vector<ThemeImageShape> shapes;
    for (int i = 0; i < icon.IconCount(); ++i) {
        const TMultiIconImage image = icon.GetIconData(i);
        ThemeImageShape shape;
        if (HasPixels(image)) {
            // A PNG image is as large as its picture; a cursor's PNG entry holds its
            // hotspot where the depth would be, and PNG is true colour anyway.
            shape.Width = image.IsPng ? image.Png->Width() : image.Width;
            shape.Height = image.IsPng ? image.Png->Height() : image.Height;
            shape.Depth = image.IsPng ? 32 : image.BitsPerPixel;
        }
        shapes.push_back(shape);
    }
    return shapes;
}

std::string ThemeIconName(const std::string& fileName) {
    std::string name;
    for (unsigned char c : ExportBaseName(fileName)) {
        if (c >= 0x80 && c < 0xC0)
            continue; // the rest of a character already replaced by its first byte
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        const bool kept = IsAsciiLetterOrDigit(c) || c == '.' || c == '_' || c == '-';
        name.push_back(kept ? static_cast<char>(c) : '-');
    }
    // A name of dots alone would be no file name of its own.
    return IsThemeIconName(name) ? name : "icon";
}

bool IsThemeIconName(const std::string& name) {
    if (name.find_first_not_of('.') == std::string::npos)
        return false; // empty, ".", ".." ...
    for (unsigned char c : name)
        if (!IsAsciiLetterOrDigit(c) && c != '.' && c != '_' && c != '-')
            return false;
    return true;
}

std::string UserIconThemeFolder() {
    // Relative values are to be ignored, as if the variable were not set.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return PathInFolder(data, "icons");
    const char* home = std::getenv("HOME");
    return PathInFolder(home != nullptr && home[0] != '\0' ? home : "/", ".local/share/icons");
}

std::string ThemeIconPath(const std::string& themeFolder, int size, const std::string& name) {
    return Format("%s/%dx%d/apps/%s.png", HicolorFolder(themeFolder).c_str(), size, size,
                  name.c_str());
}

bool ThemeHasIcon(const std::string& themeFolder, const std::string& name) {
    for (int size : HicolorSizes())
        if (Exists(ThemeIconPath(themeFolder, size, name)))
            return true;
    return false;
}

std::vector<uint8_t> ThemeImagePng(const TMultiIcon& icon, const ThemeImageChoice& choice) {
    const TMultiIconImage image = icon.GetIconData(choice.Image);
    if (choice.Exact)
        return ImageAsPng(image);
    RgbaImage converted;
    const RgbaPixels source = ImagePixels(image, converted);
    const int size = choice.Size;
    int width = 0;
    int height = 0;
    FittedSize(source.Width, source.Height, size, width, height);
    AreaAveragingScaler scaler(source, width, height);
    const int left = (size - width) / 2;
    const int top = (size - height) / 2;
    return EncodePngRows(size, size, [&](int y, uint8_t* row) {
        std::memset(row, 0, static_cast<size_t>(size) * 4);
        if (y >= top && y < top + height)
            scaler.Row(y - top, row + static_cast<size_t>(left) * 4);
    });
}

std::vector<std::string> SaveIconToTheme(const TMultiIcon& icon, const std::string& themeFolder,
                                         const std::string& name) {
    if (!IsThemeIconName(name))
        throw Exception(Format("Not an icon name: %s", name.c_str()));
    const std::vector<ThemeImageChoice> choices = ChooseThemeImages(ThemeImageShapes(icon));
    if (choices.empty())
        throw EInvalidGraphic(Format("The icon has no image of %d x %d pixels or more",
                                     HicolorSizes().front(), HicolorSizes().front()));
    std::vector<std::string> written;
    TAtomicFileBatch files; // flushed to the disk together
    for (const ThemeImageChoice& choice : choices) {
        const std::string path = ThemeIconPath(themeFolder, choice.Size, name);
        const std::vector<uint8_t> png = ThemeImagePng(icon, choice);
        MakeFolders(platform::FolderOf(path));
        files.Write(path, png);
        written.push_back(path);
    }
    files.Flush();
    // A larger size of an earlier icon of this name would otherwise win over the new one.
    for (size_t i = choices.size(); i < HicolorSizes().size(); ++i) {
        const std::string stale = ThemeIconPath(themeFolder, HicolorSizes()[i], name);
        if (::unlink(stale.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR)
            throw EWriteError(
                Format("Cannot remove %s: %s", stale.c_str(), std::strerror(errno)));
    }
    RefreshThemeCache(themeFolder);
    return written;
}

void RefreshThemeCache(const std::string& themeFolder) {
    const std::string hicolor = HicolorFolder(themeFolder);
    struct stat cache {};
    const bool cached = ::stat(PathInFolder(hicolor, "icon-theme.cache").c_str(), &cache) == 0;
    if (cached &&
        RunQuietly({"gtk-update-icon-cache", "--quiet", "--force", "--ignore-theme-index", hicolor}))
        return;
    // Running programs look at the theme folder's time to see that the theme changed, and
    // a cache older than its folder (by the second) is not used.
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    timespec times[2] = {{0, UTIME_OMIT}, now};
    if (cached && now.tv_sec <= cache.st_mtim.tv_sec)
        times[1] = {cache.st_mtim.tv_sec + 1, 0};
    ::utimensat(AT_FDCWD, hicolor.c_str(), times, 0);
}

} // namespace pictavo
