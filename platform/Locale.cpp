#include "platform/Locale.h"

#include <clocale>
#include <cstring>
#include <locale.h>

namespace pictavo::platform {

namespace {

// The user's collation, made once; falls back to "C" when the environment names
// a locale that is not installed.
locale_t UserCollation() {
    static const locale_t collation = [] {
        locale_t made = newlocale(LC_COLLATE_MASK, "", static_cast<locale_t>(nullptr));
        if (made == static_cast<locale_t>(nullptr))
            made = newlocale(LC_COLLATE_MASK, "C", static_cast<locale_t>(nullptr));
        return made;
    }();
    return collation;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

int CompareTextLocale(const std::string& a, const std::string& b) {
    // strcoll stops at the first NUL; texts with embedded NULs still differ below.
    const int collated = Sign(strcoll_l(a.c_str(), b.c_str(), UserCollation()));
    if (collated != 0)
        return collated;
    return Sign(a.compare(b));
}

locale_t NewUtf8CtypeLocale() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", ""}) {
        const locale_t made = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
        if (made != static_cast<locale_t>(nullptr))
            return made;
    }
    return newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
}

} // namespace pictavo::platform
