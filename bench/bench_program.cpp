// Writing into a large Windows program.
//
// SetIcon: `pictavo-cli set-icon` on a 300 MB program (the MinGW fixture prog64s.exe with
// 300 MB of payload after its sections, as a game engine's exporter appends its data),
// beside a plain copy of the same file. Goal: at most 1.5 times the copy's time, under
// 64 MB of memory (PeakMB, the process's peak resident size). The set-icon flushes the
// new file to the disk before it renames it (as every write of a user's file does), so
// the copy is measured with and without that flush, and both as a program copies through
// a buffer and as `cp` does (copy_file_range). Every iteration but the first of each
// pays for dropping the previous 300 MB: the copy truncates its last copy, set-icon
// replaces its last backup.
//
// The program is made once per run in a private folder under the temporary folder.

#include "bench/BenchCli.h"
#include "bench/BenchProcess.h"
#include "library/PrivateTempFolder.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace pictavo;

constexpr uint64_t PayloadBytes = 300ull << 20;

struct BigProgram {
    BigProgram() {
        const std::vector<uint8_t> program =
            ReadFileBytes(std::string(PICTAVO_FIXTURES) + "/program/prog64s.exe");
        FileStream out(FileName, FileMode::Create);
        out.WriteBuffer(program.data(), program.size());
        std::vector<uint8_t> chunk(1 << 20);
        for (uint64_t done = 0; done < PayloadBytes; done += chunk.size()) {
            for (size_t i = 0; i < chunk.size(); i += 4096)
                chunk[i] = static_cast<uint8_t>(done >> 20);
            out.WriteBuffer(chunk.data(), chunk.size());
        }
    }
    TPrivateTempFolder Folder;
    std::string FileName = Folder.File("game.exe");
};

BigProgram& Program() {
    static BigProgram program;
    return program;
}

// The reference copy, either through a buffer (read and write) or as `cp` copies on
// Linux: copy_file_range, the kernel copying (or sharing, where the file system can)
// without the bytes passing through the program.
void CopyFile(const std::string& from, const std::string& to, bool flush, bool inKernel) {
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (inKernel) {
        struct stat info {};
        ::fstat(in, &info);
        for (off_t left = info.st_size; left > 0;) {
            const ssize_t copied =
                ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
            if (copied <= 0)
                break;
            left -= copied;
        }
    } else {
        std::vector<char> buffer(1 << 20);
        ssize_t got = 0;
        while ((got = ::read(in, buffer.data(), buffer.size())) > 0)
            if (::write(out, buffer.data(), static_cast<size_t>(got)) != got)
                break;
    }
    if (flush)
        ::fsync(out);
    ::close(in);
    ::close(out);
}

void BM_CopyProgram(benchmark::State& state) {
    BigProgram& program = Program();
    const std::string copy = program.Folder.File("copy.exe");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        CopyFile(program.FileName, copy, state.range(0) != 0, state.range(1) != 0);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    ::unlink(copy.c_str());
}
BENCHMARK(BM_CopyProgram)
    ->ArgNames({"flush", "kernel"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_SetIcon(benchmark::State& state) {
    BigProgram& program = Program();
    const std::string icon = std::string(PICTAVO_FIXTURES) + "/pe/big.ico";
    long peakKb = 0;
    for (auto _ : state) {
        struct rusage usage {};
        const auto start = std::chrono::steady_clock::now();
        const int status = bench::RunProgram(
            {bench::CliProgram(), "set-icon", program.FileName, icon}, &usage);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (status != 0)
            state.SkipWithError("set-icon failed");
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    state.counters["PeakMB"] = static_cast<double>(peakKb) / 1024.0;
}
BENCHMARK(BM_SetIcon)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
