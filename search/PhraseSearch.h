#pragma once
// Whether a file contains a phrase: byte-order-mark detection, whole-word and case
// options, streamed block by block through one 61440-byte buffer.

#include <cstdint>
#include <initializer_list>
#include <string>

namespace pictavo {

// The phrase in the three encodings a file may use.
struct TStringVariants {
    std::string Ansi;       // as stored (the ANSI code page is UTF-8)
    std::u16string Unicode; // Ansi converted to UTF-16
    std::string UTF8;       // UTF-8 encoding of Unicode

    static TStringVariants FromPhrase(const std::string& phrase);
};

enum TContentSearchOption { csoCaseSensitive, csoWholeWord };

// A set of TContentSearchOption.
class TContentSearchOptions {
public:
    TContentSearchOptions() = default;
    TContentSearchOptions(std::initializer_list<TContentSearchOption> options) {
        for (TContentSearchOption option : options)
            Include(option);
    }
    bool Contains(TContentSearchOption option) const { return (bits_ & Bit(option)) != 0; }
    void Include(TContentSearchOption option) { bits_ |= Bit(option); }
    void Exclude(TContentSearchOption option) { bits_ &= ~Bit(option); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TContentSearchOptions&) const = default;

private:
    static uint8_t Bit(TContentSearchOption option) { return uint8_t(1u << option); }
    uint8_t bits_ = 0;
};

// The size of the one read buffer a search uses.
constexpr size_t PhraseSearchBlockSize = 61440;

// True when the file holds the phrase. A file starting with FF FE is searched as
// little-endian UTF-16 (phrase.Unicode), FE FF as big-endian UTF-16, EF BB BF as UTF-8
// (phrase.UTF8); any other file as 8-bit text (phrase.Ansi) from its first byte.
// Without csoCaseSensitive letters are folded by the lowercase tables; with csoWholeWord
// a delimiter (or the start or end of the file) must come before and after the match.
// After a failed partial match the scan resumes after the unit that broke it, so "aab"
// is not found in "aaab". The phrase must not be empty.
// Raises EFOpenError when the file cannot be opened or is not a regular file (a FIFO
// or a device would block or never end), EReadError when it cannot be read.
bool SearchFileForPhrase(const std::string& fileName, const TStringVariants& phrase,
                         TContentSearchOptions options);

} // namespace pictavo
