#include "library/FileIcons.h"

#include "icons/ModuleIcons.h"
#include "icons/MultiIcon.h"

#include <exception>

namespace pictavo {

int IconCountOfFile(const std::string& fileName) {
    const int count = GetModuleIconCount(fileName);
    if (count > 0)
        return count;
    try {
        FileStream stream(fileName, FileMode::OpenRead);
        return IconStreamHasImages(stream) ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void LoadFileIcon(TMultiIcon& icon, const std::string& fileName, int iconIndex) {
    TFileIconLoader().Load(icon, fileName, iconIndex);
}

TFileIconLoader::TFileIconLoader() = default;
TFileIconLoader::~TFileIconLoader() = default;

void TFileIconLoader::Load(TMultiIcon& icon, const std::string& fileName, int iconIndex) {
    if (!FModule || fileName != FFileName) {
        FModule = std::make_unique<TModuleIcons>(fileName);
        FFileName = fileName;
    }
    std::exception_ptr moduleError;
    try {
        FModule->Load(icon, iconIndex);
        return;
    } catch (const std::exception&) {
        moduleError = std::current_exception();
    }
    try {
        icon.LoadFromFile(fileName);
    } catch (const std::exception&) {
        // A module with icons is no icon file: its own error says what went wrong
        // ("Icon too large", "Invalid icon resource"), the icon-file reading's would not.
        if (FModule->Count() > 0)
            std::rethrow_exception(moduleError);
        throw;
    }
}

} // namespace pictavo
