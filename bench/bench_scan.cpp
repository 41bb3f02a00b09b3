// Scanning a folder tree for files with icons, measured as a user runs it: the whole
// `pictavo-cli scan -r` process, against a floor written here that does the least any
// scan must: walk the tree, open every regular file and read its first 4 KB. Both run
// in turn in the same run, with a warm cache. Target: the scan at most 1.5 times the
// floor (the counter scan/floor).
//
// The tree is made once under the temporary folder: 200 folders in two levels holding
// 20 000 files, mostly data files without icons (random bytes, ELF-like and text files of
// 100 bytes to 8 KB), with DLLs of three icon groups, DLLs without resources and ICO files
// among them, as in a folder of installed software.

#include "bench/BenchCli.h"
#include "bench/BenchIconImages.h"
#include "bench/BenchPeImage.h"
#include "bench/BenchProcess.h"
#include "util/Bytes.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace pictavo;
using bench::Resource;

const std::string TreeRoot = "/tmp/pictavo-bench-scan-tree";
const std::string TreeDone = "/tmp/pictavo-bench-scan-tree.complete";
constexpr int TopFolders = 10;
constexpr int SubfoldersEach = 19; // 10 + 10 * 19 = 200 folders
constexpr int FilesEach = 100;     // 200 * 100 = 20 000 files

// A 16 x 16 ICO file of one 32-bit image.
std::vector<uint8_t> IcoFile(int seed) {
    const std::vector<uint8_t> block = bench::BitmapBlock(16, seed);
    std::vector<uint8_t> file;
    AppendU16(file, 0);
    AppendU16(file, 1);
    AppendU16(file, 1);
    file.push_back(16);
    file.push_back(16);
    file.push_back(0);
    file.push_back(0);
    AppendU16(file, 1);
    AppendU16(file, 32);
    AppendU32(file, static_cast<uint32_t>(block.size()));
    AppendU32(file, 22);
    file.insert(file.end(), block.begin(), block.end());
    return file;
}

std::vector<uint8_t> DllWithIcons(int seed) {
    std::vector<Resource> images;
    std::vector<Resource> groups;
    for (uint32_t g = 0; g < 3; ++g) {
        images.push_back({pe::RtIcon, g + 1, bench::BitmapBlock(16, seed)});
        groups.push_back({pe::RtGroupIcon, 100 + g, bench::GroupBlock({&images.back()})});
    }
    images.insert(images.end(), groups.begin(), groups.end());
    return bench::DataAndResourcesDll(images, 0x2000, 0);
}

std::vector<uint8_t> DllWithoutIcons() {
    return bench::DataAndResourcesDll({{pe::RtVersion, 1, std::vector<uint8_t>(64, 1)}}, 0x2000, 0);
}

std::vector<uint8_t> DataFile(int kind, uint32_t seed) {
    const size_t size = 100 + (seed * 2654435761u) % 8000;
    std::vector<uint8_t> bytes(size);
    uint32_t noise = seed * 7919u + 1u;
    for (uint8_t& b : bytes) {
        noise = noise * 1664525u + 1013904223u;
        b = kind == 2 ? static_cast<uint8_t>('a' + (noise >> 24) % 26)
                      : static_cast<uint8_t>(noise >> 24);
    }
    if (kind == 1) {
        const uint8_t elf[] = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
        std::copy(std::begin(elf), std::end(elf), bytes.begin());
    }
    return bytes;
}

// The content of file i of a folder: 5 DLLs with icons, 3 without, 4 ICO files, and data.
std::vector<uint8_t> FileContent(int i, uint32_t seed) {
    if (i % 20 == 0)
        return DllWithIcons(static_cast<int>(seed));
    if (i % 33 == 1)
        return DllWithoutIcons();
    if (i % 25 == 2)
        return IcoFile(static_cast<int>(seed));
    return DataFile(i % 3, seed);
}

const char* Extension(int i) {
    if (i % 20 == 0 || i % 33 == 1)
        return ".dll";
    if (i % 25 == 2)
        return ".ico";
    static const char* const others[] = {".so", ".txt", ".dat", ""};
    return others[i % 4];
}

void MakeFiles(const std::filesystem::path& folder, uint32_t& seed) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < FilesEach; ++i) {
        const std::vector<uint8_t> bytes = FileContent(i, ++seed);
        std::ofstream(folder / ("file" + std::to_string(i) + Extension(i)), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
}

void EnsureTree() {
    if (std::filesystem::exists(TreeDone))
        return;
    std::filesystem::remove_all(TreeRoot);
    uint32_t seed = 0;
    for (int top = 0; top < TopFolders; ++top) {
        const std::filesystem::path folder = TreeRoot + "/dir" + std::to_string(top);
        MakeFiles(folder, seed);
        for (int sub = 0; sub < SubfoldersEach; ++sub)
            MakeFiles(folder / ("sub" + std::to_string(sub)), seed);
    }
    std::ofstream(TreeDone) << "done\n";
}

// The floor: every regular file opened and its first 4 KB read; answers the files read.
int64_t ReadFirstBlocks(int folderFd) {
    DIR* folder = ::fdopendir(folderFd);
    if (folder == nullptr) {
        ::close(folderFd);
        return 0;
    }
    int64_t files = 0;
    char block[4096];
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = ::openat(::dirfd(folder), entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_CLOEXEC |
                                    (entry->d_type == DT_DIR ? O_DIRECTORY : O_NONBLOCK));
        if (fd < 0)
            continue;
        if (entry->d_type == DT_DIR) {
            files += ReadFirstBlocks(fd);
            continue;
        }
        if (::read(fd, block, sizeof block) >= 0)
            ++files;
        ::close(fd);
    }
    ::closedir(folder);
    return files;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ScanAgainstFloor(benchmark::State& state) {
    EnsureTree();
    const int64_t expected = int64_t{TopFolders} * (1 + SubfoldersEach) * FilesEach;
    double floorSeconds = 0;
    double scanSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const int64_t files =
            ReadFirstBlocks(::open(TreeRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        floorSeconds += Seconds(start);
        start = std::chrono::steady_clock::now();
        const int status = bench::RunProgram({bench::CliProgram(), "scan", "-r", TreeRoot});
        const double scan = Seconds(start);
        scanSeconds += scan;
        state.SetIterationTime(scan);
        if (files != expected || status != 0) {
            state.SkipWithError("the floor missed files or the scan failed");
            return;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["floor_ms"] = floorSeconds / runs * 1000.0;
    state.counters["scan/floor"] = scanSeconds / floorSeconds;
}
BENCHMARK(BM_ScanAgainstFloor)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
