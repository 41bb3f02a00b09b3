// Texts of Windows files.

#include "cursors/WindowsText.h"

#include "platform/CodePage.h"

namespace pictavo {

std::string EightBitTextAsUtf8(const std::string& text) {
    // Invalid sequences do not survive the round trip: they turn into U+FFFD.
    if (platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)) == text)
        return text;
    std::u16string wide;
    for (char c : text)
        wide += static_cast<char16_t>(static_cast<uint8_t>(c));
    return platform::Utf16ToUtf8(wide);
}

std::string FileTextAsUtf8(const std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::u16string wide;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        return platform::Utf16ToUtf8(wide);
    }
    size_t start = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        start = 3;
    return EightBitTextAsUtf8(
        std::string(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end()));
}

} // namespace pictavo
