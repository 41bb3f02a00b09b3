// A game's launcher icons, measured as a launcher or a packaging recipe runs it: the whole
// `pictavo-cli extract --theme` process on a 420 MB executable, writing its first icon at
// the nine hicolor sizes, beside `extract --best` writing one PNG of the same icon.
// Target: --theme reads as little of the file as --best (the one icon: page faults within
// a few hundred of --best's, never in proportion to the file); what it adds is the
// scaling and encoding of eight more PNG files (about 20 ms of CPU) and the disk flushes
// of nine files. The counters give each process's CPU time and page faults.
//
// The executable is built here, once, into the temporary folder: a PE32 image whose
// resource section holds 200 icon groups (16, 32 and 48 pixels as 32-bit bitmaps, 256
// pixels as PNG) behind a data section that brings the file to 420 MB, about a game.

#include "bench/BenchCli.h"
#include "bench/BenchIconImages.h"
#include "bench/BenchLargeFile.h"
#include "bench/BenchPeImage.h"
#include "bench/BenchProcess.h"

#include <benchmark/benchmark.h>

namespace {

using namespace pictavo;
using bench::Resource;

constexpr int GroupCount = 200;
constexpr uint32_t FileSize = 420u * 1024 * 1024;
const char* const GamePath = "/tmp/pictavo-bench-game-420mb.exe";
const std::string ThemeFolder = "/tmp/pictavo-bench-theme";
const char* const BestPath = "/tmp/pictavo-bench-best.png";

std::vector<uint8_t> Game() {
    const std::vector<Resource> resources = bench::IconGroupsWithPng(GroupCount, {16, 32, 48});
    const uint32_t dataSize =
        FileSize - bench::HeadersSize - bench::ResourceSectionFileSize(resources);
    return bench::DataAndResourcesDll(resources, dataSize, FileSize);
}

// In the page cache, as for a game just installed or launched.
void RunCli(benchmark::State& state, const std::vector<std::string>& args) {
    if (!bench::PrepareLargeFile(GamePath, FileSize, Game)) {
        state.SkipWithError("the generated executable is missing");
        return;
    }
    std::vector<std::string> command = {bench::CliProgram(), "extract", GamePath};
    command.insert(command.end(), args.begin(), args.end());
    double cpuMs = 0;
    double faults = 0;
    for (auto _ : state) {
        struct rusage usage {};
        if (bench::RunProgram(command, &usage) != 0) {
            state.SkipWithError("pictavo-cli extract failed");
            return;
        }
        cpuMs += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        faults += static_cast<double>(usage.ru_minflt + usage.ru_majflt);
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    state.counters["faults"] = benchmark::Counter(faults, benchmark::Counter::kAvgIterations);
}

void BM_BestOfLargeExecutable(benchmark::State& state) {
    RunCli(state, {"--best", "-o", BestPath});
}
BENCHMARK(BM_BestOfLargeExecutable)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ThemeOfLargeExecutable(benchmark::State& state) {
    RunCli(state, {"--theme", ThemeFolder, "--name", "game"});
}
BENCHMARK(BM_ThemeOfLargeExecutable)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
