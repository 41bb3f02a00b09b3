#pragma once
// A Windows cursor scheme written as a Linux (Xcursor) cursor theme:
// DIR/NAME/index.theme and DIR/NAME/cursors/ with one Xcursor file per role under its
// freedesktop name and links to it under the other names desktops ask for. The theme is
// made in a temporary folder beside it and renamed into place whole, so a failure leaves
// no half theme and an earlier theme of that name stays until the new one replaces it.

#include "cursors/CursorScheme.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pictavo {

// The sizes written besides those the cursors have: HiDPI desktops ask for 48 and 64.
const std::vector<int>& DefaultThemeSizes();

struct TCursorThemeRequest {
    std::string Folder; // DIR: the theme goes to DIR/NAME
    std::string Name;
    std::vector<int> Sizes = DefaultThemeSizes();
    // Called before each cursor with the cursors done, their number and the next file; an
    // exception it raises (a cancel) ends the writing with nothing of the theme left.
    std::function<void(size_t done, size_t total, const std::string& file)> OnCursor;
};

// Whether the name can be a theme's folder name: not empty, no '/', not "." or "..".
bool IsValidThemeName(const std::string& name);

// Whether the folder is a cursor theme (ours from an earlier run, or another), which a
// new theme of the same name may replace.
bool IsCursorThemeFolder(const std::string& folder);

// Where a user's own cursor themes go: $XDG_DATA_HOME/icons, else ~/.local/share/icons.
std::string UserCursorThemesFolder();

// The theme name a pack's source gives: the name of its folder (the folder itself, or the
// folder of an .inf file); "Cursors" when that has no usable name.
std::string ThemeNameOfSource(const std::string& source);

// Writes the theme; returns its folder. Raises Exception naming the role and its file when
// a cursor fails, or the reason when the folder cannot be written or DIR/NAME is something
// else than a cursor theme (which is never replaced).
std::string WriteCursorTheme(const TCursorScheme& scheme, const TCursorThemeRequest& request);

} // namespace pictavo
