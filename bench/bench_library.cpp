// Icon libraries and the folder scan.
//
// BuildLibrary: a new library from 1 000 icons, each with four bitmap images (16, 24,
// 32 and 48 pixels; 4, 8, 32 and 32 bits). Target <= 2 s. Two sources: 1 000 .ico
// files (each load first tries the file as a module, as the builder does), and one
// library holding the same icons (the usual case: icons collected from DLLs), there
// with 1 000, 4 000 and 16 000 icons: linear, the time per icon must not grow.
//
// ScanFolder: the folder scan's walk and per-file step (icon groups of a module, else one
// icon for an ICO/CUR file) over a folder of 2 000 small PE files, reported in files per
// second.
//
// The inputs are made once per run in a private folder under the temporary folder.

#include "library/FileScan.h"
#include "library/IconLibraryBuilder.h"
#include "library/PrivateTempFolder.h"
#include "peres/ResourceModule.h"
#include "search/FindFile.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace pictavo;

constexpr int IconCount = 1000;
constexpr int PeFileCount = 2000;

int RowBytes(int width, int bits) {
    return (width * bits + 31) / 32 * 4;
}

// One bitmap image block: header (height doubled), colour table, colour bits, mask.
std::vector<uint8_t> ImageBlock(int size, int bits, int seed) {
    const int colors = bits <= 8 ? 1 << bits : 0;
    std::vector<uint8_t> block;
    AppendU32(block, 40);
    AppendU32(block, static_cast<uint32_t>(size));
    AppendU32(block, static_cast<uint32_t>(size * 2));
    AppendU16(block, 1);
    AppendU16(block, static_cast<uint16_t>(bits));
    for (int i = 0; i < 6; ++i)
        AppendU32(block, 0);
    for (int c = 0; c < colors; ++c)
        AppendU32(block, static_cast<uint32_t>(c * 0x010203 + seed));
    uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1;
    for (int i = 0; i < RowBytes(size, bits) * size; ++i) {
        state = state * 1664525u + 1013904223u;
        block.push_back(static_cast<uint8_t>(state >> 24));
    }
    for (int i = 0; i < RowBytes(size, 1) * size; ++i)
        block.push_back(i % 3 == 0 ? 0xFF : 0x00);
    return block;
}

std::vector<uint8_t> IcoFile(int seed) {
    const int sizes[] = {16, 24, 32, 48};
    const int depths[] = {4, 8, 32, 32};
    std::vector<std::vector<uint8_t>> blocks;
    for (int i = 0; i < 4; ++i)
        blocks.push_back(ImageBlock(sizes[i], depths[i], seed * 4 + i));
    std::vector<uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, 1);
    AppendU16(out, 4);
    uint32_t offset = 6 + 16 * 4;
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(sizes[i]));
        out.push_back(static_cast<uint8_t>(sizes[i]));
        out.push_back(static_cast<uint8_t>(depths[i] <= 8 ? (1 << depths[i]) & 0xFF : 0));
        out.push_back(0);
        AppendU16(out, 1);
        AppendU16(out, static_cast<uint16_t>(depths[i]));
        AppendU32(out, static_cast<uint32_t>(blocks[i].size()));
        AppendU32(out, offset);
        offset += static_cast<uint32_t>(blocks[i].size());
    }
    for (const auto& block : blocks)
        out.insert(out.end(), block.begin(), block.end());
    return out;
}

// The inputs, made on first use and removed at exit.
struct Inputs {
    TPrivateTempFolder Folder;
    std::vector<TIconSource> IcoSources;
    std::map<int, std::vector<TIconSource>> ModuleSources; // by icon count
    std::string PeFolder = Folder.Path() + "pe/";

    Inputs() {
        for (int i = 0; i < IconCount; ++i) {
            const std::string name = Folder.Path() + "icon" + std::to_string(i) + ".ico";
            MemoryStream(IcoFile(i)).SaveToFile(name);
            IcoSources.push_back({name, 0});
        }

        // Small PE files: libraries of one or two icons, alternating.
        ::mkdir(PeFolder.c_str(), 0700);
        const std::string one = Folder.Path() + "one.dll", two = Folder.Path() + "two.dll";
        BuildIconLibrary({one, {IcoSources[0]}, false, TGroupCreation::BeforeLoad, {}});
        BuildIconLibrary(
            {two, {IcoSources[1], IcoSources[2]}, false, TGroupCreation::BeforeLoad, {}});
        MemoryStream oneBytes, twoBytes;
        oneBytes.LoadFromFile(one);
        twoBytes.LoadFromFile(two);
        for (int i = 0; i < PeFileCount; ++i)
            (i % 2 ? twoBytes : oneBytes).SaveToFile(PeFolder + "m" + std::to_string(i) + ".dll");
    }
    // A library of `count` icons (the .ico files over and over), made on first use.
    const std::vector<TIconSource>& ModuleOf(int count) {
        std::vector<TIconSource>& sources = ModuleSources[count];
        if (sources.empty()) {
            const std::string library = Folder.Path() + "source" + std::to_string(count) + ".icl";
            std::vector<TIconSource> icons;
            for (int i = 0; i < count; ++i)
                icons.push_back(IcoSources[static_cast<size_t>(i % IconCount)]);
            BuildIconLibrary({library, icons, false, TGroupCreation::BeforeLoad, {}});
            sources = EveryIconOf(library, count);
        }
        return sources;
    }
    ~Inputs() {
        for (const auto& [count, sources] : ModuleSources) {
            ::unlink(sources[0].FileName.c_str());
            ::unlink(BackupFileName(sources[0].FileName).c_str());
        }
        for (int i = 0; i < PeFileCount; ++i)
            ::unlink((PeFolder + "m" + std::to_string(i) + ".dll").c_str());
        ::rmdir(PeFolder.c_str());
    }
};

Inputs& TheInputs() {
    static Inputs inputs;
    return inputs;
}

void RunBuild(benchmark::State& state, const std::vector<TIconSource>& sources) {
    const std::string target = TheInputs().Folder.Path() + "built.icl";
    for (auto _ : state) {
        ::unlink(target.c_str());
        benchmark::DoNotOptimize(
            BuildIconLibrary({target, sources, false, TGroupCreation::BeforeLoad, {}}));
    }
    ::unlink(target.c_str());
    state.counters["icons/s"] = benchmark::Counter(static_cast<double>(sources.size()) *
                                                       static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_BuildLibraryFromIcoFiles(benchmark::State& state) {
    RunBuild(state, TheInputs().IcoSources);
}
BENCHMARK(BM_BuildLibraryFromIcoFiles)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_BuildLibraryFromModule(benchmark::State& state) {
    RunBuild(state, TheInputs().ModuleOf(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_BuildLibraryFromModule)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

void BM_ScanFolder(benchmark::State& state) {
    const std::string folder = TheInputs().PeFolder;
    int64_t files = 0;
    for (auto _ : state) {
        TFindFile find;
        find.Criteria().Files().SetLocation(folder);
        find.Criteria().Files().SetFileName("*.*");
        find.CompleteDetails = false; // as the window and pictavo-cli scan search
        TFileScan scan;
        find.OnFileMatch = [&](TFindFile&, const TFileDetails& file) {
            scan.FileMatch(file, false);
            ++files;
        };
        find.Execute();
        if (scan.IconTotal() != PeFileCount / 2 * 3)
            state.SkipWithError("wrong icon total");
    }
    state.counters["files/s"] =
        benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScanFolder)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
