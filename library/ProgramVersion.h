#pragma once
// Setting the version strings and numbers of a Windows program (PE32 or PE32+), in place,
// with the rules of set-icon: lock, backup name.~exe, atomic write, every other resource
// and section keeping its bytes.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pictavo {

using TFourPartVersion = std::array<uint16_t, 4>;

// "A.B.C.D" (fewer parts mean zeros after them), each part 0 to 65535; nullopt otherwise.
std::optional<TFourPartVersion> ParseFourPartVersion(const std::string& text);

struct TProgramVersionChange {
    std::string ProgramFileName;
    // Set in every string table (replaced where the key is, added where not).
    std::vector<std::pair<std::string, std::string>> Strings;
    // The fixed part's numbers.
    std::optional<TFourPartVersion> FileVersion;
    std::optional<TFourPartVersion> ProductVersion;
    bool StripSignature = false;
    std::function<void(const std::string& lockFile)> OnWaitForLock;
};

struct TProgramVersionResult {
    int StringTables = 0;   // the tables the strings went into
    bool Created = false;   // the program had no version resource
    std::string BackupFileName;
};

// Raises when the program cannot be read or written (ESignedImage for a signed one) or
// its version resource cannot be read; the program is then left as it was. A program
// without a version resource gets one: language 0x409, string table 040904B0 (code page
// 1200), with the given strings and numbers.
TProgramVersionResult SetProgramVersion(const TProgramVersionChange& change);

} // namespace pictavo
