#pragma once
// Date-times are days since 1899-12-30 with the time of day as the fraction.

#include <cstdint>
#include <ctime>
#include <string>

namespace pictavo {

using TDateTime = double;

constexpr double SecondsPerDay = 86400.0;
// Days between 1899-12-30 and 1970-01-01.
constexpr double UnixEpochDays = 25569.0;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Calendar date and time of day to a date-time; the parts are taken as they are.
TDateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(TDateTime value);
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

// A POSIX time (seconds and nanoseconds since 1970 UTC) in the local time zone.
TDateTime LocalDateTimeFromUnix(int64_t seconds, int64_t nanoseconds = 0);
TDateTime Now();

// "YYYY-MM-DD HH:MM:SS".
std::string FormatDateTimeIso(TDateTime value);

} // namespace pictavo
