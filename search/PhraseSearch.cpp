#include "search/PhraseSearch.h"

#include "platform/CodePage.h"
#include "search/CharTables.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace pictavo {

namespace {

// Reads up to count bytes past the current position and moves back over them, so that
// they are read again as part of the next block.
size_t PeekBytes(FileStream& file, uint8_t* out, size_t count) {
    const size_t got = file.Read(out, count);
    if (got > 0)
        file.Seek(-static_cast<int64_t>(got), SeekOrigin::Current);
    return got;
}

uint8_t Byte(const std::string& text, size_t i) {
    return static_cast<uint8_t>(text[i]);
}

bool Search8(FileStream& file, std::vector<uint8_t>& buffer, const std::string& phrase,
             const uint8_t* fold, bool wholeWord) {
    const uint8_t* delimiter = Tables().Delimiter8;
    const uint8_t* data = buffer.data();
    const uint8_t first = fold[Byte(phrase, 0)];
    size_t p = 0;
    uint8_t lastOfPreviousBlock = 0; // the start of the file counts as code 0
    while (const size_t n = file.Read(buffer.data(), buffer.size())) {
        for (size_t i = 0; i < n; ++i) {
            if (p == 0) {
                while (i < n && fold[data[i]] != first)
                    ++i;
                if (i == n)
                    break;
                const uint8_t before = i > 0 ? data[i - 1] : lastOfPreviousBlock;
                if (wholeWord && !delimiter[before])
                    continue;
            } else if (fold[data[i]] != fold[Byte(phrase, p)]) {
                p = 0;
                continue;
            }
            if (++p < phrase.size())
                continue;
            if (!wholeWord)
                return true;
            uint8_t after = 0; // the end of the file counts as code 0
            if (i + 1 < n)
                after = data[i + 1];
            else
                PeekBytes(file, &after, 1);
            if (delimiter[after])
                return true;
            p = 0;
        }
        lastOfPreviousBlock = data[n - 1];
    }
    return false;
}

uint16_t Unit16(const uint8_t* bytes, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>((bytes[0] << 8) | bytes[1])
                     : static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool Search16(FileStream& file, std::vector<uint8_t>& buffer, const std::u16string& phrase,
              const uint16_t* fold, bool wholeWord, bool bigEndian) {
    const uint8_t* delimiter = Tables().Delimiter16;
    const uint8_t* data = buffer.data();
    size_t p = 0;
    uint16_t lastOfPreviousBlock = 0;
    while (const size_t bytes = file.Read(buffer.data(), buffer.size())) {
        // A final odd byte is not examined.
        const size_t n = bytes / 2;
        if (n == 0)
            break;
        for (size_t i = 0; i < n; ++i) {
            const uint16_t u = Unit16(data + 2 * i, bigEndian);
            if (fold[u] != fold[phrase[p]]) {
                p = 0;
                continue;
            }
            if (p == 0 && wholeWord) {
                const uint16_t before =
                    i > 0 ? Unit16(data + 2 * (i - 1), bigEndian) : lastOfPreviousBlock;
                if (!delimiter[before])
                    continue;
            }
            if (++p < phrase.size())
                continue;
            if (!wholeWord)
                return true;
            uint16_t after = 0;
            if (i + 1 < n) {
                after = Unit16(data + 2 * (i + 1), bigEndian);
            } else {
                uint8_t next[2];
                if (PeekBytes(file, next, 2) == 2)
                    after = Unit16(next, bigEndian);
            }
            if (delimiter[after])
                return true;
            p = 0;
        }
        lastOfPreviousBlock = Unit16(data + 2 * (n - 1), bigEndian);
    }
    return false;
}

// The bytes of one UTF-8 character as the scan collects them.
struct CharBytes {
    uint8_t bytes[8];
    size_t size = 0;
};

constexpr size_t MaxCharBytes = 8;

bool IsContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// A character that cannot be converted (none collected, invalid bytes) is code 0, a
// delimiter; the platform's converter turns invalid bytes into U+FFFD, which is one too.
bool IsDelimiterChar(const CharBytes& c) {
    if (c.size == 0)
        return true;
    const std::u16string wide =
        platform::Utf8ToUtf16(std::string(reinterpret_cast<const char*>(c.bytes), c.size));
    return wide.empty() || Tables().Delimiter16[wide[0]] != 0;
}

// Adds b to the character that follows a match: its first byte and the continuation
// bytes after it, at most 8.
bool TakeFollowing(CharBytes& c, uint8_t b) {
    if (c.size == MaxCharBytes || (c.size > 0 && !IsContinuation(b)))
        return false;
    c.bytes[c.size++] = b;
    return true;
}

CharBytes FollowingChar(FileStream& file, const uint8_t* data, size_t from, size_t n) {
    CharBytes next;
    size_t j = from;
    while (j < n && TakeFollowing(next, data[j]))
        ++j;
    if (j == n && next.size < MaxCharBytes) {
        uint8_t extra[MaxCharBytes];
        const size_t got = PeekBytes(file, extra, MaxCharBytes - next.size);
        for (size_t k = 0; k < got && TakeFollowing(next, extra[k]); ++k) {
        }
    }
    return next;
}

bool SearchUtf8(FileStream& file, std::vector<uint8_t>& buffer, const std::string& phrase,
                const uint8_t* fold, bool wholeWord) {
    const uint8_t* data = buffer.data();
    CharBytes previous;
    CharBytes current;
    size_t p = 0;
    while (const size_t n = file.Read(buffer.data(), buffer.size())) {
        for (size_t i = 0; i < n; ++i) {
            const uint8_t u = data[i];
            const bool beginsChar = !IsContinuation(u) || current.size == MaxCharBytes;
            if (beginsChar) {
                previous = current;
                current.size = 0;
            }
            current.bytes[current.size++] = u;
            if (fold[u] != fold[Byte(phrase, p)]) {
                p = 0;
                continue;
            }
            if (p == 0 && (!beginsChar || (wholeWord && !IsDelimiterChar(previous))))
                continue;
            if (++p < phrase.size())
                continue;
            if (!wholeWord || IsDelimiterChar(FollowingChar(file, data, i + 1, n)))
                return true;
            p = 0;
        }
    }
    return false;
}

// Opening a FIFO would block and a device may never end, so only regular files are read.
void RequireRegularFile(const std::string& fileName) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw EFOpenError(Format("Cannot open file \"%s\". Not a regular file", fileName.c_str()));
}

} // namespace

TStringVariants TStringVariants::FromPhrase(const std::string& phrase) {
    TStringVariants variants;
    variants.Ansi = phrase;
    variants.Unicode = platform::Utf8ToUtf16(phrase);
    variants.UTF8 = platform::Utf16ToUtf8(variants.Unicode);
    return variants;
}

bool SearchFileForPhrase(const std::string& fileName, const TStringVariants& phrase,
                         TContentSearchOptions options) {
    RequireRegularFile(fileName);
    FileStream file(fileName, FileMode::OpenRead);
    std::vector<uint8_t> buffer(PhraseSearchBlockSize);
    const CharTables& tables = Tables();
    const bool caseSensitive = options.Contains(csoCaseSensitive);
    const bool wholeWord = options.Contains(csoWholeWord);
    const uint8_t* fold8 = caseSensitive ? tables.Identity8 : tables.Lower8;
    const uint16_t* fold16 = caseSensitive ? tables.Identity16 : tables.Lower16;

    uint8_t mark[3] = {};
    size_t got = file.Read(mark, 2);
    if (got == 2 && mark[0] == 0xFF && mark[1] == 0xFE)
        return phrase.Unicode.empty() ||
               Search16(file, buffer, phrase.Unicode, fold16, wholeWord, false);
    if (got == 2 && mark[0] == 0xFE && mark[1] == 0xFF)
        return phrase.Unicode.empty() ||
               Search16(file, buffer, phrase.Unicode, fold16, wholeWord, true);
    if (got == 2 && mark[0] == 0xEF && mark[1] == 0xBB) {
        got += file.Read(mark + 2, 1);
        if (got == 3 && mark[2] == 0xBF)
            return phrase.UTF8.empty() || SearchUtf8(file, buffer, phrase.UTF8, fold8, wholeWord);
    }
    file.Seek(-static_cast<int64_t>(got), SeekOrigin::Current);
    return phrase.Ansi.empty() || Search8(file, buffer, phrase.Ansi, fold8, wholeWord);
}

} // namespace pictavo
