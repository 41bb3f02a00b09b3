#include "icons/ExportNames.h"

#include "platform/Paths.h"
#include "util/Exceptions.h"

namespace pictavo {

std::string ExportBaseName(const std::string& moduleName) {
    return platform::BaseNameOf(moduleName);
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
    const size_t dot = platform::ExtensionDot(fileName);
    if (dot == std::string::npos)
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
    const std::string folder = platform::FolderPartOf(sourceFile);
    if (folder.empty())
        return proposedName;
    return PathInFolder(folder, proposedName);
}

std::string WithDefaultExtension(const std::string& fileName, const std::string& extension) {
    const std::string name = platform::FileNameOf(fileName);
    // A leading dot names a hidden file, not an extension.
    const size_t dot = name.find_last_of('.');
    if (name.empty() || (dot != std::string::npos && dot > 0 && dot + 1 < name.size()))
        return fileName;
    return fileName + extension;
}

} // namespace pictavo
