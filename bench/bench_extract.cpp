// Extracting every image of a module as PNG files, measured as a user runs it: the whole
// `pictavo-cli extract --png` process writing 1 840 new files into an empty folder, up to
// the moment they are all on the disk. Target: at most 0.55 ms per written PNG.
// "CPU ms/PNG" is the process's own processor time (user and system), which a busy
// machine does not inflate; the rest of the wall time is waiting, mostly for the one
// final flush of the file system (syncfs), which keeps the files durable.
//
// Where the time went (perf, 1 840 PNGs written to tmpfs): 56% decoding the 230
// PNG images (extract writes their stored bytes, but the loader decodes every picture),
// 28% encoding the bitmaps as PNG, and inside both over 40% in glibc giving each
// picture buffer back to the kernel and faulting the next one in zeroed again.
// pictavo-cli now keeps freed memory (mallopt): 940 -> 520 ms of processor time. The
// zlib level and filters of the encoder changed it by less than the noise (level 1 or
// memLevel 4: under 10%, larger files), so the encoder keeps libpng's defaults.
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

constexpr int GroupCount = 230;
constexpr int ImagesPerGroup = 8;
const char* const ModulePath = "/tmp/pictavo-bench-1840-images.dll";
const std::string OutputFolder = "/tmp/pictavo-bench-extract-";

std::vector<uint8_t> Module() {
    return bench::DataAndResourcesDll(
        bench::IconGroupsWithPng(GroupCount, {16, 20, 24, 32, 40, 48, 64}), 0x1000, 0);
}

// Writes the module unless it is already there, then reads it into the page cache.
bool PrepareModule() {
    struct stat info {};
    if (stat(ModulePath, &info) != 0 || info.st_size == 0)
        WriteFileBytes(ModulePath, Module());
    return !ReadFileBytes(ModulePath).empty();
}

// The files in a folder, removed; then the folder.
int RemoveFolder(const std::string& path) {
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr)
        return -1;
    int removed = 0;
    while (const dirent* entry = ::readdir(folder))
        if (entry->d_name[0] != '.' && ::unlinkat(::dirfd(folder), entry->d_name, 0) == 0)
            ++removed;
    ::closedir(folder);
    ::rmdir(path.c_str());
    return removed;
}

// Each run writes into a new empty folder; the folders are removed after the runs, as
// removing files just before creating as many slows the file system's choice of inodes.
void BM_ExtractAllAsPng(benchmark::State& state) {
    if (!PrepareModule()) {
        state.SkipWithError("the generated module is missing");
        return;
    }
    std::vector<std::string> folders;
    ::sync(); // nothing left to flush from before inside the measured runs
    double seconds = 0, cpuSeconds = 0;
    for (auto _ : state) {
        folders.push_back(OutputFolder + std::to_string(folders.size()));
        RemoveFolder(folders.back());
        ::mkdir(folders.back().c_str(), 0755);
        const auto start = std::chrono::steady_clock::now();
        struct rusage usage {};
        const int status = bench::RunProgram(
            {bench::CliProgram(), "extract", "--png", "-o", folders.back(), ModulePath}, &usage);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        seconds += elapsed.count();
        cpuSeconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        if (status != 0) {
            state.SkipWithError("pictavo-cli extract failed");
            break;
        }
    }
    int written = 0;
    for (const std::string& folder : folders)
        written += RemoveFolder(folder);
    if (written != GroupCount * ImagesPerGroup * static_cast<int>(folders.size()))
        state.SkipWithError("pictavo-cli extract wrote another number of files");
    state.counters["ms/PNG"] = seconds * 1000.0 / written;
    state.counters["CPU ms/PNG"] = cpuSeconds * 1000.0 / written;
}
BENCHMARK(BM_ExtractAllAsPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
