#pragma once
// JSON text of the --json outputs: one object per line, file names kept byte for byte.

#include <string>

namespace pictavo::cli {

// A JSON string literal of `text`. Valid UTF-8 is kept as it is; a byte that is not
// part of valid UTF-8 becomes the lone surrogate \udcXX (XX the byte), as Python's
// os.fsdecode writes it, so a script gets the exact bytes of a path back with
// os.fsencode. Quotes, backslashes and control characters are escaped.
std::string JsonString(const std::string& text);

// "true" or "false".
const char* JsonBool(bool value);

} // namespace pictavo::cli
