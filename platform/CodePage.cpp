#include "platform/CodePage.h"

#include <cstdlib>
#include <cstring>

namespace pictavo::platform {

uint32_t AnsiCodePage() {
    return CP_UTF8;
}

namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at text[i], advancing i; malformed input yields U+FFFD
// and consumes one byte.
char32_t DecodeUtf8(const std::string& text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return Replacement;
    }
    if (i + length > text.size()) {
        ++i;
        return Replacement;
    }
    for (int k = 1; k < length; ++k) {
        const uint8_t next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return Replacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return Replacement;
    }
    i += length;
    return c;
}

struct LanguageCodePage {
    uint16_t primaryLanguage; // low 10 bits of the language id
    uint32_t codePage;
    const char* localePrefix; // language part of a POSIX locale name
};

// Primary language -> ANSI code page, after the Windows national-language tables.
constexpr LanguageCodePage Languages[] = {
    {0x09, 1252, "en"}, {0x07, 1252, "de"}, {0x0C, 1252, "fr"}, {0x0A, 1252, "es"},
    {0x10, 1252, "it"}, {0x13, 1252, "nl"}, {0x16, 1252, "pt"}, {0x1D, 1252, "sv"},
    {0x14, 1252, "nb"}, {0x06, 1252, "da"}, {0x0B, 1252, "fi"}, {0x0F, 1252, "is"},
    {0x05, 1250, "cs"}, {0x15, 1250, "pl"}, {0x0E, 1250, "hu"}, {0x1B, 1250, "sk"},
    {0x24, 1250, "sl"}, {0x1A, 1250, "hr"}, {0x18, 1250, "ro"}, {0x1C, 1250, "sq"},
    {0x19, 1251, "ru"}, {0x22, 1251, "uk"}, {0x23, 1251, "be"}, {0x02, 1251, "bg"},
    {0x2F, 1251, "mk"}, {0x08, 1253, "el"}, {0x1F, 1254, "tr"}, {0x0D, 1255, "he"},
    {0x01, 1256, "ar"}, {0x29, 1256, "fa"}, {0x25, 1257, "et"}, {0x26, 1257, "lv"},
    {0x27, 1257, "lt"}, {0x2A, 1258, "vi"}, {0x1E, 874, "th"},  {0x11, 932, "ja"},
    {0x12, 949, "ko"},
};

constexpr uint16_t LangChinese = 0x04;

// The user's locale name from the environment, e.g. "zh_CN.UTF-8".
std::string UserLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "";
}

} // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        AppendUtf16(out, DecodeUtf8(text, i));
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = Replacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

uint16_t UserDefaultLanguage() {
    const std::string name = UserLocaleName();
    if (name.rfind("zh_TW", 0) == 0 || name.rfind("zh_HK", 0) == 0)
        return 0x0404;
    if (name.rfind("zh", 0) == 0)
        return 0x0804;
    const std::string language = name.substr(0, name.find_first_of("_.@"));
    for (const LanguageCodePage& entry : Languages)
        if (language == entry.localePrefix)
            return static_cast<uint16_t>(0x0400 | entry.primaryLanguage);
    return 0x0409;
}

uint32_t CodePageOfLanguage(uint16_t languageId) {
    if (languageId == 0)
        languageId = UserDefaultLanguage();
    const uint16_t primary = languageId & 0x3FF;
    if (primary == LangChinese) {
        const uint16_t sub = languageId >> 10;
        // Taiwan, Hong Kong and Macao use Big5; the mainland and Singapore GBK.
        return (sub == 1 || sub == 3 || sub == 5) ? 950 : 936;
    }
    for (const LanguageCodePage& entry : Languages)
        if (entry.primaryLanguage == primary)
            return entry.codePage;
    return 1252;
}

} // namespace pictavo::platform
