#include "tests/peres/IconFixtures.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace pictavo::test {

TempFile::TempFile(const std::string& suffix, const std::vector<uint8_t>& bytes) {
    static std::atomic<int> counter{0};
    FPath = (std::filesystem::temp_directory_path() /
             ("pictavo-peres-res-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
              suffix))
                .string();
    WriteFileBytes(FPath, bytes);
}

TempFile::~TempFile() {
    std::remove(FPath.c_str());
}

} // namespace pictavo::test
