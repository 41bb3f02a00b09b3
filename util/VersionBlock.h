#pragma once
// VS_VERSIONINFO blocks: the tree in which Windows files keep their version
// information. Every node is a 16-bit total length, a 16-bit value length (characters
// for text, bytes for binary values), a 16-bit type (1 text, 0 binary), a
// NUL-terminated UTF-16 key, padding to 4 bytes, the value, padding to 4 bytes, and
// the child nodes. Lookup follows VerQueryValue: "\" is the root's value (the fixed
// file information), "\StringFileInfo\040904E4\ProductName" walks the children by key.
// The reader checks every length against the block; the writer is used for the
// program's own block and for tests.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pictavo {

// A value found in a block; Data points into the block.
struct VersionValue {
    const uint8_t* Data = nullptr;
    uint32_t Size = 0; // bytes, clipped to the node
    bool IsText = false;
};

// The value at `path` ("\" or "\Key\Key..."; keys compared without regard to ASCII
// case). nullopt when a node on the way is missing or damaged, or the value is empty.
std::optional<VersionValue> QueryVersionValue(const uint8_t* block, size_t size,
                                              const std::string& path);

// The UTF-16 text of a value up to its first NUL, as UTF-8.
std::string VersionValueText(const VersionValue& value);

// VS_FIXEDFILEINFO, 13 little-endian 32-bit fields.
struct FixedFileInfo {
    uint32_t Signature = 0xFEEF04BD;
    uint32_t StrucVersion = 0x00010000;
    uint32_t FileVersionMS = 0;
    uint32_t FileVersionLS = 0;
    uint32_t ProductVersionMS = 0;
    uint32_t ProductVersionLS = 0;
    uint32_t FileFlagsMask = 0x3F;
    uint32_t FileFlags = 0;
    uint32_t FileOS = 0;
    uint32_t FileType = 0;
    uint32_t FileSubtype = 0;
    uint32_t FileDateMS = 0;
    uint32_t FileDateLS = 0;
};
constexpr size_t FixedFileInfoSize = 52;
constexpr uint32_t VS_FF_PRERELEASE = 0x2;

// Reads the fixed information from a value of at least FixedFileInfoSize bytes.
std::optional<FixedFileInfo> ParseFixedFileInfo(const VersionValue& value);
std::vector<uint8_t> EncodeFixedFileInfo(const FixedFileInfo& info);

// One node for the writer. Text values are UTF-8 here and UTF-16 in the block.
struct VersionNode {
    std::string Key;
    bool IsText = false;
    std::string Text;
    std::vector<uint8_t> Binary;
    std::vector<VersionNode> Children;
};

// The tree of a block, for changing and writing it again: nullopt when a node does not
// fit where it stands or the tree is nested deeper than version blocks are. Text values
// are kept up to their first NUL.
std::optional<VersionNode> DecodeVersionNode(const uint8_t* block, size_t size);

// The node and its children as block bytes. Raises Exception when the node does not
// fit the 16-bit lengths.
std::vector<uint8_t> EncodeVersionNode(const VersionNode& node);

// The usual tree: "VS_VERSION_INFO" with the fixed information, a StringFileInfo
// table under `tableKey` holding `strings` in order, and, when `translation` is given,
// VarFileInfo\Translation with that one entry (language in the low 16 bits, code page
// in the high 16 bits).
VersionNode MakeVersionTree(const FixedFileInfo& fixed, const std::string& tableKey,
                            const std::vector<std::pair<std::string, std::string>>& strings,
                            std::optional<uint32_t> translation);

} // namespace pictavo
