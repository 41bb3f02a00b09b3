// The file-manager thumbnailer, measured as a file manager runs it: the whole
// pictavo-thumbnailer process making the 256-pixel thumbnail of a 15 MB DLL with 180
// icon groups. Targets: at most 20 ms and under 15 MB peak memory (maximum resident
// set) per run, once the file is in the page cache. And the thumbnail of a small ICO
// file holding one 4096 x 4096 PNG picture, at 256 pixels and at 4095: under 128 MB peak
// memory, since file managers run several thumbnailers at once.
//
// The DLL is built here, once, into the temporary folder: a PE32 image whose resource
// section holds 180 icon groups of four images each (16, 32 and 48 pixels as 32-bit
// bitmaps, 256 pixels as PNG), behind a data section that brings the file to 15 MB.

#include "bench/BenchIconImages.h"
#include "bench/BenchLargeFile.h"
#include "bench/BenchPeImage.h"
#include "bench/BenchProcess.h"
#include "icons/PngCodec.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace pictavo;
using bench::Resource;

constexpr int GroupCount = 180;
constexpr uint32_t FileSize = 15 * 1024 * 1024;
const char* const LibraryPath = "/tmp/pictavo-bench-180-icons-15mb.dll";
const char* const OutputPath = "/tmp/pictavo-bench-thumbnail.png";

std::vector<uint8_t> LargeLibrary() {
    const std::vector<Resource> resources = bench::IconGroupsWithPng(GroupCount, {16, 32, 48});
    // The data section fills the file up to its size.
    const uint32_t dataSize =
        FileSize - bench::HeadersSize - bench::ResourceSectionFileSize(resources);
    return bench::DataAndResourcesDll(resources, dataSize, FileSize);
}

bool PrepareLibrary() {
    return bench::PrepareLargeFile(LibraryPath, FileSize, LargeLibrary);
}

// Runs the thumbnailer once; answers its exit status and adds its peak memory (KB).
int RunThumbnailer(long& peakKb) {
    struct rusage usage {};
    const int status =
        bench::RunProgram({PICTAVO_THUMBNAILER, "-s", "256", LibraryPath, OutputPath}, &usage);
    peakKb = std::max(peakKb, usage.ru_maxrss);
    return status;
}

void BM_ThumbnailerProcess(benchmark::State& state) {
    if (!PrepareLibrary()) {
        state.SkipWithError("the generated library is missing");
        return;
    }
    long peakKb = 0;
    for (auto _ : state)
        if (RunThumbnailer(peakKb) != 0) {
            state.SkipWithError("pictavo-thumbnailer failed");
            return;
        }
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
}
BENCHMARK(BM_ThumbnailerProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr int LargePictureSide = 4096;
const char* const LargePicturePath = "/tmp/pictavo-bench-4096-png.ico";

// An ICO file of one 4096 x 4096 PNG image: soft colour ramps with some noise, so that
// it compresses as a real picture does. Encoded a row at a time, so that making it
// leaves no large peak in this process (spawned children inherit it).
bool PrepareLargePicture() {
    struct stat info {};
    if (stat(LargePicturePath, &info) == 0)
        return true;
    uint32_t noise = 1;
    const std::vector<uint8_t> png =
        EncodePngRows(LargePictureSide, LargePictureSide, [&](int y, uint8_t* row) {
            for (int x = 0; x < LargePictureSide; ++x) {
                noise = noise * 1103515245u + 12345u;
                row[x * 4] = static_cast<uint8_t>(x / 16);
                row[x * 4 + 1] = static_cast<uint8_t>(y / 16);
                row[x * 4 + 2] = static_cast<uint8_t>((noise >> 24) & 0x0F);
                row[x * 4 + 3] = static_cast<uint8_t>(128 + (x + y) / 64);
            }
        });
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0}; // reserved, type icon, one image
    const uint32_t size = static_cast<uint32_t>(png.size());
    const uint8_t entry[16] = {0, 0, 0, 0, 1, 0, 32, 0, // 256 and more, planes, depth
                               uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16),
                               uint8_t(size >> 24), 22, 0, 0, 0};
    ico.insert(ico.end(), entry, entry + 16);
    ico.insert(ico.end(), png.begin(), png.end());
    WriteFileBytes(LargePicturePath, ico);
    return true;
}

void BM_ThumbnailOfLargePicture(benchmark::State& state) {
    if (!PrepareLargePicture()) {
        state.SkipWithError("the generated icon is missing");
        return;
    }
    const std::string size = std::to_string(state.range(0));
    long peakKb = 0;
    for (auto _ : state) {
        struct rusage usage {};
        if (bench::RunProgram({PICTAVO_THUMBNAILER, "-s", size, LargePicturePath, OutputPath},
                              &usage) != 0) {
            state.SkipWithError("pictavo-thumbnailer failed");
            return;
        }
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
}
BENCHMARK(BM_ThumbnailOfLargePicture)->Arg(256)->Arg(4095)->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
