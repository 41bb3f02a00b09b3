#pragma once
// Locale-aware text comparison (CompareStringA with the user's default locale).

#include <string>

namespace pictavo::platform {

// -1, 0 or 1: the user's collation order (strcoll), with a byte-wise tie-break so
// that texts that differ never compare equal.
int CompareTextLocale(const std::string& a, const std::string& b);

} // namespace pictavo::platform
