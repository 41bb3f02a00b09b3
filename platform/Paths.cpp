#include "platform/Paths.h"

namespace pictavo::platform {

namespace {

size_t NameStart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

} // namespace

std::string FileNameOf(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string FolderPartOf(const std::string& path) {
    return path.substr(0, NameStart(path));
}

std::string FolderOf(const std::string& path) {
    const std::string folder = FolderPartOf(path);
    if (folder.empty())
        return ".";
    if (folder == "/")
        return folder;
    return folder.substr(0, folder.size() - 1);
}

size_t ExtensionDot(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < NameStart(path) ? std::string::npos : dot;
}

std::string BaseNameOf(const std::string& path) {
    const size_t start = NameStart(path);
    const size_t dot = ExtensionDot(path);
    return path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

} // namespace pictavo::platform
