#include "platform/TickCount.h"

#include <chrono>

namespace pictavo::platform {

uint64_t TickCount() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

} // namespace pictavo::platform
