#pragma once
// Locale-aware text comparison (CompareStringA with the user's default locale) and the
// character-classification locale behind the 16-bit character tables.

#include <locale.h>
#include <string>

namespace pictavo::platform {

// -1, 0 or 1: the user's collation order (strcoll), with a byte-wise tie-break so
// that texts that differ never compare equal.
int CompareTextLocale(const std::string& a, const std::string& b);

// A new UTF-8 character-classification locale, for the wide-character lower-case and
// letter tables; "C" when none is installed (then only ASCII letters classify). The
// caller frees it with freelocale; it may be null when even "C" cannot be made.
locale_t NewUtf8CtypeLocale();

} // namespace pictavo::platform
