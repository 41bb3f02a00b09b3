#include "peres/NEResourceTable.h"

#include "platform/CaseFolding.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

namespace pictavo {

namespace {

constexpr uint32_t TypeEntryBytes = 8;      // type id, count, 4 reserved bytes
constexpr uint32_t ResourceEntryBytes = 12; // offset, length, flags, id, 4 reserved bytes
constexpr uint16_t NumericId = 0x8000;

bool SameName(const ResourceName& a, const ResourceName& b) {
    if (a.IsNumeric || b.IsNumeric)
        return a.IsNumeric == b.IsNumeric && a.Id == b.Id;
    return platform::SameText8(a.Text, b.Text);
}

[[noreturn]] void Fault(const char* what) {
    throw EPEException(std::string("Invalid NE resource table: ") + what);
}

// A length-prefixed 8-bit name at `offset` from the table start, as UTF-8 (each byte
// taken as Latin-1, so that any byte gives valid text).
std::string ReadName(const uint8_t* table, size_t tableSize, uint32_t offset) {
    if (offset >= tableSize)
        Fault("name past the table");
    const uint32_t length = table[offset];
    if (!RangeFits(uint64_t{offset} + 1, length, tableSize))
        Fault("name past the table");
    std::string text;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t c = table[offset + 1 + i];
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

ResourceName ReadId(const uint8_t* table, size_t tableSize, uint16_t id) {
    ResourceName name;
    if (id & NumericId) {
        name.IsNumeric = true;
        name.Id = id & ~NumericId;
    } else {
        name.Text = ReadName(table, tableSize, id);
    }
    return name;
}

std::string TypeText(const ResourceName& type) {
    return type.IsNumeric ? std::to_string(type.Id) : "\"" + type.Text + "\"";
}

// One resource entry, or nullopt with `damage` saying why it cannot be used.
std::optional<NEResource> ReadResource(const uint8_t* table, size_t tableSize,
                                       const uint8_t* entry, uint16_t shift, uint64_t fileSize,
                                       std::string& damage) {
    NEResource resource;
    resource.Offset = uint64_t{LoadU16(entry)} << shift;
    const uint64_t length = uint64_t{LoadU16(entry + 2)} << shift;
    if (!RangeFits(resource.Offset, length, fileSize)) {
        damage = "data past the end of the file";
        return std::nullopt;
    }
    resource.Length = static_cast<uint32_t>(length);
    resource.Flags = LoadU16(entry + 4);
    try {
        resource.Name = ReadId(table, tableSize, LoadU16(entry + 6));
    } catch (const EPEException&) {
        damage = "name past the table";
        return std::nullopt;
    }
    return resource;
}

} // namespace

NEResourceTableRange FindNEResourceTable(const uint8_t* header, uint64_t neOffset,
                                         uint64_t fileSize) {
    const uint16_t resources = LoadU16(header + ne::ResourceTableField);
    const uint16_t residentNames = LoadU16(header + ne::ResidentNameTableField);
    if (resources == residentNames)
        return {};
    if (residentNames < resources)
        Fault("resident-name table before the resource table");
    NEResourceTableRange range{neOffset + resources, uint64_t{residentNames} - resources};
    if (!RangeFits(range.Offset, range.Size, fileSize))
        Fault("table past the end of the file");
    return range;
}

NEResourceTable NEResourceTable::Read(const uint8_t* table, size_t tableSize, uint64_t fileSize) {
    if (tableSize < 2)
        Fault("no alignment shift");
    const uint16_t shift = LoadU16(table);
    if (shift > ne::MaxAlignmentShift)
        Fault("alignment shift above 15");
    NEResourceTable result;
    size_t at = 2;
    for (;;) {
        if (!RangeFits(at, 2, tableSize))
            Fault("table runs past its end");
        const uint16_t typeId = LoadU16(table + at);
        if (typeId == 0)
            break;
        if (!RangeFits(at, TypeEntryBytes, tableSize))
            Fault("table runs past its end");
        const uint16_t count = LoadU16(table + at + 2);
        at += TypeEntryBytes;
        if (!RangeFits(at, uint64_t{count} * ResourceEntryBytes, tableSize))
            Fault("table runs past its end");
        NEResourceType type;
        type.Type = ReadId(table, tableSize, typeId);
        type.Resources.reserve(count);
        for (uint32_t i = 0; i < count; ++i, at += ResourceEntryBytes) {
            // A damaged entry is left out on its own: the good resources beside it (the
            // icons of a library whose unrelated entry is broken) stay usable.
            std::string damage;
            std::optional<NEResource> resource = ReadResource(table, tableSize, table + at, shift,
                                                              fileSize, damage);
            if (resource)
                type.Resources.push_back(std::move(*resource));
            else
                result.damaged_.push_back(
                    Format("resource %u of type %s: %s", i, TypeText(type.Type).c_str(),
                           damage.c_str()));
        }
        result.types_.push_back(std::move(type));
    }
    return result;
}

const NEResourceType* NEResourceTable::FindType(uint32_t type) const {
    for (const NEResourceType& t : types_)
        if (t.Type.IsNumeric && t.Type.Id == type)
            return &t;
    return nullptr;
}

const NEResource* NEResourceTable::Find(const ResourceName& name, uint32_t type) const {
    const NEResourceType* resources = FindType(type);
    if (resources == nullptr)
        return nullptr;
    for (const NEResource& resource : resources->Resources)
        if (SameName(resource.Name, name))
            return &resource;
    return nullptr;
}

} // namespace pictavo
