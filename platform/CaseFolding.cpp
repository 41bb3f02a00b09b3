#include "platform/CaseFolding.h"

#include "platform/CodePage.h"
#include "platform/Locale.h"

#include <cwctype>
#include <locale.h>
#include <memory>

namespace pictavo::platform {

namespace {

std::unique_ptr<uint16_t[]> MakeLowerCase16() {
    auto table = std::make_unique<uint16_t[]>(65536);
    const locale_t ctype = NewUtf8CtypeLocale();
    for (unsigned c = 0; c < 65536; ++c) {
        const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
        const wint_t wide = static_cast<wint_t>(c);
        const wint_t lower =
            (surrogate || ctype == static_cast<locale_t>(nullptr)) ? wide : towlower_l(wide, ctype);
        table[c] = static_cast<uint16_t>(lower <= 0xFFFF ? lower : wide);
    }
    if (ctype != static_cast<locale_t>(nullptr))
        freelocale(ctype);
    return table;
}

} // namespace

std::string LowerCase8(std::string text) {
    for (char& c : text)
        c = LowerCase8(c);
    return text;
}

bool SameText8(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerCase8(a[i]) != LowerCase8(b[i]))
            return false;
    return true;
}

const uint16_t* LowerCase16Table() {
    static const std::unique_ptr<uint16_t[]> table = MakeLowerCase16();
    return table.get();
}

bool SameTextFolded16(const std::string& a, const std::string& b) {
    const std::u16string wa = Utf8ToUtf16(a);
    const std::u16string wb = Utf8ToUtf16(b);
    if (wa.size() != wb.size())
        return false;
    const uint16_t* lower = LowerCase16Table();
    for (size_t i = 0; i < wa.size(); ++i)
        if (lower[wa[i]] != lower[wb[i]])
            return false;
    return true;
}

} // namespace pictavo::platform
