#pragma once
// The version information of a file: read from the version resource of a PE module,
// or, for this program's own executable, from the block built into it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace pictavo {

struct TVersionInfo {
    std::string FileName;
    std::string FileVersion;
    std::string VersionText; // "4.2.0.0", with " BETA" or " BETA <build>" for pre-releases
    std::string ProductName;
    std::string CompanyName;
    std::string FileDescription;
    std::string Comments;
    std::string LegalCopyright;
    std::string LegalTrademarks;
    std::string InternalName;
    std::string OriginalFileName;
    std::string ProductVersion;
    int32_t MajorVersion = 0;
    int32_t MinorVersion = 0;
    int32_t Release = 0;
    int32_t Build = 0;
    int32_t ProductMajorVersion = 0;
    int32_t ProductMinorVersion = 0;
    int32_t ProductRelease = 0;
    int32_t ProductBuild = 0;
    std::string SpecialBuild;
    bool PreRelease = false;

    bool operator==(const TVersionInfo&) const = default;
};

// Clears Info, sets FileName and fills the rest from the file's version block. False
// (with only FileName set) when the file has no readable fixed version information.
bool ReadVersionInfo(const std::string& FileName, TVersionInfo& Info);

// The same over a VS_VERSIONINFO block in memory; FileName is left as it is.
bool ReadVersionInfoFromBlock(const uint8_t* block, size_t size, TVersionInfo& Info);

// This program's own version information, read from its executable while the program
// starts (static initialisation, before main).
extern TVersionInfo AppVersionInfo;

// The block built into this program (generated at build time).
struct OwnVersionBlockBytes {
    const uint8_t* Data;
    size_t Size;
};
OwnVersionBlockBytes OwnVersionBlock();

} // namespace pictavo
