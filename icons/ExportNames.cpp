#include "icons/ExportNames.h"

#include "util/Exceptions.h"

namespace pictavo {

namespace {

std::string NamePart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string ExportBaseName(const std::string& moduleName) {
    const std::string name = NamePart(moduleName);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string IconExportName(const std::string& moduleName, int iconIndex) {
    return Format("%s_%d", ExportBaseName(moduleName).c_str(), iconIndex) + ".ico";
}

std::string ImageExportName(const std::string& moduleName, int iconIndex, int imageIndex,
                            const std::string& extension) {
    return Format("%s_%d_%d", ExportBaseName(moduleName).c_str(), iconIndex, imageIndex) +
           extension;
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return fileName + extension;
    return fileName.substr(0, dot) + extension;
}

std::string PathInFolder(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || folder.back() == '/')
        return folder + fileName;
    return folder + "/" + fileName;
}

std::string SaveDialogStart(const std::string& lastFolder, const std::string& sourceFile,
                            const std::string& proposedName) {
    if (!lastFolder.empty())
        return PathInFolder(lastFolder, proposedName);
    const size_t slash = sourceFile.find_last_of('/');
    if (slash == std::string::npos)
        return proposedName;
    return PathInFolder(sourceFile.substr(0, slash + 1), proposedName);
}

std::string WithDefaultExtension(const std::string& fileName, const std::string& extension) {
    const std::string name = NamePart(fileName);
    // A leading dot names a hidden file, not an extension.
    const size_t dot = name.find_last_of('.');
    if (name.empty() || (dot != std::string::npos && dot > 0 && dot + 1 < name.size()))
        return fileName;
    return fileName + extension;
}

} // namespace pictavo
