// The file-manager thumbnailer, measured as a file manager runs it: the whole
// pictavo-thumbnailer process making the 256-pixel thumbnail of a 15 MB DLL with 180
// icon groups. Targets: at most 20 ms and under 15 MB peak memory (maximum resident
// set) per run, once the file is in the page cache.
//
// The DLL is built here, once, into the temporary folder: a PE32 image whose resource
// section holds 180 icon groups of four images each (16, 32 and 48 pixels as 32-bit
// bitmaps, 256 pixels as PNG), behind a data section that brings the file to 15 MB.

#include "bench/BenchPeImage.h"
#include "icons/PngCodec.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace pictavo;
using bench::Resource;

constexpr int GroupCount = 180;
constexpr uint32_t FileSize = 15 * 1024 * 1024;
const char* const LibraryPath = "/tmp/pictavo-bench-180-icons-15mb.dll";
const char* const OutputPath = "/tmp/pictavo-bench-thumbnail.png";

// A square 32-bit bitmap image block with a soft-edged disc in the alpha channel.
std::vector<uint8_t> BitmapBlock(int size, int seed) {
    std::vector<uint8_t> block;
    AppendU32(block, 40);
    AppendU32(block, static_cast<uint32_t>(size));
    AppendU32(block, static_cast<uint32_t>(size * 2));
    AppendU16(block, 1);
    AppendU16(block, 32);
    for (int i = 0; i < 6; ++i)
        AppendU32(block, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int dx = 2 * x - size, dy = 2 * y - size;
            const bool inside = dx * dx + dy * dy < size * size;
            block.push_back(static_cast<uint8_t>(x * 255 / size));
            block.push_back(static_cast<uint8_t>(y * 255 / size));
            block.push_back(static_cast<uint8_t>(seed));
            block.push_back(inside ? 255 : 0);
        }
    block.insert(block.end(), static_cast<size_t>((size + 31) / 32 * 4 * size), 0);
    return block;
}

// A 256 x 256 RGBA PNG: a gradient with one bit of noise per colour channel, so that
// it compresses like a real icon (about 30 KB).
std::vector<uint8_t> PngBlock(int seed) {
    std::vector<uint8_t> rgba(256 * 256 * 4);
    uint32_t noise = 2166136261u + static_cast<uint32_t>(seed);
    for (size_t i = 0; i < rgba.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        const uint8_t base = static_cast<uint8_t>(i % 4 == 3 ? 255 : (i / 1024) & 255);
        rgba[i] = i % 4 == 3 ? base : static_cast<uint8_t>(base ^ (noise >> 31));
    }
    TPngImage png;
    png.SetPixels(256, 256, std::move(rgba));
    return png.SaveToBytes();
}

std::vector<uint8_t> GroupBlock(const std::vector<const Resource*>& images) {
    std::vector<uint8_t> group;
    AppendU16(group, 0);
    AppendU16(group, 1); // icon
    AppendU16(group, static_cast<uint16_t>(images.size()));
    for (const Resource* image : images) {
        const bool png = HasPngSignature(image->Bytes.data(), image->Bytes.size());
        const int size = png ? 0 : static_cast<int>(LoadU32(image->Bytes.data() + 4));
        group.push_back(static_cast<uint8_t>(size));
        group.push_back(static_cast<uint8_t>(size));
        group.push_back(0);
        group.push_back(0);
        AppendU16(group, 1);
        AppendU16(group, 32);
        AppendU32(group, static_cast<uint32_t>(image->Bytes.size()));
        AppendU16(group, static_cast<uint16_t>(image->Id));
    }
    return group;
}

std::vector<Resource> IconResources() {
    std::vector<Resource> images;
    std::vector<Resource> groups;
    uint32_t id = 1;
    for (int g = 0; g < GroupCount; ++g) {
        const size_t first = images.size();
        for (int size : {16, 32, 48})
            images.push_back({pe::RtIcon, id++, BitmapBlock(size, g)});
        images.push_back({pe::RtIcon, id++, PngBlock(g)});
        std::vector<const Resource*> members;
        for (size_t i = first; i < images.size(); ++i)
            members.push_back(&images[i]);
        groups.push_back({pe::RtGroupIcon, static_cast<uint32_t>(100 + g), GroupBlock(members)});
    }
    images.insert(images.end(), groups.begin(), groups.end());
    return images;
}

std::vector<uint8_t> LargeLibrary() {
    const std::vector<Resource> resources = IconResources();
    // The data section fills the file up to its size.
    const uint32_t dataSize =
        FileSize - bench::HeadersSize - bench::ResourceSectionFileSize(resources);
    return bench::DataAndResourcesDll(resources, dataSize, FileSize);
}

// Writes the library unless a file of the right size is already there, then reads it
// once so that it is in the page cache. Building it takes tens of megabytes; that is
// done in a child process, because a spawned child reports the larger of its own peak
// memory and that of the process it was spawned from.
bool PrepareLibrary() {
    struct stat info {};
    if (stat(LibraryPath, &info) != 0 || info.st_size != FileSize) {
        const pid_t builder = fork();
        if (builder == 0) {
            WriteFileBytes(LibraryPath, LargeLibrary());
            _exit(0);
        }
        int status = 0;
        if (builder < 0 || waitpid(builder, &status, 0) != builder)
            return false;
    }
    FILE* file = std::fopen(LibraryPath, "rb");
    if (file == nullptr)
        return false;
    std::vector<char> chunk(1 << 16);
    size_t total = 0;
    for (size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
        total += got;
    std::fclose(file);
    return total == FileSize;
}

// Runs the thumbnailer once; answers its exit status and adds its peak memory (KB).
int RunThumbnailer(long& peakKb) {
    const char* argv[] = {PICTAVO_THUMBNAILER, "-s", "256", LibraryPath, OutputPath, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, PICTAVO_THUMBNAILER, nullptr, nullptr, const_cast<char**>(argv),
                    environ) != 0)
        return -1;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    peakKb = std::max(peakKb, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

} // namespace

BENCHMARK_MAIN();
