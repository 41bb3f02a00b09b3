#pragma once
// `extract --theme`: a program's icon as launcher icons in a freedesktop icon theme.

#include <string>

namespace pictavo::cli {

// The file holds no icon at all: a launcher's signal to fall back to a generic icon.
constexpr int ExitNoIcons = 3;

struct ThemeRequest {
    std::string FileName;
    std::string ThemeFolder;
    std::string Name; // "" for ThemeIconName of the file
    int Index = 0;    // the icon as `extract` counts them, when Id is ""
    std::string Id;   // the icon group's resource ID or name
};

// Writes the icon into the theme and prints each written path; returns the exit code.
int ExtractToTheme(const ThemeRequest& request);

} // namespace pictavo::cli
