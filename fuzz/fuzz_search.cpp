// Fuzzes the search routines that read outside text: WildcardMatch (checked against
// the rules written as recursion on short inputs), ParseLocation (the folder is always
// absolute, normalised and ends in "/"), and SearchFileForPhrase over a file holding
// the fuzzed bytes, optionally pushed so that they straddle the end of the first block.

#include "search/CriteriaRoutines.h"
#include "search/PhraseSearch.h"
#include "tests/search/WildcardReference.h"

#include <algorithm>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <unistd.h>

namespace {

using namespace pictavo;

const std::string& ScratchFile() {
    static const std::string path = [] {
        std::string pattern = "/tmp/pictavo-fuzz-search-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            std::abort();
        ::close(fd);
        return pattern;
    }();
    return path;
}

void WriteScratch(const std::string& content) {
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr)
        std::abort();
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

void CheckWildcard(FuzzedDataProvider& input) {
    const std::string text = input.ConsumeRandomLengthString(48);
    const std::string mask = input.ConsumeRandomLengthString(16);
    const bool matches = WildcardMatch(text, mask);
    if (text.size() <= 16 && mask.size() <= 8 && matches != reference::WildcardMatch(text, mask))
        std::abort();
}

void CheckLocation(FuzzedDataProvider& input) {
    const std::string location = input.ConsumeRandomLengthString(64);
    bool subfolders = input.ConsumeBool();
    uint16_t minLevel = input.ConsumeIntegral<uint16_t>();
    uint16_t maxLevel = input.ConsumeIntegral<uint16_t>();
    const std::string folder = ParseLocation(location, subfolders, minLevel, maxLevel);
    const bool absolute = !folder.empty() && folder.front() == '/' && folder.back() == '/';
    const bool normal = folder.find("//") == std::string::npos &&
                        folder.find("/./") == std::string::npos &&
                        folder.find("/../") == std::string::npos;
    if (!absolute || !normal)
        std::abort();
}

void CheckPhrase(FuzzedDataProvider& input) {
    std::string phrase = input.ConsumeRandomLengthString(12);
    if (phrase.empty())
        phrase = "a";
    const uint8_t flags = input.ConsumeIntegral<uint8_t>();
    const size_t shift = input.ConsumeIntegral<uint8_t>();
    std::string content = input.ConsumeRemainingBytesAsString();
    if (flags & 4) {
        // Keeps the first bytes (a possible byte-order mark) at the start of the file.
        const size_t keep = std::min<size_t>(3, content.size());
        const char filler = (flags & 8) ? ' ' : 'x';
        content.insert(keep, PhraseSearchBlockSize - 3 - std::min<size_t>(shift, 200), filler);
    }
    WriteScratch(content);
    TContentSearchOptions options;
    if (flags & 1)
        options.Include(csoCaseSensitive);
    if (flags & 2)
        options.Include(csoWholeWord);
    const bool found =
        SearchFileForPhrase(ScratchFile(), TStringVariants::FromPhrase(phrase), options);
    // A plain 8-bit case-sensitive search finds only what is really there.
    const bool plain = content.size() < 2 || (static_cast<uint8_t>(content[0]) < 0xEF);
    if (found && plain && options.Contains(csoCaseSensitive) &&
        content.find(phrase) == std::string::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    CheckWildcard(input);
    CheckLocation(input);
    CheckPhrase(input);
    return 0;
}
