#pragma once
// Helpers shared by the scan, extract, build and remove commands.

#include "cli/Command.h"

#include <optional>
#include <string>

namespace pictavo::cli {

// A non-negative decimal number that fits an int; nullopt for anything else.
std::optional<int> ParseIndex(const std::string& text);

// The command of the table with this name.
const Command& CommandNamed(const char* name);

// The number of icons of a file as the window counts them: the icon groups of a module,
// else 1 for a file that loads as an ICO/CUR file, else 0.
int IconCountOfFile(const std::string& fileName);

} // namespace pictavo::cli
