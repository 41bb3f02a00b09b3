#include "util/ElapsedTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace pictavo {

namespace {

struct TimeUnit {
    double seconds;
    const char* word;
};

// A year is 365.5 days and a month 31 days in this text.
constexpr TimeUnit Units[] = {
    {3157920000.0, " c, "}, {31579200.0, " yr, "}, {2678400.0, " m, "}, {604800.0, " wk, "},
    {86400.0, " d, "},      {3600.0, " h, "},      {60.0, " min, "},
};

} // namespace

std::string FormatElapsedTime(double Seconds) {
    std::string text;
    double rest = Seconds;
    bool started = false;
    for (const TimeUnit& unit : Units) {
        // Counts are held as 16-bit unsigned values, as the original routine held them.
        const auto whole = static_cast<int64_t>(std::trunc(rest / unit.seconds));
        const auto count = static_cast<uint16_t>(whole);
        rest -= static_cast<double>(count) * unit.seconds;
        if (count != 0)
            started = true;
        if (started)
            text += std::to_string(count) + unit.word;
    }
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "%.0f", std::trunc(rest));
    return text + seconds + " s";
}

} // namespace pictavo
