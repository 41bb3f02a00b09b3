#include "search/CharTables.h"

#include "platform/CaseFolding.h"
#include "platform/Locale.h"

#include <cwctype>
#include <locale.h>
#include <memory>

namespace pictavo {

namespace {

bool IsAlphaNumeric8(unsigned c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

void Fill(CharTables& t) {
    for (unsigned c = 0; c < 256; ++c) {
        t.Identity8[c] = static_cast<uint8_t>(c);
        t.Lower8[c] = static_cast<uint8_t>(platform::LowerCase8(static_cast<char>(c)));
        t.Delimiter8[c] = IsAlphaNumeric8(c) ? 0 : 1;
    }
    const uint16_t* lower16 = platform::LowerCase16Table();
    const locale_t ctype = platform::NewUtf8CtypeLocale();
    for (unsigned c = 0; c < 65536; ++c) {
        t.Identity16[c] = static_cast<uint16_t>(c);
        const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
        const wint_t wide = static_cast<wint_t>(c);
        t.Lower16[c] = lower16[c];
        t.Delimiter16[c] = (!surrogate && iswalnum_l(wide, ctype)) ? 0 : 1;
    }
    if (ctype != static_cast<locale_t>(nullptr))
        freelocale(ctype);
    t.Delimiter8[0] = 1;
    t.Delimiter16[0] = 1;
}

} // namespace

const CharTables& InitCharTables() {
    static const std::unique_ptr<CharTables> tables = [] {
        auto made = std::make_unique<CharTables>();
        Fill(*made);
        return made;
    }();
    return *tables;
}

} // namespace pictavo
