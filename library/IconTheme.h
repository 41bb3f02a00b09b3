#pragma once
// A program's icon as a launcher icon in the freedesktop hicolor theme: one PNG file per
// standard size, THEME/hicolor/SxS/apps/NAME.png, up to the size of the icon's largest
// image, so that a desktop entry's Icon=NAME finds a sharp picture at every size.

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

class TMultiIcon;

// The sizes the hicolor theme has folders for, smallest first.
const std::vector<int>& HicolorSizes();

// What the size choice needs to know of one image: its picture's size and its depth
// (32 for a PNG image, whatever its entry says). An image without pixels has Width 0.
struct ThemeImageShape {
    int Width = 0;
    int Height = 0;
    int Depth = 0;
};

// The image one theme size is made from: Exact when the image is S x S pixels and is
// written as it is, else it is scaled down to fit S x S.
struct ThemeImageChoice {
    int Size = 0;
    int Image = -1;
    bool Exact = false;
};

// For every standard size S up to the largest that an image covers (S <= both its
// sides): the image of exactly S x S, the deepest of those (the first of equals), else
// the smallest image covering S, the deepest of equals. Nothing above the largest image:
// an upscaled picture is worse than the theme's own scaling. Empty when no image covers
// the smallest standard size.
std::vector<ThemeImageChoice> ChooseThemeImages(const std::vector<ThemeImageShape>& images);
std::vector<ThemeImageShape> ThemeImageShapes(const TMultiIcon& icon);

// The icon name for a file: its base name (ExportBaseName) in lower case, every
// character outside a-z 0-9 . _ - replaced by '-' ("My Game.exe" -> "my-game").
std::string ThemeIconName(const std::string& fileName);
// Whether a name may be given as an icon name: not empty, not only dots, and only
// letters, digits, '.', '_' and '-' (so it is one file name and the same on every
// desktop).
bool IsThemeIconName(const std::string& name);

// The user's own icon themes, where the desktop looks first: $XDG_DATA_HOME/icons, by
// default ~/.local/share/icons.
std::string UserIconThemeFolder();

// THEME/hicolor/SxS/apps/NAME.png.
std::string ThemeIconPath(const std::string& themeFolder, int size, const std::string& name);

// Whether the theme holds a file of that name at any standard size.
bool ThemeHasIcon(const std::string& themeFolder, const std::string& name);

// The PNG file of one choice: an exact image as `extract --png` writes it (a PNG image
// as stored), any other scaled down smoothly with its alpha and centred on a
// transparent S x S square when it is not square.
std::vector<uint8_t> ThemeImagePng(const TMultiIcon& icon, const ThemeImageChoice& choice);

// Writes the icon into the theme under `name` (which IsThemeIconName must accept), each
// file whole (a launcher reading the theme never sees half a PNG), and removes the
// files of that name at the other standard sizes, which an earlier icon left. Then
// refreshes the theme's cache when it has one. Returns the paths written, smallest size
// first. Raises EInvalidGraphic when no image covers the smallest size (nothing is
// written), and the file errors of the writes.
std::vector<std::string> SaveIconToTheme(const TMultiIcon& icon, const std::string& themeFolder,
                                         const std::string& name);

// When THEME/hicolor has an icon-theme.cache, rebuilds it with gtk-update-icon-cache.
// Otherwise, or where that program is missing or fails, moves the theme folder's time
// on: running programs then read the theme again, and an outdated cache is not used.
// Never raises.
void RefreshThemeCache(const std::string& themeFolder);

} // namespace pictavo
