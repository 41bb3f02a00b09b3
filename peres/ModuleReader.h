#pragma once
// Read-only resource access over a PE32 or PE32+ file or a 16-bit NE module: the
// stand-in for mapping a module as a data file and enumerating, finding and reading
// its resources.
//
// The file is read with ordinary reads, never mapped: a file that another program
// truncates while it is read then only lacks the bytes (the resource is absent, the
// module an error), where a mapping would kill the process with SIGBUS.
//
// Opening reads only the headers and the root of the resource directory; the name
// table of a type is read once, when first needed, and kept; the bytes of a resource
// are read when it is asked for. The file is read in pages kept in memory (FilePages),
// so that the directory, walked again for every resource found, is read from the file
// once. Every offset, size and count is checked against the
// file: a malformed image is no module (Open answers nullptr) or the damaged entry is
// absent, never a read outside the file.

#include "peres/FilePages.h"
#include "peres/NEResourceTable.h"
#include "peres/ResourceDirectory.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pictavo {

// The bytes of one resource. Data stays valid as long as this record (or a copy of it)
// and the reader live.
struct ResourceBytes {
    const uint8_t* Data = nullptr;
    uint32_t Size = 0;
    // Where the bytes lie in the file: two resources with the same offset and size are
    // the same bytes.
    uint64_t FileOffset = 0;
    std::shared_ptr<const std::vector<uint8_t>> Storage; // the bytes read from a file
};

class ModuleReader {
public:
    // A resource larger than this is refused (absent): no icon or version block comes
    // near it, and reading it would only serve to exhaust memory.
    static constexpr uint32_t MaxResourceBytes = 96u << 20;

    ~ModuleReader();
    ModuleReader(const ModuleReader&) = delete;
    ModuleReader& operator=(const ModuleReader&) = delete;

    // nullptr when the file cannot be opened, is not a regular file, is not a PE
    // module, or is malformed. Never waits on a FIFO or device.
    static std::unique_ptr<ModuleReader> Open(const std::string& fileName);
    // The same over a regular file of `size` bytes the caller opened, keeps open while the
    // reader lives, and closes; firstPage, when not empty, holds its first bytes (up to
    // FilePages::PageSize) read already.
    static std::unique_ptr<ModuleReader> FromOpenFile(int fd, uint64_t size,
                                                      std::vector<uint8_t> firstPage);
    // The same over bytes held in memory (tests, fuzzing).
    static std::unique_ptr<ModuleReader> FromMemory(std::vector<uint8_t> bytes);

    // Names of one numeric resource type in directory order (named entries first, then
    // numeric ids as stored) until the callback answers false. A module without that
    // type calls it never; a damaged name ends the enumeration there.
    void EnumResourceNames(uint32_t type,
                           const std::function<bool(const ResourceName&)>& callback) const;

    // By text name (compared without regard to ASCII case, as Windows does), or "#123"
    // meaning id 123; the first language. nullopt when absent or outside the file.
    std::optional<ResourceBytes> FindResource(const std::string& name, uint32_t type) const;
    std::optional<ResourceBytes> FindResource(uint32_t id, uint32_t type) const;

    bool Is64Bit() const { return is64Bit_; }
    // The resource entries left out as damaged (of a 16-bit module's table), one text each.
    std::vector<std::string> DamagedResources() const {
        return ne_ ? ne_->Damaged() : std::vector<std::string>{};
    }
    // The size of the file (or bytes) when it was opened.
    uint64_t FileSize() const { return size_; }

private:
    struct SectionRange {
        uint32_t VirtualAddress = 0;
        uint32_t VirtualSize = 0;
        uint32_t RawSize = 0;
        uint32_t RawOffset = 0;
    };

    // The name table of one type, read once: the entries in directory order with their
    // names up to the first damaged one, and indexes for finding.
    struct TypeNames {
        std::vector<ResourceDirectoryEntry> Entries;
        std::vector<ResourceName> Names; // of Entries[0 .. Names.size())
        std::unordered_map<uint32_t, size_t> ById;
        std::unordered_map<std::string, size_t> ByUpperText;
    };

    ModuleReader() = default;
    // Reads count bytes at offset of the file; false when the file does not hold them.
    bool ReadAt(uint64_t offset, size_t count, uint8_t* out) const;
    bool Index();
    const TypeNames* Names(uint32_t type) const;
    std::optional<ResourceBytes> FirstLanguageData(const ResourceDirectoryEntry& nameEntry) const;
    std::optional<ResourceBytes> Find(const ResourceName& name, uint32_t type) const;
    const SectionRange* SectionOfRva(uint32_t rva) const;
    // The bytes of a resource at `offset` in the file; nullopt when they are not there.
    std::optional<ResourceBytes> ReadResource(uint64_t offset, uint32_t size) const;
    // 16-bit NE modules (ModuleReaderNE.cpp).
    bool IndexNE(uint32_t neOffset);
    void EnumNEResourceNames(uint32_t type,
                             const std::function<bool(const ResourceName&)>& callback) const;
    std::optional<ResourceBytes> FindNE(const ResourceName& name, uint32_t type) const;

    int fd_ = -1;                    // the file when the reader opened it itself
    std::optional<FilePages> pages_; // of the file, read with ordinary reads
    std::vector<uint8_t> bytes_;     // or bytes held in memory
    uint64_t size_ = 0;

    bool is64Bit_ = false;
    std::vector<SectionRange> sections_;
    std::optional<ResourceDirectory> directory_; // absent: the module has no resources
    uint64_t directoryOffset_ = 0;               // of the root table in the file
    ResourceDirectoryTable root_;
    mutable std::map<uint32_t, std::unique_ptr<TypeNames>> names_;
    std::optional<NEResourceTable> ne_; // set for an NE module
};

} // namespace pictavo
