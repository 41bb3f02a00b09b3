// Converting a Windows cursor pack into a Linux cursor theme, measured as a user runs it:
// the whole `pictavo-cli cursor-theme` process. Target: under 0.2 s and 64 MB (peak RSS).
//
// The pack is built here, once, into the temporary folder: the 17 roles' files named as
// packs name them, 13 static cursors and 4 animated ones of 30 frames (60 steps, every
// frame shown twice), each image 32-bit at 32 and 48 pixels; the theme gets the default
// sizes 24, 32, 48 and 64 besides.

#include "bench/BenchCli.h"
#include "bench/BenchProcess.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using namespace pictavo;
namespace fs = std::filesystem;

const std::string PackFolder = "/tmp/pictavo-bench-cursor-pack";
const std::string ThemeFolder = "/tmp/pictavo-bench-cursor-themes";

const char* const StaticNames[] = {"Normal Select",
                                   "Help Select",
                                   "Precision Select",
                                   "Text Select",
                                   "Handwriting",
                                   "Unavailable",
                                   "Vertical Resize",
                                   "Horizontal Resize",
                                   "Diagonal Resize 1",
                                   "Diagonal Resize 2",
                                   "Move",
                                   "Alternate Select",
                                   "Link Select"};
const char* const AnimatedNames[] = {"Working in Background", "Busy", "Location Select",
                                     "Person Select"};

std::vector<uint8_t> BitmapBlock(int side, uint32_t seed) {
    std::vector<uint8_t> out;
    for (uint32_t v : {40u, uint32_t(side), uint32_t(side * 2)})
        AppendU32(out, v);
    AppendU16(out, 1);
    AppendU16(out, 32);
    for (int k = 0; k < 6; ++k)
        AppendU32(out, 0);
    for (int i = 0; i < side * side; ++i)
        AppendU32(out, 0xFF000000u | ((seed * 2654435761u + i * 40503u) & 0xFFFFFF));
    out.resize(out.size() + static_cast<size_t>((side + 31) / 32 * 4 * side), 0);
    return out;
}

std::vector<uint8_t> CursorFile(uint32_t seed) {
    const std::vector<uint8_t> small = BitmapBlock(32, seed), large = BitmapBlock(48, seed);
    std::vector<uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, 2);
    AppendU16(out, 2);
    uint32_t offset = 6 + 2 * 16;
    for (const auto* block : {&small, &large}) {
        const uint8_t side = block == &small ? 32 : 48;
        out.insert(out.end(), {side, side, 0, 0});
        AppendU16(out, 3);
        AppendU16(out, 4);
        AppendU32(out, static_cast<uint32_t>(block->size()));
        AppendU32(out, offset);
        offset += static_cast<uint32_t>(block->size());
    }
    out.insert(out.end(), small.begin(), small.end());
    out.insert(out.end(), large.begin(), large.end());
    return out;
}

void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    AppendU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1)
        out.push_back(0);
}

std::vector<uint8_t> AnimatedFile(uint32_t seed) {
    constexpr uint32_t Frames = 30, Steps = 60;
    std::vector<uint8_t> header, rates, sequence, frames = {'f', 'r', 'a', 'm'};
    for (uint32_t v : {36u, Frames, Steps, 0u, 0u, 0u, 0u, 4u, 3u})
        AppendU32(header, v);
    for (uint32_t s = 0; s < Steps; ++s) {
        AppendU32(rates, 2 + s % 5);
        AppendU32(sequence, s % Frames);
    }
    for (uint32_t f = 0; f < Frames; ++f)
        AppendChunk(frames, "icon", CursorFile(seed * 100 + f));
    std::vector<uint8_t> body = {'A', 'C', 'O', 'N'};
    AppendChunk(body, "anih", header);
    AppendChunk(body, "rate", rates);
    AppendChunk(body, "seq ", sequence);
    AppendChunk(body, "LIST", frames);
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    AppendU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void PreparePack() {
    fs::create_directories(PackFolder);
    uint32_t seed = 1;
    for (const char* name : StaticNames)
        WriteFileBytes(PackFolder + "/" + name + ".cur", CursorFile(seed++));
    for (const char* name : AnimatedNames)
        WriteFileBytes(PackFolder + "/" + name + ".ani", AnimatedFile(seed++));
}

void BM_CursorThemeOfAPack(benchmark::State& state) {
    PreparePack();
    fs::remove_all(ThemeFolder);
    long peakKb = 0;
    for (auto _ : state) {
        struct rusage usage {};
        const auto start = std::chrono::steady_clock::now();
        const int status = bench::RunProgram(
            {bench::CliProgram(), "cursor-theme", PackFolder, "-o", ThemeFolder, "--name", "Bench"},
            &usage);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        peakKb = std::max(peakKb, usage.ru_maxrss);
        if (status != 0) {
            state.SkipWithError("pictavo-cli cursor-theme failed");
            break;
        }
    }
    if (!fs::exists(ThemeFolder + "/Bench/cursors/wait"))
        state.SkipWithError("the theme was not written");
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    fs::remove_all(ThemeFolder);
}
BENCHMARK(BM_CursorThemeOfAPack)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
