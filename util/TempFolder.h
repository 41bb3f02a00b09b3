#pragma once

#include <string>

namespace pictavo {

// The user's temporary folder with its trailing delimiter; at most 260 characters.
std::string GetTempFolder();

} // namespace pictavo
