// The file-manager thumbnailer, measured as a file manager runs it: the whole
// pictavo-thumbnailer process making the 256-pixel thumbnail of a 15 MB DLL with 180
// icon groups. Targets: at most 20 ms and under 15 MB peak memory (maximum resident
// set) per run, once the file is in the page cache.
//
// The DLL is built here, once, into the temporary folder: a PE32 image whose resource
// section holds 180 icon groups of four images each (16, 32 and 48 pixels as 32-bit
// bitmaps, 256 pixels as PNG), behind a data section that brings the file to 15 MB.

#include "icons/PngCodec.h"
#include "peres/PEFormat.h"
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

constexpr int GroupCount = 180;
constexpr uint32_t FileSize = 15 * 1024 * 1024;
constexpr uint32_t FileAlignment = 0x200;
constexpr uint32_t SectionAlignment = 0x1000;
constexpr uint32_t HeadersSize = 0x400;
const char* const LibraryPath = "/tmp/pictavo-bench-180-icons-15mb.dll";
const char* const OutputPath = "/tmp/pictavo-bench-thumbnail.png";

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

struct Resource {
    uint32_t Type;
    uint32_t Id;
    std::vector<uint8_t> Bytes;
};

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

void PutTableHeader(std::vector<uint8_t>& out, uint16_t idEntries) {
    AppendU32(out, 0); // characteristics
    AppendU32(out, 0); // time stamp
    AppendU32(out, 0); // version
    AppendU16(out, 0); // named entries
    AppendU16(out, idEntries);
}

// Root table, one name table per type, one language table per resource, the data
// entries, then the data. `resources` is sorted by type, then id.
std::vector<uint8_t> ResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva) {
    std::vector<uint32_t> types;
    for (const Resource& r : resources)
        if (types.empty() || types.back() != r.Type)
            types.push_back(r.Type);
    const auto count = [&](uint32_t type) {
        return static_cast<uint32_t>(std::count_if(
            resources.begin(), resources.end(), [&](const Resource& r) { return r.Type == type; }));
    };
    const uint32_t n = static_cast<uint32_t>(resources.size());
    const uint32_t rootSize = 16 + 8 * static_cast<uint32_t>(types.size());
    const uint32_t languageTables = rootSize + 16 * static_cast<uint32_t>(types.size()) + 8 * n;
    const uint32_t dataEntries = languageTables + 24 * n;
    const uint32_t dataStart = dataEntries + 16 * n;

    std::vector<uint8_t> out;
    PutTableHeader(out, static_cast<uint16_t>(types.size()));
    uint32_t nameTable = rootSize;
    for (uint32_t type : types) {
        AppendU32(out, type);
        AppendU32(out, 0x80000000u | nameTable);
        nameTable += 16 + 8 * count(type);
    }
    uint32_t r = 0;
    for (uint32_t type : types) {
        PutTableHeader(out, static_cast<uint16_t>(count(type)));
        for (const Resource& resource : resources)
            if (resource.Type == type) {
                AppendU32(out, resource.Id);
                AppendU32(out, 0x80000000u | (languageTables + 24 * r++));
            }
    }
    for (r = 0; r < n; ++r) {
        PutTableHeader(out, 1);
        AppendU32(out, 0x0409);
        AppendU32(out, dataEntries + r * 16);
    }
    uint32_t offset = dataStart;
    for (const Resource& resource : resources) {
        AppendU32(out, sectionRva + offset);
        AppendU32(out, static_cast<uint32_t>(resource.Bytes.size()));
        AppendU32(out, 0);
        AppendU32(out, 0);
        offset = AlignUp(offset + static_cast<uint32_t>(resource.Bytes.size()), 8);
    }
    for (const Resource& resource : resources) {
        out.insert(out.end(), resource.Bytes.begin(), resource.Bytes.end());
        out.resize(AlignUp(static_cast<uint32_t>(out.size()), 8), 0);
    }
    return out;
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

void PutSectionHeader(uint8_t* h, const char* name, uint32_t virtualSize, uint32_t rva,
                      uint32_t rawSize, uint32_t rawOffset) {
    for (int i = 0; i < 8 && name[i]; ++i)
        h[i] = static_cast<uint8_t>(name[i]);
    StoreU32(h + 8, virtualSize);
    StoreU32(h + 12, rva);
    StoreU32(h + 16, rawSize);
    StoreU32(h + 20, rawOffset);
    StoreU32(h + 36, 0x40000040); // initialised data, readable
}

std::vector<uint8_t> LargeLibrary() {
    const std::vector<Resource> resources = IconResources();
    // Size the resources once to learn how much data section fills the file up.
    const uint32_t resourceBytes =
        AlignUp(static_cast<uint32_t>(ResourceSection(resources, 0).size()), FileAlignment);
    const uint32_t dataRawSize = FileSize - HeadersSize - resourceBytes;
    const uint32_t dataRva = SectionAlignment;
    const uint32_t resourceRva = dataRva + AlignUp(dataRawSize, SectionAlignment);
    std::vector<uint8_t> section = ResourceSection(resources, resourceRva);
    const uint32_t resourceSize = static_cast<uint32_t>(section.size());
    section.resize(resourceBytes, 0);

    std::vector<uint8_t> file(HeadersSize, 0);
    StoreU16(file.data(), 0x5A4D);
    StoreU32(file.data() + 60, 0x40);
    StoreU32(file.data() + 0x40, 0x00004550);
    uint8_t* coff = file.data() + 0x44;
    StoreU16(coff, 0x14C);
    StoreU16(coff + 2, 2);
    StoreU16(coff + 16, 224);
    StoreU16(coff + 18, 0x2102); // executable, 32-bit, DLL
    uint8_t* optional = coff + 20;
    StoreU16(optional, 0x10B);
    StoreU32(optional + 28, 0x10000000); // image base
    StoreU32(optional + 32, SectionAlignment);
    StoreU32(optional + 36, FileAlignment);
    StoreU32(optional + 56, resourceRva + AlignUp(resourceSize, SectionAlignment));
    StoreU32(optional + 60, HeadersSize);
    StoreU16(optional + 68, 2); // GUI subsystem
    StoreU32(optional + 92, 16);
    StoreU32(optional + 96 + 2 * 8, resourceRva);
    StoreU32(optional + 96 + 2 * 8 + 4, resourceSize);
    uint8_t* sections = optional + 224;
    PutSectionHeader(sections, ".data", dataRawSize, dataRva, dataRawSize, HeadersSize);
    PutSectionHeader(sections + 40, ".rsrc", resourceSize, resourceRva, resourceBytes,
                     HeadersSize + dataRawSize);
    file.resize(HeadersSize + dataRawSize, 0x5A);
    file.insert(file.end(), section.begin(), section.end());
    return file;
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
