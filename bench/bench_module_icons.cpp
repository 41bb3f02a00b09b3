// Icons in modules: counting the icon groups of a large library must read only the
// headers and the resource directory, not the file.
// Target: GetModuleIconCount on a 20 MB DLL with 200 icon groups <= 50 us once the file
// is in the page cache.
//
// ListModuleIcons: what `pictavo-cli icons` does, every icon of a module loaded in one
// pass, for 1 000 and 16 000 groups. Linear: the time per icon must not grow with the
// number of icons.
//
// The DLLs are built here, once, into the temporary folder: a PE32 image with a data
// section followed by a resource section of icon groups, each with one 16 x 16 32-bit
// image (200 groups behind 20 MB of data; 1 000 and 16 000 groups behind 64 KB).

#include "icons/ModuleIcons.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace pictavo;

constexpr int GroupCount = 200;
constexpr uint32_t FileSize = 20 * 1024 * 1024;
constexpr uint32_t FileAlignment = 0x200;
constexpr uint32_t SectionAlignment = 0x1000;
constexpr uint32_t HeadersSize = 0x400;
const char* const LibraryPath = "/tmp/pictavo-bench-200-icons-20mb.dll";
constexpr uint32_t SmallDataSize = 64 * 1024;

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

void PutTableHeader(std::vector<uint8_t>& out, uint16_t idEntries) {
    AppendU32(out, 0); // characteristics
    AppendU32(out, 0); // time stamp
    AppendU32(out, 0); // version
    AppendU16(out, 0); // named entries
    AppendU16(out, idEntries);
}

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

// The resource section: root (pe::RtIcon, pe::RtGroupIcon), one name table per type, one
// language table per resource, the data entries, then the data.
std::vector<uint8_t> ResourceSection(uint32_t sectionRva, uint32_t groupCount) {
    const uint32_t types[2] = {pe::RtIcon, pe::RtGroupIcon};
    const uint32_t rootSize = 16 + 2 * 8;
    const uint32_t nameTableSize = 16 + groupCount * 8;
    const uint32_t languageTableSize = 16 + 8;
    const uint32_t languageTables = rootSize + 2 * nameTableSize;
    const uint32_t dataEntries = languageTables + 2 * groupCount * languageTableSize;
    const uint32_t dataStart = dataEntries + 2 * groupCount * 16;

    std::vector<std::vector<uint8_t>> data;
    for (uint32_t i = 0; i < groupCount; ++i)
        data.push_back(ImageBlock(static_cast<int>(i)));
    for (uint32_t i = 0; i < groupCount; ++i)
        data.push_back(
            GroupBlock(static_cast<uint16_t>(i + 1), static_cast<uint32_t>(data[i].size())));

    std::vector<uint8_t> out;
    PutTableHeader(out, 2);
    for (uint32_t t = 0; t < 2; ++t) {
        AppendU32(out, types[t]);
        AppendU32(out, 0x80000000u | (rootSize + t * nameTableSize));
    }
    for (uint32_t t = 0; t < 2; ++t) {
        PutTableHeader(out, static_cast<uint16_t>(groupCount));
        for (uint32_t i = 0; i < groupCount; ++i) {
            AppendU32(out, t == 0 ? i + 1 : 1000 + i);
            AppendU32(out,
                      0x80000000u | (languageTables + (t * groupCount + i) * languageTableSize));
        }
    }
    for (uint32_t r = 0; r < 2 * groupCount; ++r) {
        PutTableHeader(out, 1);
        AppendU32(out, 0x0409);
        AppendU32(out, dataEntries + r * 16);
    }
    uint32_t offset = dataStart;
    for (const std::vector<uint8_t>& bytes : data) {
        AppendU32(out, sectionRva + offset);
        AppendU32(out, static_cast<uint32_t>(bytes.size()));
        AppendU32(out, 0);
        AppendU32(out, 0);
        offset = AlignUp(offset + static_cast<uint32_t>(bytes.size()), 8);
    }
    for (const std::vector<uint8_t>& bytes : data) {
        out.insert(out.end(), bytes.begin(), bytes.end());
        out.resize(AlignUp(static_cast<uint32_t>(out.size()), 8), 0);
    }
    return out;
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

// A library of `groupCount` icon groups behind `dataSize` bytes of data; the file is
// `fileSize` bytes long, or just long enough when that is 0.
std::vector<uint8_t> Library(uint32_t groupCount, uint32_t dataSize, uint32_t fileSize) {
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

    const uint32_t dataRawSize = dataSize;
    const uint32_t dataRva = SectionAlignment;
    const uint32_t resourceRva = dataRva + AlignUp(dataRawSize, SectionAlignment);
    std::vector<uint8_t> resources = ResourceSection(resourceRva, groupCount);
    const uint32_t resourceSize = static_cast<uint32_t>(resources.size());
    resources.resize(fileSize != 0 ? fileSize - HeadersSize - dataRawSize
                                   : AlignUp(resourceSize, FileAlignment),
                     0);

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
    PutSectionHeader(sections + 40, ".rsrc", resourceSize, resourceRva,
                     static_cast<uint32_t>(resources.size()), HeadersSize + dataRawSize);

    file.resize(HeadersSize + dataRawSize, 0x5A);
    file.insert(file.end(), resources.begin(), resources.end());
    return file;
}

// Writes the library unless a file of the right size is already there, then reads it
// once so that it is in the page cache.
bool PrepareLibrary() {
    struct stat info {};
    if (stat(LibraryPath, &info) != 0 || info.st_size != FileSize)
        WriteFileBytes(LibraryPath,
                       Library(GroupCount, FileSize - HeadersSize - 0x40000, FileSize));
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
    for (auto _ : state) {
        TModuleIcons icons(path);
        for (int n = 0; n < icons.Count(); ++n) {
            TMultiIcon icon;
            icons.Load(icon, n);
            benchmark::DoNotOptimize(icon.IconCount());
        }
    }
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
