#pragma once
// The mask box's text as the window splits it into file-name masks: trimmed, ";" read
// as ",", then split as comma text. Items end at "," or at any character from 1 to 32;
// blanks before an item are skipped; a quoted item runs to its closing quote ("" stands
// for one quote) and may hold blanks and commas; two separators in a row, or a "," at
// the very end, give an empty item (which searches the bare folder for every file).

#include <string>
#include <vector>

namespace pictavo {

std::vector<std::string> SplitMaskText(const std::string& text);

} // namespace pictavo
