#pragma once
// 8-bit texts of files made on Windows (an .ani's title, an .inf) in the program's UTF-8.

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

// The text as it is when it is UTF-8, else read as Latin-1: packs are written in the
// Western code page far more often than in any other, and every byte then stays a
// character instead of failing the whole text.
std::string EightBitTextAsUtf8(const std::string& text);

// The text of a file as UTF-8: UTF-16 with its byte-order mark converted, a UTF-8
// byte-order mark dropped, anything else as EightBitTextAsUtf8.
std::string FileTextAsUtf8(const std::vector<uint8_t>& bytes);

} // namespace pictavo
