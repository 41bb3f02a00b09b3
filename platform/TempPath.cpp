#include "platform/TempPath.h"

#include <cstdlib>

namespace pictavo::platform {

std::string TempPath() {
    const char* value = std::getenv("TMPDIR");
    std::string path = (value != nullptr && *value != '\0') ? value : "/tmp";
    if (path.back() != '/')
        path.push_back('/');
    return path;
}

} // namespace pictavo::platform
