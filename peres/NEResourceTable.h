#pragma once
// The resource table of a 16-bit NE module (Windows 3.x programs and DLLs, classic
// .icl icon libraries), read from its bytes. The table is an alignment shift, then
// type entries (numeric 0x8000 | id, or the offset of a type name) each followed by
// its resource entries (offset and length in alignment units, flags, numeric
// 0x8000 | id or the offset of a name), ended by type 0; the names behind it are
// length-prefixed 8-bit strings whose offsets count from the start of the table.
//
// Every shift, count, offset and length is checked: a shift above 15 or a table running
// past its bytes raise EPEException, and the module is no module. A resource whose data
// lies past the end of the file or whose name lies past the table is left out on its
// own and listed in Damaged(): the other resources stay usable.

#include "peres/ResourceDirectory.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pictavo {

namespace ne {
constexpr uint16_t Signature = 0x454E;        // "NE"
constexpr uint32_t HeaderSize = 64;           // the fields read here lie inside it
constexpr uint32_t ResourceTableField = 0x24; // 16 bits, from the NE header
constexpr uint32_t ResidentNameTableField = 0x26;
constexpr uint32_t MaxAlignmentShift = 15;
} // namespace ne

// Where a module's resource table lies in the file.
struct NEResourceTableRange {
    uint64_t Offset = 0;
    uint64_t Size = 0; // 0: the module has no resources
};

// From the 64-byte NE header at `neOffset`: the resource table runs from its own
// offset up to the resident-name table that follows it. Raises EPEException when that
// range is reversed or leaves the file.
NEResourceTableRange FindNEResourceTable(const uint8_t* header, uint64_t neOffset,
                                         uint64_t fileSize);

struct NEResource {
    ResourceName Name;
    uint64_t Offset = 0; // in the file, in bytes
    uint32_t Length = 0; // in bytes, padded to the alignment as the file stores it
    uint16_t Flags = 0;
};

struct NEResourceType {
    ResourceName Type;
    std::vector<NEResource> Resources; // in table order
};

class NEResourceTable {
public:
    // `table`: the table's bytes (FindNEResourceTable); `fileSize` bounds every
    // resource. Raises EPEException naming the first fault.
    static NEResourceTable Read(const uint8_t* table, size_t tableSize, uint64_t fileSize);

    const std::vector<NEResourceType>& Types() const { return types_; }
    // What was left out, one text per damaged resource entry.
    const std::vector<std::string>& Damaged() const { return damaged_; }
    // The resources of a numeric type, or null when the module has none.
    const NEResourceType* FindType(uint32_t type) const;
    // The first resource of the type with this id, or with this text name compared
    // without regard to ASCII case (as Windows does); null when absent.
    const NEResource* Find(const ResourceName& name, uint32_t type) const;

private:
    std::vector<NEResourceType> types_;
    std::vector<std::string> damaged_;
};

} // namespace pictavo
