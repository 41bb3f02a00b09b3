#include "library/PrivateTempFolder.h"

#include "util/Exceptions.h"
#include "util/TempFolder.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace pictavo {

TPrivateTempFolder::TPrivateTempFolder() {
    std::string pattern = GetTempFolder() + "pictavo-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp makes the folder with mode 0700 under a name nobody else can predict.
    if (::mkdtemp(buffer.data()) == nullptr)
        throw EFCreateError(Format("Cannot create a temporary folder in \"%s\". %s",
                                   GetTempFolder().c_str(), std::strerror(errno)));
    FPath = std::string(buffer.data()) + "/";
    FRegistration = std::make_unique<TTempFileRegistration>(buffer.data(), TTempKind::Folder);
}

std::string TPrivateTempFolder::File(const std::string& name) {
    const std::string path = FPath + name;
    FFiles.emplace_back(path, TTempKind::File);
    return path;
}

TPrivateTempFolder::~TPrivateTempFolder() {
    // Only this process writes here, and only plain files.
    if (DIR* dir = ::opendir(FPath.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                ::unlink((FPath + name).c_str());
        }
        ::closedir(dir);
    }
    ::rmdir(FPath.c_str());
}

} // namespace pictavo
