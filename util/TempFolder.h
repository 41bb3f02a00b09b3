#pragma once

#include <string>

namespace pictavo {

// The user's temporary folder with its trailing delimiter (platform::TempPath).
std::string GetTempFolder();

} // namespace pictavo
