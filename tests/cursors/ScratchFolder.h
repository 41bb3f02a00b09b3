#pragma once
// A new empty folder under the temporary folder, removed with its contents at the end.

#include <filesystem>
#include <stdlib.h>
#include <string>

namespace pictavo::cursortest {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pictavo-cursors-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace pictavo::cursortest
