// Speed of the search engine and the phrase search.
//
// WalkTree walks a generated tree of 100 000 files in 2 000 folders with the default
// criteria and the mask "*.*" (WalkTreeWithDetails also builds every file's details);
// FindCommand times `find DIR -type f | wc -l` on the same tree for comparison. Both run with a
// warm cache. PhraseSearch scans a 64 MB file that does not hold the phrase. The tree and the file
// are made once under /tmp and reused.

#include "search/FindFile.h"
#include "search/PhraseSearch.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace pictavo;

const std::string TreeRoot = "/tmp/pictavo-bench-tree";
const std::string TreeDone = "/tmp/pictavo-bench-tree.complete";
const std::string BigFile = "/tmp/pictavo-bench-64mb.txt";
constexpr int TopFolders = 40;
constexpr int SubfoldersEach = 49; // 40 + 40 * 49 = 2 000 folders
constexpr int FilesEach = 50;      // 2 000 * 50 = 100 000 files
constexpr int64_t TreeFiles = int64_t{TopFolders} * (1 + SubfoldersEach) * FilesEach;

void MakeFiles(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < FilesEach; ++i)
        std::ofstream(folder / ("file" + std::to_string(i) + (i % 5 == 0 ? ".exe" : ".dll")));
}

void EnsureTree() {
    if (std::filesystem::exists(TreeDone))
        return;
    std::filesystem::remove_all(TreeRoot);
    for (int top = 0; top < TopFolders; ++top) {
        const std::filesystem::path folder = TreeRoot + "/dir" + std::to_string(top);
        MakeFiles(folder);
        for (int sub = 0; sub < SubfoldersEach; ++sub)
            MakeFiles(folder / ("sub" + std::to_string(sub)));
    }
    std::ofstream(TreeDone) << "done\n";
}

void EnsureBigFile() {
    constexpr size_t Size = size_t{64} << 20;
    if (std::filesystem::exists(BigFile) && std::filesystem::file_size(BigFile) == Size)
        return;
    const std::string line = "Lorem ipsum dolor sit amet, consectetur adipiscing elit; ICONS 42.\n";
    std::string content;
    content.reserve(Size);
    while (content.size() + line.size() <= Size)
        content += line;
    content.append(Size - content.size(), ' ');
    std::ofstream(BigFile, std::ios::binary) << content;
}

// Counts the matches where they are reported, without asking for their details.
class CountingFindFile : public TFindFile {
public:
    int64_t files = 0;

protected:
    void DoFileMatch(const std::string&, const platform::FindData&) override { ++files; }
};

void WalkTree(benchmark::State& state) {
    EnsureTree();
    CountingFindFile find;
    find.Criteria().Files().SetLocation(TreeRoot);
    find.Criteria().Files().SetFileName("*.*");
    find.Execute(); // warms the cache
    for (auto _ : state) {
        find.files = 0;
        find.Execute();
    }
    if (find.files != TreeFiles)
        state.SkipWithError("the walk did not report every file");
    state.counters["files"] = static_cast<double>(find.files);
    state.SetItemsProcessed(state.iterations() * find.files);
}
BENCHMARK(WalkTree)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same walk with an OnFileMatch handler, which gets every file's size and times.
void WalkTreeWithDetails(benchmark::State& state) {
    EnsureTree();
    TFindFile find;
    int64_t files = 0;
    find.OnFileMatch = [&files](TFindFile&, const TFileDetails&) { ++files; };
    find.Criteria().Files().SetLocation(TreeRoot);
    find.Criteria().Files().SetFileName("*.*");
    find.Execute();
    for (auto _ : state) {
        files = 0;
        find.Execute();
    }
    if (files != TreeFiles)
        state.SkipWithError("the walk did not report every file");
    state.counters["files"] = static_cast<double>(files);
    state.SetItemsProcessed(state.iterations() * files);
}
BENCHMARK(WalkTreeWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();

void FindCommand(benchmark::State& state) {
    EnsureTree();
    const std::string command = "find " + TreeRoot + " -type f | wc -l";
    int64_t files = 0;
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        long long count = 0;
        if (pipe == nullptr || std::fscanf(pipe, "%lld", &count) != 1)
            state.SkipWithError("find failed");
        if (pipe != nullptr)
            ::pclose(pipe);
        files = count;
    }
    state.counters["files"] = static_cast<double>(files);
    state.SetItemsProcessed(state.iterations() * files);
}
BENCHMARK(FindCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument: 0 ignore case, 1 case-sensitive, 2 whole word.
void PhraseSearch(benchmark::State& state) {
    EnsureBigFile();
    const TStringVariants phrase = TStringVariants::FromPhrase("pictavo");
    TContentSearchOptions options;
    if (state.range(0) == 1)
        options.Include(csoCaseSensitive);
    if (state.range(0) == 2)
        options.Include(csoWholeWord);
    for (auto _ : state)
        if (SearchFileForPhrase(BigFile, phrase, options))
            state.SkipWithError("the phrase is not in the file");
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(BigFile)));
}
BENCHMARK(PhraseSearch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
