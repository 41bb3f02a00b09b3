#pragma once

#include <string>

namespace pictavo::platform {

// The user's temporary folder: $TMPDIR when set, else /tmp, with a trailing "/".
std::string TempPath();

} // namespace pictavo::platform
