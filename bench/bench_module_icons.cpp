// Icons in modules: counting the icon groups of a large library must read only the
// headers and the resource directory, not the file.
// Target: GetModuleIconCount on a 20 MB DLL with 200 icon groups <= 50 us once the file
// is in the page cache.
//
// ListModuleIcons: what `pictavo-cli icons` does, every icon of a module loaded in one
// pass, for 1 000 and 16 000 groups. Linear: the time per icon must not grow with the
// number of icons, and at 16 000 groups at most about 4 us per group (the counter us/group).
//
// The DLLs are built here, once, into the temporary folder: a PE32 image with a data
// section followed by a resource section of icon groups, each with one 16 x 16 32-bit
// image (200 groups behind 20 MB of data; 1 000 and 16 000 groups behind 64 KB).

#include "bench/BenchPeImage.h"
#include "icons/ModuleIcons.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace pictavo;
using bench::Resource;

constexpr int GroupCount = 200;
constexpr uint32_t FileSize = 20 * 1024 * 1024;
const char* const LibraryPath = "/tmp/pictavo-bench-200-icons-20mb.dll";
constexpr uint32_t SmallDataSize = 64 * 1024;

// A 16 x 16 32-bit icon image block: header, colour bits, mask bits.
std::vector<uint8_t> ImageBlock(int seed) {
    std::vector<uint8_t> block;
    AppendU32(block, 40);
    AppendU32(block, 16);
    AppendU32(block, 32);
    AppendU16(block, 1);
    AppendU16(block, 32);
    for (int i = 0; i < 6; ++i)
        AppendU32(block, 0);
    for (int i = 0; i < 16 * 16 * 4; ++i)
        block.push_back(static_cast<uint8_t>(i * 7 + seed));
    block.insert(block.end(), 16 * 4, 0);
    return block;
}

std::vector<uint8_t> GroupBlock(uint16_t imageId, uint32_t imageSize) {
    std::vector<uint8_t> group;
    AppendU16(group, 0);
    AppendU16(group, 1); // icon
    AppendU16(group, 1); // one entry
    group.push_back(16);
    group.push_back(16);
    group.push_back(0);
    group.push_back(0);
    AppendU16(group, 1);
    AppendU16(group, 32);
    AppendU32(group, imageSize);
    AppendU16(group, imageId);
    return group;
}

// A library of `groupCount` icon groups (ids 1000 on), each naming one image (ids 1 on),
// behind `dataSize` bytes of data; the file is `fileSize` bytes long, or just long
// enough when that is 0.
std::vector<uint8_t> Library(uint32_t groupCount, uint32_t dataSize, uint32_t fileSize) {
    std::vector<Resource> resources;
    for (uint32_t i = 0; i < groupCount; ++i)
        resources.push_back({pe::RtIcon, i + 1, ImageBlock(static_cast<int>(i))});
    for (uint32_t i = 0; i < groupCount; ++i)
        resources.push_back({pe::RtGroupIcon, 1000 + i,
                             GroupBlock(static_cast<uint16_t>(i + 1),
                                        static_cast<uint32_t>(resources[i].Bytes.size()))});
    return bench::DataAndResourcesDll(resources, dataSize, fileSize);
}

// Writes the library unless a file of the right size is already there, then reads it
// once so that it is in the page cache.
bool PrepareLibrary() {
    struct stat info {};
    if (stat(LibraryPath, &info) != 0 || info.st_size != FileSize)
        WriteFileBytes(LibraryPath,
                       Library(GroupCount, FileSize - bench::HeadersSize - 0x40000, FileSize));
    return ReadFileBytes(LibraryPath).size() == FileSize;
}

// The library of `groupCount` small groups, written once per run.
std::string ManyGroupsLibrary(uint32_t groupCount) {
    const std::string path = "/tmp/pictavo-bench-" + std::to_string(groupCount) + "-groups.dll";
    WriteFileBytes(path, Library(groupCount, SmallDataSize, 0));
    return path;
}

void BM_ListModuleIcons(benchmark::State& state) {
    const auto groups = static_cast<uint32_t>(state.range(0));
    const std::string path = ManyGroupsLibrary(groups);
    if (GetModuleIconCount(path) != static_cast<int>(groups)) {
        state.SkipWithError("the generated library has the wrong number of groups");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TModuleIcons icons(path);
        for (int n = 0; n < icons.Count(); ++n) {
            TMultiIcon icon;
            icons.Load(icon, n);
            benchmark::DoNotOptimize(icon.IconCount());
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["us/group"] =
        seconds * 1e6 / (static_cast<double>(groups) * static_cast<double>(state.iterations()));
    state.counters["icons/s"] =
        benchmark::Counter(static_cast<double>(groups) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    ::unlink(path.c_str());
}
BENCHMARK(BM_ListModuleIcons)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

void BM_GetModuleIconCount(benchmark::State& state) {
    if (!PrepareLibrary() || GetModuleIconCount(LibraryPath) != GroupCount) {
        state.SkipWithError("the generated library does not hold 200 icon groups");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(GetModuleIconCount(LibraryPath));
}
BENCHMARK(BM_GetModuleIconCount)->Unit(benchmark::kMicrosecond);

// For comparison: loading the last icon of the same library.
void BM_LoadLastModuleIcon(benchmark::State& state) {
    if (!PrepareLibrary()) {
        state.SkipWithError("the generated library is missing");
        return;
    }
    TMultiIcon icon;
    for (auto _ : state) {
        icon.LoadFromModule(LibraryPath, GroupCount - 1);
        benchmark::DoNotOptimize(icon.IconCount());
    }
}
BENCHMARK(BM_LoadLastModuleIcon)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
