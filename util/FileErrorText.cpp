#include "util/FileErrorText.h"

namespace pictavo {

std::string FileErrorText(const std::string& fileName, const std::string& message) {
    if (fileName.empty() || message.rfind(fileName + ": ", 0) == 0 ||
        message.find('"' + fileName + '"') != std::string::npos)
        return message;
    return fileName + ": " + message;
}

} // namespace pictavo
