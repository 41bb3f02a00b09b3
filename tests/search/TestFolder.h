#pragma once
// A temporary folder for one test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace pictavo {

class TestFolder {
public:
    TestFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pictavo-search-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder, ending in "/".
    const std::string& Path() const { return path_; }

    // Creates a file (and its folders) under the folder; returns its full path.
    std::string File(const std::string& relative, const std::string& content = "") const {
        const std::filesystem::path full = path_ + relative;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << content;
        return full.string();
    }

    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(path_ + relative);
        return path_ + relative + "/";
    }

private:
    std::string path_;
};

} // namespace pictavo
