#pragma once
// Case folding, the one home of the CharLowerBuffA/CharLowerBuffW stand-ins.
//
// 8-bit text is UTF-8 (the ANSI code page): only the letters A-Z fold, to a-z, and
// every other byte is its own lower case. 16-bit text folds whole UTF-16 code units
// through the C library's wide-character lower-case mapping under a UTF-8 locale; that
// mapping does not depend on the user's locale.

#include <cstdint>
#include <string>

namespace pictavo::platform {

inline char LowerCase8(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// a-z turned into A-Z, as names of resources and version keys compare.
inline char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The text with A-Z turned into a-z, other bytes unchanged.
std::string LowerCase8(std::string text);

// Equal once A-Z are folded to a-z.
bool SameText8(const std::string& a, const std::string& b);

// The lower case of every UTF-16 code unit (surrogates map to themselves); 65536 entries,
// built once and read-only afterwards (safe to read from any thread).
const uint16_t* LowerCase16Table();

// Equal once both UTF-8 texts are converted to UTF-16 and folded code unit by code unit.
bool SameTextFolded16(const std::string& a, const std::string& b);

} // namespace pictavo::platform
