#include "peres/ResourceDirectory.h"

#include "platform/CodePage.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <algorithm>

namespace pictavo {

namespace {

constexpr uint32_t TopBit = 0x80000000u;
constexpr int LanguageLevel = 2;

[[noreturn]] void Fault(const char* what, uint32_t offset) {
    throw EPEException(Format("Invalid resource directory: %s at offset 0x%X", what, offset));
}

} // namespace

ResourceDirectory::ResourceDirectory(const uint8_t* bytes, size_t size)
    : read_([bytes, size](uint64_t offset, size_t count, uint8_t* out) {
          if (!RangeFits(offset, count, size))
              return false;
          std::copy(bytes + offset, bytes + offset + count, out);
          return true;
      }),
      size_(size) {}

std::vector<uint8_t> ResourceDirectory::Fetch(uint64_t offset, uint64_t count) const {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    if (count != 0 && !read_(offset, bytes.size(), bytes.data()))
        Fault("bytes missing from the file", static_cast<uint32_t>(offset));
    return bytes;
}

ResourceDirectoryTable ResourceDirectory::ReadTable(uint32_t offset) const {
    if (!RangeFits(offset, TableHeaderSize, size_))
        Fault("table outside the resource section", offset);
    const std::vector<uint8_t> header = Fetch(offset, TableHeaderSize);
    const uint8_t* p = header.data();
    ResourceDirectoryTable table;
    table.Characteristics = LoadU32(p);
    table.TimeDateStamp = LoadU32(p + 4);
    table.MajorVersion = LoadU16(p + 8);
    table.MinorVersion = LoadU16(p + 10);
    table.NamedCount = LoadU16(p + 12);
    const uint32_t count = static_cast<uint32_t>(table.NamedCount) + LoadU16(p + 14);
    // The entries must lie inside the bytes, which also bounds absurd counts.
    const uint64_t entriesOffset = static_cast<uint64_t>(offset) + TableHeaderSize;
    const uint64_t entriesSize = static_cast<uint64_t>(count) * EntrySize;
    if (!RangeFits(entriesOffset, entriesSize, size_))
        Fault("entry count beyond the resource section", offset);
    const std::vector<uint8_t> entries = Fetch(entriesOffset, entriesSize);
    table.Entries.resize(count);
    const uint8_t* entry = entries.data();
    for (uint32_t i = 0; i < count; ++i, entry += EntrySize) {
        ResourceDirectoryEntry& e = table.Entries[i];
        e.IsNamed = i < table.NamedCount;
        const uint32_t name = LoadU32(entry);
        e.Name = e.IsNamed ? (name & ~TopBit) : name;
        const uint32_t data = LoadU32(entry + 4);
        e.IsDirectory = (data & TopBit) != 0;
        e.Offset = data & ~TopBit;
    }
    return table;
}

ResourceDataEntry ResourceDirectory::ReadDataEntry(uint32_t offset) const {
    if (!RangeFits(offset, DataEntrySize, size_))
        Fault("data entry outside the resource section", offset);
    const std::vector<uint8_t> bytes = Fetch(offset, DataEntrySize);
    const uint8_t* p = bytes.data();
    return ResourceDataEntry{LoadU32(p), LoadU32(p + 4), LoadU32(p + 8)};
}

std::string ResourceDirectory::ReadNameText(uint32_t offset) const {
    if (!RangeFits(offset, 2, size_))
        Fault("name outside the resource section", offset);
    const uint32_t length = LoadU16(Fetch(offset, 2).data());
    const uint64_t textOffset = static_cast<uint64_t>(offset) + 2;
    if (!RangeFits(textOffset, static_cast<uint64_t>(length) * 2, size_))
        Fault("name longer than the resource section", offset);
    const std::vector<uint8_t> text = Fetch(textOffset, static_cast<uint64_t>(length) * 2);
    std::u16string units;
    units.reserve(length);
    const uint8_t* p = text.data();
    for (uint32_t i = 0; i < length; ++i) {
        const char16_t unit = static_cast<char16_t>(LoadU16(p + 2 * i));
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    return platform::Utf16ToUtf8(units);
}

ResourceName ResourceDirectory::ReadEntryName(const ResourceDirectoryEntry& entry) const {
    ResourceName result;
    if (entry.IsNamed) {
        result.Text = ReadNameText(entry.Name);
    } else {
        result.IsNumeric = true;
        result.Id = entry.Name;
    }
    return result;
}

void ResourceDirectory::ForEachLeaf(const std::function<void(const ResourceLeaf&)>& visit) const {
    ResourceLeaf path;
    std::unordered_set<uint32_t> seen;
    Walk(0, 0, path, seen, visit);
}

void ResourceDirectory::Walk(uint32_t tableOffset, int level, ResourceLeaf& path,
                             std::unordered_set<uint32_t>& seen,
                             const std::function<void(const ResourceLeaf&)>& visit) const {
    // A table reached twice is a loop or a shared subtree; both would let a small
    // file describe an endless or enormous tree.
    if (!seen.insert(tableOffset).second)
        Fault("table reached twice (loop)", tableOffset);
    const ResourceDirectoryTable table = ReadTable(tableOffset);
    for (const ResourceDirectoryEntry& entry : table.Entries) {
        if (level == 0) {
            path.Type = ReadEntryName(entry);
        } else if (level == 1) {
            path.Name = ReadEntryName(entry);
        } else {
            if (entry.IsNamed)
                throw EPEException("Unsupported non-integer language ID in resource");
            path.Language = entry.Name;
        }
        if (entry.IsDirectory) {
            if (level == LanguageLevel)
                Fault("more than three levels", entry.Offset);
            Walk(entry.Offset, level + 1, path, seen, visit);
        } else {
            if (level != LanguageLevel)
                Fault("resource data above the language level", entry.Offset);
            path.Data = ReadDataEntry(entry.Offset);
            path.Characteristics = table.Characteristics;
            path.Version = table.Version();
            visit(path);
        }
    }
}

} // namespace pictavo
