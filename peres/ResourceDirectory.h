#pragma once
// The one bounds-checked walker of a PE resource directory. It reads the tree
// (types, names, languages) from the bytes of the directory, which start at the root
// table; every offset inside the tree is relative to that root. Both the read-only
// module reader and the decoding of the writable resource module use it.
//
// Faults in the tree (offsets or counts outside the bytes, a tree deeper than three
// levels, a table reached twice) raise EPEException with a message that names the
// fault; callers that only probe files catch it and treat the entry as absent.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace pictavo {

// A resource type or name: a numeric identifier or a text (UTF-8).
struct ResourceName {
    bool IsNumeric = false;
    uint32_t Id = 0;
    std::string Text; // UTF-8, up to the first NUL
};

// One entry of a directory table.
struct ResourceDirectoryEntry {
    bool IsNamed = false;     // by position: the first NumberOfNamedEntries entries
    uint32_t Name = 0;        // the numeric identifier, or the offset of the name string
    bool IsDirectory = false; // OffsetToData has its top bit set
    uint32_t Offset = 0;      // of the subdirectory table or of the data entry
};

struct ResourceDirectoryTable {
    uint32_t Characteristics = 0;
    uint32_t TimeDateStamp = 0;
    uint16_t MajorVersion = 0;
    uint16_t MinorVersion = 0;
    uint16_t NamedCount = 0;
    std::vector<ResourceDirectoryEntry> Entries; // named entries first, then numeric

    uint32_t Version() const { return (static_cast<uint32_t>(MajorVersion) << 16) | MinorVersion; }
};

struct ResourceDataEntry {
    uint32_t DataRva = 0;
    uint32_t Size = 0;
    uint32_t CodePage = 0;
};

// One resource found by a full walk.
struct ResourceLeaf {
    ResourceName Type;
    ResourceName Name;
    uint32_t Language = 0;
    ResourceDataEntry Data;
    uint32_t Characteristics = 0; // of the language table that holds the entry
    uint32_t Version = 0;         // (MajorVersion << 16) + MinorVersion of that table
};

class ResourceDirectory {
public:
    static constexpr uint32_t TableHeaderSize = 16;
    static constexpr uint32_t EntrySize = 8;
    static constexpr uint32_t DataEntrySize = 16;

    // Copies `count` bytes at `offset` (counted from the root table) into `out`; false
    // when they are not there, as when a file shrank while it was read.
    using ReadBytes = std::function<bool(uint64_t offset, size_t count, uint8_t* out)>;

    // bytes: from the root table to the end of the section's content; not owned.
    ResourceDirectory(const uint8_t* bytes, size_t size);
    // The same `size` bytes, read piece by piece.
    ResourceDirectory(ReadBytes read, uint64_t size) : read_(std::move(read)), size_(size) {}

    ResourceDirectoryTable ReadTable(uint32_t offset) const;
    ResourceDataEntry ReadDataEntry(uint32_t offset) const;
    // The name string (16-bit length, UTF-16 units) as UTF-8, cut at the first NUL.
    std::string ReadNameText(uint32_t offset) const;
    // The name of a table entry as a ResourceName.
    ResourceName ReadEntryName(const ResourceDirectoryEntry& entry) const;

    // Visits every resource depth first (type, name, language), in directory order.
    // A named language entry raises "Unsupported non-integer language ID in resource".
    void ForEachLeaf(const std::function<void(const ResourceLeaf&)>& visit) const;

private:
    void Walk(uint32_t tableOffset, int level, ResourceLeaf& path,
              std::unordered_set<uint32_t>& seen,
              const std::function<void(const ResourceLeaf&)>& visit) const;

    // The `count` bytes at `offset`, a range the caller found inside the bytes; a fault
    // when they cannot be read all the same (the file shrank).
    std::vector<uint8_t> Fetch(uint64_t offset, uint64_t count) const;

    ReadBytes read_;
    uint64_t size_;
};

} // namespace pictavo
