#include "util/TempFolder.h"

#include "platform/TempPath.h"

namespace pictavo {

// The whole path, however long: a cut one names another folder (its parent under a
// mangled name), where nothing would find the files again.
std::string GetTempFolder() {
    return platform::TempPath();
}

} // namespace pictavo
