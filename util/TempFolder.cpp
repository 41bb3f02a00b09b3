#include "util/TempFolder.h"

#include "platform/TempPath.h"

namespace pictavo {

constexpr size_t MaxPath = 260;

std::string GetTempFolder() {
    return platform::TempPath().substr(0, MaxPath);
}

} // namespace pictavo
