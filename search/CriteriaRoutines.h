#pragma once
// Routines shared by the search criteria: list splitting, location prefixes,
// wildcard matching and date-time tests.

#include "platform/FileTime.h"
#include "util/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

// Removes the characters with codes up to 32 from both ends.
std::string Trim(const std::string& text);

// Equal when only the case of A-Z differs.
bool SameText(const std::string& a, const std::string& b);

// Cuts text at every separator, trims the pieces and drops the empty ones and those
// equal to one already taken (without regard to the case of A-Z, or exactly when
// ignoreCase is false). The pieces keep first-occurrence order.
std::vector<std::string> SplitList(const std::string& text, char separator, bool ignoreCase = true);

// Reads the optional prefix of a location and returns its folder, absolute and with
// a trailing "/". "2-5>/data" searches levels 2 to 5 with subfolders, "3>/data" down
// to level 3 (MinLevel 0), ">/data" forces subfolders on, "</data" forces them off.
// A level that is not a decimal number keeps the value passed in; levels are stored
// modulo 65536. The three values are passed in as defaults and changed for this entry.
std::string ParseLocation(const std::string& text, bool& subfolders, uint16_t& minLevel,
                          uint16_t& maxLevel);

// Case-insensitive (A-Z) wildcard match: "*" matches any run, "?" one byte. A "?" that
// follows a "*" consumes nothing ("a*?c" matches "ac"), and "?" at the end of the text
// is satisfied by the end ("ab?" matches "ab"). Runs in time proportional to the
// product of the lengths whatever the mask.
bool WildcardMatch(const std::string& text, const std::string& mask);

// A file time in local time as a date-time.
TDateTime FileTimeToLocalDateTime(const platform::FileTime& time);

// Whether value lies within the bounds; 0 means no bound. A bound without a time part
// compares whole days (the named day included); one without a date part compares the
// time of day; any other compares the full value.
bool IsInDateRange(TDateTime value, TDateTime before, TDateTime after);

} // namespace pictavo
