#pragma once
// Fixture paths and folder listings shared by the library tests.

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <optional>
#include <string>
#include <vector>

namespace pictavo {

inline std::string PeFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/pe/" + name;
}

inline std::string IconFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/icons/" + name;
}

// The names in a folder but "." and "..", sorted.
inline std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Points the temporary folder somewhere else for one scope.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const std::string& path) {
        if (const char* value = std::getenv("TMPDIR"))
            FSaved = value;
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~TempFolderOverride() {
        if (FSaved)
            ::setenv("TMPDIR", FSaved->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> FSaved;
};

} // namespace pictavo
