#pragma once

#include <string>

namespace pictavo::platform {

// The user's temporary folder: $TMPDIR when it names a folder, else /tmp (as the C
// library's own temporary files fall back), with a trailing "/". Its whole length: a long
// TMPDIR is never cut.
std::string TempPath();

// Why $TMPDIR is not used (it names no folder), for a front end to say; "" when it is
// used or not set.
std::string TempPathProblem();

} // namespace pictavo::platform
