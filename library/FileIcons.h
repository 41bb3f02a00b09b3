#pragma once
// The icons of a file as the file list counts them and as the commands that take an
// icon from a file load it: the icon groups of a module, else the file itself as one
// ICO/CUR icon.

#include <string>

namespace pictavo {

class TMultiIcon;

// The icon groups of a module, else 1 for a file that loads as an ICO/CUR file with at
// least one image, else 0. Never raises: a file that is neither counts 0.
int IconCountOfFile(const std::string& fileName);

// Icon `iconIndex` of the module, or, when the module cannot give it, the whole file
// as an icon file; an error of that second load propagates.
void LoadFileIcon(TMultiIcon& icon, const std::string& fileName, int iconIndex);

} // namespace pictavo
