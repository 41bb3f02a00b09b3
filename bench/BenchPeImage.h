#pragma once
// PE32 DLLs made for benchmarks: a data section of filler bytes followed by a resource
// section holding the given resources (one language each), with the headers a reader
// checks. Header-only: each benchmark is one program.

#include "peres/PEFormat.h"
#include "util/Bytes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pictavo::bench {

constexpr uint32_t FileAlignment = 0x200;
constexpr uint32_t SectionAlignment = 0x1000;
constexpr uint32_t HeadersSize = 0x400;

struct Resource {
    uint32_t Type;
    uint32_t Id;
    std::vector<uint8_t> Bytes;
};

inline uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

inline void PutTableHeader(std::vector<uint8_t>& out, uint16_t idEntries) {
    AppendU32(out, 0); // characteristics
    AppendU32(out, 0); // time stamp
    AppendU32(out, 0); // version
    AppendU16(out, 0); // named entries
    AppendU16(out, idEntries);
}

// Root table, one name table per type, one language table per resource, the data
// entries, then the data. `resources` is sorted by type, then id.
inline std::vector<uint8_t> ResourceSection(const std::vector<Resource>& resources,
                                            uint32_t sectionRva) {
    std::vector<uint32_t> types;
    for (const Resource& r : resources)
        if (types.empty() || types.back() != r.Type)
            types.push_back(r.Type);
    const auto count = [&](uint32_t type) {
        return static_cast<uint32_t>(std::count_if(
            resources.begin(), resources.end(), [&](const Resource& r) { return r.Type == type; }));
    };
    const uint32_t n = static_cast<uint32_t>(resources.size());
    const uint32_t rootSize = 16 + 8 * static_cast<uint32_t>(types.size());
    const uint32_t languageTables = rootSize + 16 * static_cast<uint32_t>(types.size()) + 8 * n;
    const uint32_t dataEntries = languageTables + 24 * n;
    const uint32_t dataStart = dataEntries + 16 * n;

    std::vector<uint8_t> out;
    PutTableHeader(out, static_cast<uint16_t>(types.size()));
    uint32_t nameTable = rootSize;
    for (uint32_t type : types) {
        AppendU32(out, type);
        AppendU32(out, 0x80000000u | nameTable);
        nameTable += 16 + 8 * count(type);
    }
    uint32_t r = 0;
    for (uint32_t type : types) {
        PutTableHeader(out, static_cast<uint16_t>(count(type)));
        for (const Resource& resource : resources)
            if (resource.Type == type) {
                AppendU32(out, resource.Id);
                AppendU32(out, 0x80000000u | (languageTables + 24 * r++));
            }
    }
    for (r = 0; r < n; ++r) {
        PutTableHeader(out, 1);
        AppendU32(out, 0x0409);
        AppendU32(out, dataEntries + r * 16);
    }
    uint32_t offset = dataStart;
    for (const Resource& resource : resources) {
        AppendU32(out, sectionRva + offset);
        AppendU32(out, static_cast<uint32_t>(resource.Bytes.size()));
        AppendU32(out, 0);
        AppendU32(out, 0);
        offset = AlignUp(offset + static_cast<uint32_t>(resource.Bytes.size()), 8);
    }
    for (const Resource& resource : resources) {
        out.insert(out.end(), resource.Bytes.begin(), resource.Bytes.end());
        out.resize(AlignUp(static_cast<uint32_t>(out.size()), 8), 0);
    }
    return out;
}

// The bytes the resource section of these resources takes in the file.
inline uint32_t ResourceSectionFileSize(const std::vector<Resource>& resources) {
    return AlignUp(static_cast<uint32_t>(ResourceSection(resources, 0).size()), FileAlignment);
}

inline void PutSectionHeader(uint8_t* h, const char* name, uint32_t virtualSize, uint32_t rva,
                             uint32_t rawSize, uint32_t rawOffset) {
    for (int i = 0; i < 8 && name[i]; ++i)
        h[i] = static_cast<uint8_t>(name[i]);
    StoreU32(h + 8, virtualSize);
    StoreU32(h + 12, rva);
    StoreU32(h + 16, rawSize);
    StoreU32(h + 20, rawOffset);
    StoreU32(h + 36, 0x40000040); // initialised data, readable
}

// The DLL: `dataSize` filler bytes, then the resources; the file is `fileSize` bytes
// long, or just long enough when that is 0.
inline std::vector<uint8_t> DataAndResourcesDll(const std::vector<Resource>& resources,
                                                uint32_t dataSize, uint32_t fileSize) {
    const uint32_t dataRva = SectionAlignment;
    const uint32_t resourceRva = dataRva + AlignUp(dataSize, SectionAlignment);
    std::vector<uint8_t> section = ResourceSection(resources, resourceRva);
    const uint32_t resourceSize = static_cast<uint32_t>(section.size());
    section.resize(fileSize != 0 ? fileSize - HeadersSize - dataSize
                                 : AlignUp(resourceSize, FileAlignment),
                   0);

    // Headers (zeros until filled in), the data section's filler, the resources.
    std::vector<uint8_t> file(HeadersSize + dataSize, 0x5A);
    std::fill_n(file.begin(), HeadersSize, 0);
    file.insert(file.end(), section.begin(), section.end());
    StoreU16(file.data(), pe::DosSignature);
    StoreU32(file.data() + pe::NewHeaderOffsetField, 0x40);
    StoreU32(file.data() + 0x40, pe::PeSignature);
    uint8_t* coff = file.data() + 0x44;
    StoreU16(coff, 0x14C);
    StoreU16(coff + pe::NumberOfSectionsField, 2);
    StoreU16(coff + pe::SizeOfOptionalHeaderField, 224);
    StoreU16(coff + 18, 0x2102); // executable, 32-bit, DLL
    uint8_t* optional = coff + pe::CoffHeaderSize;
    StoreU16(optional, pe::Pe32Magic);
    StoreU32(optional + 28, 0x10000000); // image base
    StoreU32(optional + pe::SectionAlignmentField, SectionAlignment);
    StoreU32(optional + pe::FileAlignmentField, FileAlignment);
    StoreU32(optional + pe::SizeOfImageField,
             resourceRva + AlignUp(resourceSize, SectionAlignment));
    StoreU32(optional + pe::SizeOfHeadersField, HeadersSize);
    StoreU16(optional + 68, 2); // GUI subsystem
    StoreU32(optional + pe::NumberOfRvaAndSizesField32, 16);
    uint8_t* resourceDirectory =
        optional + pe::DataDirectories32 + pe::DataDirectorySize * pe::ResourceDirectoryIndex;
    StoreU32(resourceDirectory, resourceRva);
    StoreU32(resourceDirectory + 4, resourceSize);
    uint8_t* sections = optional + 224;
    PutSectionHeader(sections, ".data", dataSize, dataRva, dataSize, HeadersSize);
    PutSectionHeader(sections + 40, ".rsrc", resourceSize, resourceRva,
                     static_cast<uint32_t>(section.size()), HeadersSize + dataSize);
    return file;
}

} // namespace pictavo::bench
