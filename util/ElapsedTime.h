#pragma once

#include <string>

namespace pictavo {

// Text for a non-negative number of seconds: "1 d, 1 h, 1 min, 1 s".
std::string FormatElapsedTime(double Seconds);

} // namespace pictavo
