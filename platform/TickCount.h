#pragma once
// The system tick count (GetTickCount): milliseconds of a monotonic clock, for elapsed
// times and for the tile naming that steps by it.

#include <cstdint>

namespace pictavo::platform {

uint64_t TickCount();

} // namespace pictavo::platform
