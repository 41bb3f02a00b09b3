#include "util/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace pictavo {

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

} // namespace

TDateTime EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, month, day)) + UnixEpochDays;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) /
           (SecondsPerDay * 1000.0);
}

TDateTime EncodeDateTime(const DateTimeParts& p) {
    return EncodeDate(p.year, p.month, p.day) +
           EncodeTime(p.hour, p.minute, p.second, p.millisecond);
}

DateTimeParts DecodeDateTime(TDateTime value) {
    DateTimeParts p;
    // Round to whole milliseconds first so 23:59:59.9999 does not print as 24:00.
    const int64_t ms = std::llround(value * SecondsPerDay * 1000.0);
    int64_t days = ms / 86400000;
    int64_t rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    CivilFromDays(days - static_cast<int64_t>(UnixEpochDays), p.year, p.month, p.day);
    p.hour = static_cast<int>(rest / 3600000);
    p.minute = static_cast<int>(rest / 60000 % 60);
    p.second = static_cast<int>(rest / 1000 % 60);
    p.millisecond = static_cast<int>(rest % 1000);
    return p;
}

TDateTime LocalDateTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr)
        return UnixEpochDays + static_cast<double>(seconds) / SecondsPerDay;
    DateTimeParts p;
    p.year = local.tm_year + 1900;
    p.month = local.tm_mon + 1;
    p.day = local.tm_mday;
    p.hour = local.tm_hour;
    p.minute = local.tm_min;
    p.second = local.tm_sec;
    p.millisecond = static_cast<int>(nanoseconds / 1000000);
    return EncodeDateTime(p);
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    return LocalDateTimeFromUnix(ns / 1000000000, ns % 1000000000);
}

std::string FormatDateTimeIso(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return text;
}

} // namespace pictavo
