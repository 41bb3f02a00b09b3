// Writes the template DLL that new icon libraries are made from, and the C++ source
// that carries it inside the program as the stored item "DLL".
// Usage: make_template_dll TEMPLATE.dll PAYLOAD.cpp
//
// The DLL is a complete 32-bit Windows DLL written field by field: DOS header and
// stub, PE headers, seven sections (.text, .itext, .data, .bss, .idata, .reloc,
// .rsrc), an entry point that returns TRUE, imports from kernel32, user32 and
// advapi32, base relocations for the import thunks, one version resource and a
// correct checksum. The resource section is last so that rebuilding it moves nothing
// else. The payload is the stored-item form: a zlib stream (default level) of the
// 32-bit byte count followed by the DLL.

#include "peres/PEFormat.h"
#include "peres/PEModule.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"
#include "util/VersionBlock.h"

#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace pictavo;

namespace {

constexpr uint32_t ImageBase = 0x00400000;
constexpr uint32_t SectionAlignment = 0x1000;
constexpr uint32_t FileAlignment = 0x200;
constexpr uint32_t TemplateSize = 17920;
constexpr uint32_t NewHeaderOffset = 0x80; // e_lfanew
constexpr uint32_t SectionCount = 7;
constexpr uint32_t HeadersSize = 0x400;

constexpr uint32_t OptionalHeaderSize = pe::DataDirectories32 + 16 * pe::DataDirectorySize;

uint32_t Align(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

void PutU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    StoreU16(bytes.data() + offset, value);
}
void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    StoreU32(bytes.data() + offset, value);
}
void PutText(std::vector<uint8_t>& bytes, size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<ptrdiff_t>(offset));
}

struct Section {
    std::string Name;
    uint32_t Characteristics = 0;
    std::vector<uint8_t> Content;  // file content, without padding
    uint32_t ExtraVirtualSize = 0; // memory beyond the content (.bss)
    uint32_t VirtualAddress = 0;
    uint32_t PointerToRawData = 0;

    uint32_t VirtualSize() const {
        return static_cast<uint32_t>(Content.size()) + ExtraVirtualSize;
    }
    uint32_t SizeOfRawData() const {
        return Align(static_cast<uint32_t>(Content.size()), FileAlignment);
    }
};

// The imported functions, one table per library, in the order of the import directory.
struct ImportedLibrary {
    const char* Name;
    std::vector<const char*> Functions;
};
const std::vector<ImportedLibrary> Imports = {
    {"kernel32.dll", {"GetModuleHandleA", "GetLastError"}},
    {"user32.dll", {"GetSystemMetrics"}},
    {"advapi32.dll", {"RegCloseKey"}},
};

struct ImportLayout {
    std::vector<uint8_t> Content;
    uint32_t DescriptorsSize = 0;
    uint32_t AddressTableOffset = 0;
    uint32_t AddressTableSize = 0;
    std::vector<uint32_t> SlotOffsets; // offset of each function's IAT slot, in order
};

// Descriptors, lookup tables, address tables, hint/name entries and library names,
// with every RVA computed from the section's address.
ImportLayout BuildImports(uint32_t sectionRva) {
    ImportLayout layout;
    size_t functionCount = 0;
    for (const ImportedLibrary& library : Imports)
        functionCount += library.Functions.size();
    const uint32_t tableSize = static_cast<uint32_t>((functionCount + Imports.size()) * 4);
    layout.DescriptorsSize = static_cast<uint32_t>((Imports.size() + 1) * 20);
    const uint32_t lookupOffset = layout.DescriptorsSize;
    layout.AddressTableOffset = lookupOffset + tableSize;
    layout.AddressTableSize = tableSize;
    uint32_t nameOffset = layout.AddressTableOffset + tableSize;

    std::vector<uint8_t> names;
    std::vector<uint8_t> tables(tableSize, 0);
    std::vector<uint8_t>& out = layout.Content;
    out.assign(layout.AddressTableOffset + tableSize, 0);

    auto addName = [&](const std::string& text, bool withHint) {
        const uint32_t rva = sectionRva + nameOffset + static_cast<uint32_t>(names.size());
        if (withHint) {
            names.push_back(0);
            names.push_back(0);
        }
        names.insert(names.end(), text.begin(), text.end());
        names.push_back(0);
        if (names.size() % 2 != 0)
            names.push_back(0);
        return rva;
    };

    uint32_t slot = 0;
    for (size_t i = 0; i < Imports.size(); ++i) {
        const uint32_t firstSlot = slot;
        for (const char* function : Imports[i].Functions) {
            const uint32_t hintName = addName(function, true);
            PutU32(out, lookupOffset + slot * 4, hintName);
            PutU32(out, layout.AddressTableOffset + slot * 4, hintName);
            layout.SlotOffsets.push_back(layout.AddressTableOffset + slot * 4);
            ++slot;
        }
        ++slot; // the zero entry that ends this library's tables
        const size_t descriptor = i * 20;
        PutU32(out, descriptor + 0,
               sectionRva + lookupOffset + firstSlot * 4);             // OriginalFirstThunk
        PutU32(out, descriptor + 12, addName(Imports[i].Name, false)); // Name
        PutU32(out, descriptor + 16, sectionRva + layout.AddressTableOffset + firstSlot * 4);
    }
    out.insert(out.end(), names.begin(), names.end());
    return layout;
}

// One thunk per imported function: jmp dword ptr [slot], padded with mov eax, eax.
std::vector<uint8_t> BuildThunks(const std::vector<uint32_t>& slotAddresses,
                                 std::vector<uint32_t>& fixupOffsets) {
    std::vector<uint8_t> code;
    for (uint32_t address : slotAddresses) {
        code.push_back(0xFF);
        code.push_back(0x25);
        fixupOffsets.push_back(static_cast<uint32_t>(code.size()));
        for (int shift = 0; shift < 32; shift += 8)
            code.push_back(static_cast<uint8_t>(address >> shift));
        code.push_back(0x8B);
        code.push_back(0xC0);
    }
    return code;
}

// One base-relocation block (HIGHLOW entries) for the page of the fixups.
std::vector<uint8_t> BuildRelocations(uint32_t pageRva, const std::vector<uint32_t>& fixups) {
    std::vector<uint16_t> entries;
    for (uint32_t offset : fixups)
        entries.push_back(static_cast<uint16_t>(0x3000 | offset));
    if (entries.size() % 2 != 0)
        entries.push_back(0); // IMAGE_REL_BASED_ABSOLUTE keeps the block a multiple of 4
    std::vector<uint8_t> block(8 + entries.size() * 2, 0);
    PutU32(block, 0, pageRva);
    PutU32(block, 4, static_cast<uint32_t>(block.size()));
    for (size_t i = 0; i < entries.size(); ++i)
        PutU16(block, 8 + i * 2, entries[i]);
    return block;
}

std::vector<uint8_t> BuildVersionBlock() {
    FixedFileInfo fixed;
    fixed.FileVersionMS = 0x00010000;
    fixed.FileVersionLS = 0;
    fixed.ProductVersionMS = 0x00010000;
    fixed.ProductVersionLS = 0;
    fixed.FileFlagsMask = 0x3F;
    fixed.FileOS = 4;   // 32-bit Windows
    fixed.FileType = 1; // application
    const uint32_t translation = 0x04E2u << 16 | 0x0405u;
    return EncodeVersionNode(MakeVersionTree(fixed, "040504E2",
                                             {
                                                 {"CompanyName", ""},
                                                 {"FileDescription", "Icon Library"},
                                                 {"FileVersion", "1.0.0.0"},
                                                 {"InternalName", ""},
                                                 {"LegalTrademarks", ""},
                                                 {"OriginalFilename", ""},
                                                 {"ProductName", ""},
                                                 {"ProductVersion", "1.0.0.0"},
                                                 {"Comments", ""},
                                             },
                                             translation));
}

// Root (types), name and language tables with one entry each, one data entry, the data
// at 0x60: the layout the resource writer produces for this one resource.
std::vector<uint8_t> BuildResources(uint32_t sectionRva) {
    const std::vector<uint8_t> block = BuildVersionBlock();
    constexpr uint32_t DataOffset = 0x60;
    std::vector<uint8_t> out(DataOffset, 0);
    auto table = [&](uint32_t at, uint32_t id, uint32_t target) {
        PutU32(out, at + 4, 0); // TimeDateStamp
        PutU16(out, at + 8, 4); // MajorVersion
        PutU16(out, at + 10, 0);
        PutU16(out, at + 12, 0); // named entries
        PutU16(out, at + 14, 1); // numeric entries
        PutU32(out, at + 16, id);
        PutU32(out, at + 20, target);
    };
    table(0, pe::RtVersion, 0x80000000u | 24);
    table(24, 1, 0x80000000u | 48);
    table(48, 0x0405, 72);
    PutU32(out, 72, sectionRva + DataOffset);
    PutU32(out, 76, static_cast<uint32_t>(block.size()));
    PutU32(out, 80, 1252);
    out.insert(out.end(), block.begin(), block.end());
    out.resize(Align(static_cast<uint32_t>(out.size()), 4), 0);
    return out;
}

const uint8_t DosStubCode[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                               0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};

void WriteDosPart(std::vector<uint8_t>& image) {
    PutU16(image, 0, pe::DosSignature);
    PutU16(image, 2, 0x90);    // bytes on the last page
    PutU16(image, 4, 3);       // pages
    PutU16(image, 8, 4);       // header paragraphs
    PutU16(image, 12, 0xFFFF); // maximum allocation
    PutU16(image, 16, 0xB8);   // initial SP
    PutU16(image, 24, 0x40);   // relocation table offset
    PutU32(image, pe::NewHeaderOffsetField, NewHeaderOffset);
    std::copy(std::begin(DosStubCode), std::end(DosStubCode), image.begin() + pe::DosHeaderSize);
    PutText(image, pe::DosHeaderSize + sizeof(DosStubCode),
            "This program cannot be run in DOS mode.\r\r\n$");
}

struct Totals {
    uint32_t Code = 0, Initialized = 0, Uninitialized = 0, ImageSize = 0;
};

Totals SumSections(const std::vector<Section>& sections) {
    Totals totals;
    for (const Section& section : sections) {
        const uint32_t size = Align(section.VirtualSize(), FileAlignment);
        if (section.Characteristics & pe::SectionCode)
            totals.Code += size;
        else if (section.Characteristics & pe::SectionInitializedData)
            totals.Initialized += size;
        else if (section.Characteristics & pe::SectionUninitializedData)
            totals.Uninitialized += size;
    }
    const Section& last = sections.back();
    totals.ImageSize = last.VirtualAddress + Align(last.VirtualSize(), SectionAlignment);
    return totals;
}

struct Directories {
    uint32_t ImportRva = 0, ImportSize = 0;
    uint32_t ResourceRva = 0, ResourceSize = 0;
    uint32_t RelocRva = 0, RelocSize = 0;
    uint32_t IatRva = 0, IatSize = 0;
};

void WriteHeaders(std::vector<uint8_t>& image, const std::vector<Section>& sections,
                  uint32_t entryPoint, const Directories& dirs) {
    PutU32(image, NewHeaderOffset, pe::PeSignature);
    const uint32_t coff = NewHeaderOffset + 4;
    PutU16(image, coff + 0, 0x014C); // i386
    PutU16(image, coff + pe::NumberOfSectionsField, SectionCount);
    PutU16(image, coff + pe::SizeOfOptionalHeaderField, OptionalHeaderSize);
    PutU16(image, coff + 18, 0x2102); // DLL | 32-bit machine | executable

    const Totals totals = SumSections(sections);
    const uint32_t opt = coff + pe::CoffHeaderSize;
    PutU16(image, opt + 0, pe::Pe32Magic);
    image[opt + 2] = 2; // linker version 2.25
    image[opt + 3] = 25;
    PutU32(image, opt + pe::SizeOfCodeField, totals.Code);
    PutU32(image, opt + pe::SizeOfInitializedDataField, totals.Initialized);
    PutU32(image, opt + pe::SizeOfUninitializedDataField, totals.Uninitialized);
    PutU32(image, opt + 16, entryPoint);
    PutU32(image, opt + pe::BaseOfCodeField, sections[0].VirtualAddress);
    PutU32(image, opt + pe::BaseOfDataField, sections[2].VirtualAddress); // .data
    PutU32(image, opt + 28, ImageBase);
    PutU32(image, opt + pe::SectionAlignmentField, SectionAlignment);
    PutU32(image, opt + pe::FileAlignmentField, FileAlignment);
    PutU16(image, opt + 40, 5); // operating system 5.1
    PutU16(image, opt + 42, 1);
    PutU16(image, opt + 48, 5); // subsystem 5.1
    PutU16(image, opt + 50, 1);
    PutU32(image, opt + pe::SizeOfImageField, totals.ImageSize);
    PutU32(image, opt + pe::SizeOfHeadersField, HeadersSize);
    PutU16(image, opt + 68, 2);      // Windows GUI
    PutU16(image, opt + 70, 0x0140); // dynamic base, NX compatible
    PutU32(image, opt + 72, 0x00100000);
    PutU32(image, opt + 76, 0x00004000);
    PutU32(image, opt + 80, 0x00100000);
    PutU32(image, opt + 84, 0x00001000);
    PutU32(image, opt + pe::NumberOfRvaAndSizesField32, 16);
    auto directory = [&](uint32_t index, uint32_t rva, uint32_t size) {
        const uint32_t at = opt + pe::DataDirectories32 + index * pe::DataDirectorySize;
        PutU32(image, at, rva);
        PutU32(image, at + 4, size);
    };
    directory(1, dirs.ImportRva, dirs.ImportSize);
    directory(pe::ResourceDirectoryIndex, dirs.ResourceRva, dirs.ResourceSize);
    directory(5, dirs.RelocRva, dirs.RelocSize);
    directory(12, dirs.IatRva, dirs.IatSize);

    uint32_t at = opt + OptionalHeaderSize;
    for (const Section& section : sections) {
        PutText(image, at, section.Name);
        PutU32(image, at + pe::VirtualSizeField, section.VirtualSize());
        PutU32(image, at + pe::VirtualAddressField, section.VirtualAddress);
        PutU32(image, at + pe::SizeOfRawDataField, section.SizeOfRawData());
        PutU32(image, at + pe::PointerToRawDataField, section.PointerToRawData);
        PutU32(image, at + pe::SectionCharacteristicsField, section.Characteristics);
        at += pe::SectionHeaderSize;
    }
}

// Places the sections one after the other from the first aligned address.
void PlaceSections(std::vector<Section>& sections) {
    uint32_t rva = SectionAlignment;
    uint32_t filePos = HeadersSize;
    for (Section& section : sections) {
        section.VirtualAddress = rva;
        section.PointerToRawData = filePos;
        filePos += section.SizeOfRawData();
        rva += Align(section.VirtualSize(), SectionAlignment);
    }
}

std::vector<uint8_t> BuildTemplate() {
    enum { Text, IText, Data, Bss, IData, Reloc, Rsrc };
    std::vector<Section> sections = {
        {".text", pe::SectionCode | pe::SectionExecute | pe::SectionRead, {}, 0, 0, 0},
        {".itext", pe::SectionCode | pe::SectionExecute | pe::SectionRead, {}, 0, 0, 0},
        {".data", pe::SectionInitializedData | pe::SectionRead | pe::SectionWrite, {}, 0, 0, 0},
        {".bss",
         pe::SectionUninitializedData | pe::SectionRead | pe::SectionWrite,
         {},
         0x27EC,
         0,
         0},
        {".idata", pe::SectionInitializedData | pe::SectionRead | pe::SectionWrite, {}, 0, 0, 0},
        {".reloc",
         pe::SectionInitializedData | pe::SectionDiscardable | pe::SectionRead,
         {},
         0,
         0,
         0},
        {".rsrc", pe::SectionInitializedData | pe::SectionRead, {}, 0, 0, 0},
    };
    // Sizes first (the content of .idata, .reloc and .rsrc depends on the addresses
    // only, never their size), then the addresses, then the real content.
    sections[Text].Content.assign(0x2B58, 0);
    sections[IText].Content = {0xB8, 0x01, 0x00, 0x00,
                               0x00, 0xC2, 0x0C, 0x00}; // mov eax,1; ret 0Ch
    sections[IData].Content = BuildImports(0).Content;
    sections[Rsrc].Content = BuildResources(0);
    std::vector<uint32_t> fixups;
    BuildThunks(std::vector<uint32_t>(BuildImports(0).SlotOffsets.size(), 0), fixups);
    sections[Reloc].Content = BuildRelocations(0, fixups);
    // .data takes whatever the file needs to reach its fixed size.
    uint32_t used = HeadersSize;
    for (const Section& section : sections)
        used += section.SizeOfRawData();
    if (used + FileAlignment > TemplateSize)
        throw Exception("template sections do not fit");
    sections[Data].Content.assign(TemplateSize - used, 0);
    PlaceSections(sections);

    const ImportLayout imports = BuildImports(sections[IData].VirtualAddress);
    sections[IData].Content = imports.Content;
    std::vector<uint32_t> slotAddresses;
    for (uint32_t offset : imports.SlotOffsets)
        slotAddresses.push_back(ImageBase + sections[IData].VirtualAddress + offset);
    fixups.clear();
    const std::vector<uint8_t> thunks = BuildThunks(slotAddresses, fixups);
    std::copy(thunks.begin(), thunks.end(), sections[Text].Content.begin());
    sections[Reloc].Content = BuildRelocations(sections[Text].VirtualAddress, fixups);
    sections[Rsrc].Content = BuildResources(sections[Rsrc].VirtualAddress);

    Directories dirs;
    dirs.ImportRva = sections[IData].VirtualAddress;
    dirs.ImportSize = imports.DescriptorsSize;
    dirs.IatRva = sections[IData].VirtualAddress + imports.AddressTableOffset;
    dirs.IatSize = imports.AddressTableSize;
    dirs.ResourceRva = sections[Rsrc].VirtualAddress;
    dirs.ResourceSize = sections[Rsrc].VirtualSize();
    dirs.RelocRva = sections[Reloc].VirtualAddress;
    dirs.RelocSize = sections[Reloc].VirtualSize();

    std::vector<uint8_t> image(TemplateSize, 0);
    WriteDosPart(image);
    WriteHeaders(image, sections, sections[IText].VirtualAddress, dirs);
    for (const Section& section : sections)
        std::copy(section.Content.begin(), section.Content.end(),
                  image.begin() + section.PointerToRawData);
    const size_t checksumOffset = NewHeaderOffset + 4 + pe::CoffHeaderSize + pe::CheckSumField;
    PutU32(image, checksumOffset, ImageChecksum(image.data(), image.size(), checksumOffset));
    return image;
}

// The stored-item payload: zlib at the default level over the count and the bytes.
std::vector<uint8_t> CompressPayload(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> input(4);
    PutU32(input, 0, static_cast<uint32_t>(file.size()));
    input.insert(input.end(), file.begin(), file.end());
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::vector<uint8_t> output(size);
    if (compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw Exception("compression failed");
    output.resize(size);
    return output;
}

void WriteFile(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    FILE* out = std::fopen(fileName.c_str(), "wb");
    if (!out)
        throw Exception("cannot create " + fileName);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written)
        throw Exception("cannot write " + fileName);
}

void WritePayloadSource(const std::string& fileName, uint32_t fileSize,
                        const std::vector<uint8_t>& payload) {
    std::string text = "// Generated by tools/make_template_dll; do not edit.\n"
                       "#include \"library/ProgramStorage.h\"\n\n"
                       "namespace pictavo {\n\nnamespace {\nconst uint8_t Payload[] = {";
    char buffer[16];
    for (size_t i = 0; i < payload.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%s0x%02X,", i % 12 == 0 ? "\n    " : " ", payload[i]);
        text += buffer;
    }
    text += "\n};\n} // namespace\n\n"
            "TEmbeddedItem EmbeddedTemplate() {\n"
            "    return {\"DLL\", \"Template.dll\", " +
            std::to_string(fileSize) +
            ", Payload, sizeof(Payload)};\n}\n\n"
            "} // namespace pictavo\n";
    WriteFile(fileName, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: make_template_dll TEMPLATE.dll PAYLOAD.cpp\n", stderr);
        return 2;
    }
    try {
        const std::vector<uint8_t> image = BuildTemplate();
        WriteFile(argv[1], image);
        WritePayloadSource(argv[2], static_cast<uint32_t>(image.size()), CompressPayload(image));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_template_dll: %s\n", error.what());
        return 1;
    }
    return 0;
}
