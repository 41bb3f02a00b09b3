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
        TMultiIcon icon;
        icon.LoadFromFile(fileName);
        return icon.IconCount() > 0 ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void LoadFileIcon(TMultiIcon& icon, const std::string& fileName, int iconIndex) {
    try {
        icon.LoadFromModule(fileName, iconIndex);
    } catch (const std::exception&) {
        icon.LoadFromFile(fileName);
    }
}

} // namespace pictavo
