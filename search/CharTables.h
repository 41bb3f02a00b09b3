#pragma once
// Character tables for case folding and the word-delimiter test, built once and
// read-only afterwards (safe to read from any thread).
//
// 8-bit text is in the system ANSI code page, which is UTF-8: the lowercase table folds
// A-Z only and the bytes 0x80-0xFF count as letters. The 16-bit tables follow the C
// library's wide-character classification under a UTF-8 locale. Code 0 is a delimiter
// in both delimiter tables.

#include <cstdint>

namespace pictavo {

struct CharTables {
    uint8_t Identity8[256];
    uint8_t Lower8[256];
    uint8_t Delimiter8[256]; // 1 = neither letter nor digit
    uint16_t Identity16[65536];
    uint16_t Lower16[65536];
    uint8_t Delimiter16[65536];
};

// Builds the tables on first use and returns them.
const CharTables& InitCharTables();

inline const CharTables& Tables() {
    return InitCharTables();
}

} // namespace pictavo
