#pragma once
// Code pages. The system's ANSI code page is UTF-8 (65001): 8-bit strings are
// UTF-8, and conversions to and from the wide form are UTF-8 <-> UTF-16.

#include <cstdint>
#include <string>

namespace pictavo::platform {

constexpr uint32_t CP_UTF8 = 65001;

// The ANSI code page of the system (GetACP).
uint32_t AnsiCodePage();

// Invalid input sequences become U+FFFD, as the Windows converters do.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// The ANSI code page of a Windows language id (0x0409 -> 1252, 0x0804 -> 936, ...);
// the neutral language (0) takes the user's locale from the environment.
uint32_t CodePageOfLanguage(uint16_t languageId);

// The Windows language id of the user's locale (LC_ALL, LC_CTYPE, LANG), 0x0409 when unknown.
uint16_t UserDefaultLanguage();

} // namespace pictavo::platform
