#include "search/CriteriaRoutines.h"

#include "platform/CaseFolding.h"
#include "platform/FileSystem.h"
#include "search/CharTables.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace pictavo {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// A decimal integer within the 32-bit signed range, with an optional sign.
std::optional<int64_t> ParseInteger(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{1} << 31)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX)
        return std::nullopt;
    return value;
}

void ParseLevel(const std::string& text, uint16_t& level) {
    if (const std::optional<int64_t> value = ParseInteger(Trim(text)))
        level = static_cast<uint16_t>(static_cast<uint64_t>(*value) & 0xFFFF);
}

double Int(double x) {
    return std::trunc(x);
}
double Frac(double x) {
    return x - std::trunc(x);
}

} // namespace

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool SameText(const std::string& a, const std::string& b) {
    return platform::SameText8(a, b);
}

std::vector<std::string> SplitList(const std::string& text, char separator, bool ignoreCase) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        const std::string piece = Trim(text.substr(start, end - start));
        bool seen = piece.empty();
        for (size_t k = 0; k < pieces.size() && !seen; ++k)
            seen = ignoreCase ? SameText(pieces[k], piece) : pieces[k] == piece;
        if (!seen)
            pieces.push_back(piece);
        start = end + 1;
    }
    return pieces;
}

std::string ParseLocation(const std::string& text, bool& subfolders, uint16_t& minLevel,
                          uint16_t& maxLevel) {
    std::string folder = text;
    const size_t greater = text.find('>');
    if (greater != std::string::npos) {
        folder = text.substr(greater + 1);
        subfolders = true;
        const std::string levels = Trim(text.substr(0, greater));
        if (!levels.empty()) {
            const size_t dash = levels.find('-');
            if (dash != std::string::npos) {
                ParseLevel(levels.substr(0, dash), minLevel);
                ParseLevel(levels.substr(dash + 1), maxLevel);
            } else {
                ParseLevel(levels, maxLevel);
                minLevel = 0;
            }
        }
    } else if (const size_t less = text.find('<'); less != std::string::npos) {
        folder = text.substr(less + 1);
        subfolders = false;
    }
    return platform::IncludeTrailingPathDelimiter(platform::ExpandFileName(Trim(folder)));
}

// Equivalent to matching the literal run before the first "*" and then, for each
// later literal, trying every occurrence in the text; remembering only the last "*"
// suffices because segments have fixed lengths, so no mask costs exponential time.
bool WildcardMatch(const std::string& text, const std::string& mask) {
    const uint8_t* lower = Tables().Lower8;
    const auto fold = [lower](char c) { return lower[static_cast<uint8_t>(c)]; };
    size_t t = 0;
    size_t m = 0;
    size_t starMask = std::string::npos; // mask index just after the last "*" run
    size_t starText = 0;                 // text index its match was last tried from
    while (t < text.size()) {
        if (m < mask.size() && mask[m] == '*') {
            // A run of "*" and "?" after a "*" consumes no characters of its own.
            while (m < mask.size() && (mask[m] == '*' || mask[m] == '?'))
                ++m;
            if (m == mask.size())
                return true;
            starMask = m;
            starText = t;
        } else if (m < mask.size() && (mask[m] == '?' || fold(mask[m]) == fold(text[t]))) {
            ++m;
            ++t;
        } else if (starMask != std::string::npos) {
            m = starMask;
            t = ++starText;
        } else {
            return false;
        }
    }
    // The end of the text satisfies any remaining run of "*" and "?".
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '?'))
        ++m;
    return m == mask.size();
}

TDateTime FileTimeToLocalDateTime(const platform::FileTime& time) {
    return LocalDateTimeFromUnix(time.Seconds, time.Nanoseconds);
}

bool IsInDateRange(TDateTime value, TDateTime before, TDateTime after) {
    bool passes = true;
    if (before != 0) {
        if (Frac(before) == 0)
            passes = Int(value) <= before;
        else if (Int(before) == 0)
            passes = Frac(value) <= before;
        else
            passes = value <= before;
    }
    if (passes && after != 0) {
        if (Frac(after) == 0)
            passes = Int(value) >= after;
        else if (Int(after) == 0)
            passes = Frac(value) >= after;
        else
            passes = value >= after;
    }
    return passes;
}

} // namespace pictavo
