// Extracting every image of a module as PNG files, measured as a user runs it: the whole
// `pictavo-cli extract --png` process writing 1 840 new files into an empty folder, up to
// the moment they are all on the disk. Target: at most 0.55 ms per written PNG.
//
// The module is built here, once, into the temporary folder: a PE32 DLL of 230 icon
// groups of eight images each (32-bit bitmaps of 16 to 64 pixels, and a 256-pixel PNG),
// about the icons of a system library. The folder written to lies on the same disk.

#include "bench/BenchCli.h"
#include "bench/BenchIconImages.h"
#include "bench/BenchPeImage.h"
#include "bench/BenchProcess.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace pictavo;
using bench::Resource;

constexpr int GroupCount = 230;
constexpr int ImagesPerGroup = 8;
const char* const ModulePath = "/tmp/pictavo-bench-1840-images.dll";
const char* const OutputFolder = "/tmp/pictavo-bench-extract";

std::vector<uint8_t> Module() {
    std::vector<Resource> images;
    std::vector<Resource> groups;
    uint32_t id = 1;
    for (int g = 0; g < GroupCount; ++g) {
        const size_t first = images.size();
        for (int size : {16, 20, 24, 32, 40, 48, 64})
            images.push_back({pe::RtIcon, id++, bench::BitmapBlock(size, g)});
        images.push_back({pe::RtIcon, id++, bench::PngBlock(g)});
        std::vector<const Resource*> members;
        for (size_t i = first; i < images.size(); ++i)
            members.push_back(&images[i]);
        groups.push_back(
            {pe::RtGroupIcon, static_cast<uint32_t>(100 + g), bench::GroupBlock(members)});
    }
    images.insert(images.end(), groups.begin(), groups.end());
    return bench::DataAndResourcesDll(images, 0x1000, 0);
}

// Writes the module unless it is already there, then reads it into the page cache.
bool PrepareModule() {
    struct stat info {};
    if (stat(ModulePath, &info) != 0 || info.st_size == 0)
        WriteFileBytes(ModulePath, Module());
    return !ReadFileBytes(ModulePath).empty();
}

// Empties the output folder (creating it when missing); answers the files it held.
int EmptyOutputFolder() {
    ::mkdir(OutputFolder, 0755);
    DIR* folder = ::opendir(OutputFolder);
    if (folder == nullptr)
        return -1;
    int removed = 0;
    while (const dirent* entry = ::readdir(folder))
        if (entry->d_name[0] != '.' && ::unlinkat(::dirfd(folder), entry->d_name, 0) == 0)
            ++removed;
    ::closedir(folder);
    ::sync(); // the removals must not be flushed inside the next measured run
    return removed;
}

void BM_ExtractAllAsPng(benchmark::State& state) {
    if (!PrepareModule()) {
        state.SkipWithError("the generated module is missing");
        return;
    }
    EmptyOutputFolder();
    int written = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = bench::RunProgram(
            {bench::CliProgram(), "extract", "--png", "-o", OutputFolder, ModulePath});
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        seconds += elapsed.count();
        written = EmptyOutputFolder();
        if (status != 0 || written != GroupCount * ImagesPerGroup) {
            state.SkipWithError("pictavo-cli extract failed or wrote another number of files");
            return;
        }
    }
    state.counters["ms/PNG"] =
        seconds * 1000.0 / (static_cast<double>(written) * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ExtractAllAsPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
