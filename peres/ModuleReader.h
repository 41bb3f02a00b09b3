#pragma once
// Read-only resource access over a PE32 or PE32+ file or a 16-bit NE module: the
// stand-in for mapping a module as a data file and enumerating, finding and reading
// its resources.
//
// Opening maps the file and reads only the headers and the root of the resource
// directory; enumeration reads one name table; nothing touches resource data until
// a resource is asked for. Every offset, size and count is checked against the
// mapping: a malformed image is no module (Open answers nullptr) or the damaged entry
// is absent, never a read outside the file.

#include "peres/NEResourceTable.h"
#include "peres/ResourceDirectory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pictavo {

// The bytes of one resource, valid as long as the reader lives.
struct ResourceBytes {
    const uint8_t* Data = nullptr;
    uint32_t Size = 0;
};

class ModuleReader {
public:
    ~ModuleReader();
    ModuleReader(const ModuleReader&) = delete;
    ModuleReader& operator=(const ModuleReader&) = delete;

    // nullptr when the file cannot be opened, is not a PE module, or is malformed.
    static std::unique_ptr<ModuleReader> Open(const std::string& fileName);
    // The same over bytes held in memory (tests, fuzzing).
    static std::unique_ptr<ModuleReader> FromMemory(std::vector<uint8_t> bytes);

    // Names of one numeric resource type in directory order (named entries first, then
    // numeric ids as stored) until the callback answers false. A module without that
    // type, or whose name table is damaged, calls it never.
    void EnumResourceNames(uint32_t type,
                           const std::function<bool(const ResourceName&)>& callback) const;

    // By text name (compared without regard to ASCII case, as Windows does), or "#123"
    // meaning id 123; the first language. nullopt when absent or outside the file.
    std::optional<ResourceBytes> FindResource(const std::string& name, uint32_t type) const;
    std::optional<ResourceBytes> FindResource(uint32_t id, uint32_t type) const;

    bool Is64Bit() const { return is64Bit_; }

private:
    struct SectionRange {
        uint32_t VirtualAddress = 0;
        uint32_t VirtualSize = 0;
        uint32_t RawSize = 0;
        uint32_t RawOffset = 0;
    };

    ModuleReader() = default;
    bool Index();
    std::optional<ResourceDirectoryTable> NameTable(uint32_t type) const;
    std::optional<ResourceBytes> FirstLanguageData(const ResourceDirectoryEntry& nameEntry) const;
    std::optional<ResourceBytes> Find(const ResourceName& name, uint32_t type) const;
    const SectionRange* SectionOfRva(uint32_t rva) const;
    // 16-bit NE modules (ModuleReaderNE.cpp).
    bool IndexNE(uint32_t neOffset);
    void EnumNEResourceNames(uint32_t type,
                             const std::function<bool(const ResourceName&)>& callback) const;
    std::optional<ResourceBytes> FindNE(const ResourceName& name, uint32_t type) const;

    // The bytes of the file: either a read-only mapping or a vector held here.
    std::vector<uint8_t> owned_;
    void* mapping_ = nullptr;
    size_t mappingSize_ = 0;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;

    bool is64Bit_ = false;
    std::vector<SectionRange> sections_;
    std::optional<ResourceDirectory> directory_; // absent: the module has no resources
    ResourceDirectoryTable root_;
    std::optional<NEResourceTable> ne_; // set for an NE module
};

} // namespace pictavo
