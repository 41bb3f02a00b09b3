// The template DLL carried in the program's storage, read back with our own PE code:
// every property new icon libraries rely on, and that the DLL is complete enough for
// Windows to load (imports, relocations, entry point, checksum).

#include "library/ProgramStorage.h"
#include "peres/PEResourceModule.h"
#include "util/Bytes.h"
#include "util/VersionBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace pictavo {
namespace {

constexpr uint32_t ImageBase = 0x00400000;

std::vector<uint8_t> TemplateBytes() {
    TStoredItem* item = ProgramStorage().FindStoredItem("DLL");
    if (item == nullptr)
        return {};
    MemoryStream out;
    item->SaveToStream(&out);
    return out.TakeBytes();
}

size_t Align4(size_t value) {
    return (value + 3) & ~size_t{3};
}

// The key of the version node at `offset` (ASCII keys only).
std::string NodeKey(const std::vector<uint8_t>& block, size_t offset) {
    std::string key;
    for (size_t at = offset + 6; at + 1 < block.size() && LoadU16(block.data() + at) != 0; at += 2)
        key.push_back(static_cast<char>(LoadU16(block.data() + at)));
    return key;
}

// The offsets of the children of the version node at `offset`.
std::vector<size_t> ChildOffsets(const std::vector<uint8_t>& block, size_t offset) {
    const size_t end = std::min(block.size(), offset + LoadU16(block.data() + offset));
    const size_t valueBytes = LoadU16(block.data() + offset + 4) == 1
                                  ? size_t{LoadU16(block.data() + offset + 2)} * 2
                                  : LoadU16(block.data() + offset + 2);
    const size_t valueStart = Align4(offset + 6 + 2 * (NodeKey(block, offset).size() + 1));
    std::vector<size_t> children;
    for (size_t child = Align4(valueStart + valueBytes); child + 6 <= end;) {
        const size_t length = LoadU16(block.data() + child);
        if (length == 0)
            break;
        children.push_back(child);
        child = Align4(child + length);
    }
    return children;
}

struct LoadedTemplate {
    std::vector<uint8_t> Bytes = TemplateBytes();
    TPEResourceModule Module;
    LoadedTemplate() { Module.ParseImage(Bytes.data(), Bytes.size()); }

    uint32_t Optional(size_t offset) const {
        return LoadU32(Module.OptionalHeader().data() + offset);
    }
    uint16_t Optional16(size_t offset) const {
        return LoadU16(Module.OptionalHeader().data() + offset);
    }
    // `size` bytes at an RVA inside one section's file content, or nullptr.
    const uint8_t* AtRva(uint32_t rva, uint32_t size) const {
        for (int i = 0; i < Module.SectionCount(); ++i) {
            const TImageSection& section = Module.Section(i);
            const uint64_t start = section.VirtualAddress();
            const std::vector<uint8_t>& raw = section.RawData().Bytes();
            if (rva >= start && RangeFits(rva - start, size, raw.size()))
                return raw.data() + (rva - start);
        }
        return nullptr;
    }
    std::string TextAtRva(uint32_t rva) const {
        std::string text;
        for (const uint8_t* c = AtRva(rva, 1); c != nullptr && *c != 0; c = AtRva(++rva, 1))
            text.push_back(static_cast<char>(*c));
        return text;
    }
};

TEST(TemplateDll, IsA17920ByteI386DllWithTheFixedHeaderValues) {
    LoadedTemplate t;
    ASSERT_EQ(t.Bytes.size(), 17920u);
    EXPECT_EQ(t.Bytes[0], 'M');
    EXPECT_EQ(t.Bytes[1], 'Z');
    const auto& coff = t.Module.COFFHeader();
    EXPECT_EQ(LoadU16(coff.data()), 0x014C);               // i386
    EXPECT_EQ(LoadU16(coff.data() + 18) & 0x2102, 0x2102); // DLL, 32-bit machine, executable
    EXPECT_EQ(t.Optional16(0), 0x010B);
    EXPECT_EQ(t.Optional(28), ImageBase);
    EXPECT_EQ(t.Optional(32), 0x1000u);
    EXPECT_EQ(t.Optional(36), 0x200u);
    EXPECT_EQ(t.Optional16(68), 2);                          // Windows GUI
    EXPECT_EQ(t.Optional16(70), 0x0140);                     // dynamic base, NX compatible
    EXPECT_EQ(t.Module.DataDirectory(0).VirtualAddress, 0u); // no exports
    EXPECT_EQ(t.Module.DataDirectory(0).Size, 0u);
}

TEST(TemplateDll, HasTheSevenSectionsInOrderWithTheResourcesLast) {
    LoadedTemplate t;
    const std::vector<std::string> expected = {".text",  ".itext", ".data", ".bss",
                                               ".idata", ".reloc", ".rsrc"};
    ASSERT_EQ(t.Module.SectionCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(t.Module.Section(i).Name(), expected[static_cast<size_t>(i)]);
    uint32_t offset = 0;
    TImageSection* resources = t.Module.ResourceSection(offset);
    EXPECT_EQ(resources, &t.Module.Section(6));
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(t.Module.Section(3).UninitializedTail(), 0x27ECu); // .bss has no file bytes
}

TEST(TemplateDll, ChecksumIsTheStandardImageChecksum) {
    LoadedTemplate t;
    const size_t checksumOffset = LoadU32(t.Bytes.data() + 60) + 24 + 64;
    EXPECT_NE(LoadU32(t.Bytes.data() + checksumOffset), 0u);
    EXPECT_EQ(LoadU32(t.Bytes.data() + checksumOffset),
              ImageChecksum(t.Bytes.data(), t.Bytes.size(), checksumOffset));
}

TEST(TemplateDll, EntryPointReturnsTrue) {
    LoadedTemplate t;
    const uint8_t expected[] = {0xB8, 0x01, 0x00, 0x00,
                                0x00, 0xC2, 0x0C, 0x00}; // mov eax,1; ret 0Ch
    const uint8_t* code = t.AtRva(t.Optional(16), sizeof expected);
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), code));
    for (int i = 0; i < t.Module.SectionCount(); ++i) { // the entry lies in a code section
        const TImageSection& s = t.Module.Section(i);
        const uint32_t entry = t.Optional(16);
        if (entry >= s.VirtualAddress() && entry < s.VirtualAddress() + s.VirtualSize()) {
            EXPECT_NE(s.Characteristics() & 0x20000000u, 0u) << s.Name();
        }
    }
}

TEST(TemplateDll, ImportsOnlyFromTheThreeSystemLibraries) {
    LoadedTemplate t;
    const TImageDataDirectory imports = t.Module.DataDirectory(1);
    std::set<std::string> libraries;
    for (uint32_t rva = imports.VirtualAddress;; rva += 20) {
        const uint8_t* descriptor = t.AtRva(rva, 20);
        ASSERT_NE(descriptor, nullptr);
        if (LoadU32(descriptor + 12) == 0)
            break;
        libraries.insert(t.TextAtRva(LoadU32(descriptor + 12)));
        // Lookup and address tables list the same hint/name entries, zero-terminated.
        for (uint32_t k = 0;; k += 4) {
            const uint8_t* lookup = t.AtRva(LoadU32(descriptor) + k, 4);
            const uint8_t* address = t.AtRva(LoadU32(descriptor + 16) + k, 4);
            ASSERT_NE(lookup, nullptr);
            ASSERT_NE(address, nullptr);
            EXPECT_EQ(LoadU32(lookup), LoadU32(address));
            if (LoadU32(lookup) == 0)
                break;
            EXPECT_FALSE(t.TextAtRva(LoadU32(lookup) + 2).empty());
        }
    }
    EXPECT_EQ(libraries, (std::set<std::string>{"kernel32.dll", "user32.dll", "advapi32.dll"}));
}

TEST(TemplateDll, EveryBaseRelocationFixesAnAddressInsideTheImage) {
    LoadedTemplate t;
    const TImageDataDirectory relocations = t.Module.DataDirectory(5);
    ASSERT_GT(relocations.Size, 0u);
    const uint32_t imageSize = t.Optional(56);
    int fixups = 0;
    for (uint32_t at = 0; at < relocations.Size;) {
        const uint8_t* block = t.AtRva(relocations.VirtualAddress + at, 8);
        ASSERT_NE(block, nullptr);
        const uint32_t page = LoadU32(block), size = LoadU32(block + 4);
        ASSERT_GE(size, 8u);
        ASSERT_EQ(size % 4, 0u);
        const uint8_t* entries = t.AtRva(relocations.VirtualAddress + at, size);
        ASSERT_NE(entries, nullptr);
        for (uint32_t e = 8; e < size; e += 2) {
            const uint16_t entry = LoadU16(entries + e);
            if (entry >> 12 == 0)
                continue;              // padding
            ASSERT_EQ(entry >> 12, 3); // HIGHLOW
            const uint8_t* target = t.AtRva(page + (entry & 0xFFF), 4);
            ASSERT_NE(target, nullptr);
            const uint32_t address = LoadU32(target);
            EXPECT_GE(address, ImageBase);
            EXPECT_LT(address, ImageBase + imageSize);
            ++fixups;
        }
        at += size;
    }
    EXPECT_GT(fixups, 0);
}

TEST(TemplateDll, HoldsExactlyTheVersionResource) {
    LoadedTemplate t;
    ASSERT_EQ(t.Module.Count(), 1);
    TResourceDetails& version = *t.Module.Item(0);
    EXPECT_EQ(version.Type(), "16");
    EXPECT_EQ(version.Name(), "1");
    EXPECT_EQ(version.Language(), 0x0405);
    EXPECT_EQ(version.CodePage(), 1252u);
    EXPECT_EQ(version.Characteristics(), 0u);
    EXPECT_EQ(version.Version(), 4u << 16); // 4.0

    const std::vector<uint8_t>& block = version.Data().Bytes();
    const auto fixedValue = QueryVersionValue(block.data(), block.size(), "\\");
    ASSERT_TRUE(fixedValue);
    const auto fixed = ParseFixedFileInfo(*fixedValue);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->FileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->FileVersionLS, 0u);
    EXPECT_EQ(fixed->ProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->ProductVersionLS, 0u);
    EXPECT_EQ(fixed->FileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->FileOS, 4u);
    EXPECT_EQ(fixed->FileType, 1u);

    const auto translation =
        QueryVersionValue(block.data(), block.size(), "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    ASSERT_EQ(translation->Size, 4u);
    EXPECT_EQ(LoadU16(translation->Data), 0x0405);
    EXPECT_EQ(LoadU16(translation->Data + 2), 0x04E2);

    const std::pair<const char*, const char*> strings[] = {
        {"CompanyName", ""},        {"FileDescription", "Icon Library"},
        {"FileVersion", "1.0.0.0"}, {"InternalName", ""},
        {"LegalTrademarks", ""},    {"OriginalFilename", ""},
        {"ProductName", ""},        {"ProductVersion", "1.0.0.0"},
        {"Comments", ""},
    };
    for (const auto& [key, text] : strings) {
        const auto value = QueryVersionValue(block.data(), block.size(),
                                             std::string("\\StringFileInfo\\040504E2\\") + key);
        const std::string found = value ? VersionValueText(*value) : std::string();
        EXPECT_EQ(found, text) << key;
    }
    // The string table holds exactly these keys, in this order.
    const size_t stringFileInfo = ChildOffsets(block, 0).at(0);
    const size_t table = ChildOffsets(block, stringFileInfo).at(0);
    EXPECT_EQ(NodeKey(block, stringFileInfo), "StringFileInfo");
    EXPECT_EQ(NodeKey(block, table), "040504E2");
    std::vector<std::string> keys;
    for (size_t child : ChildOffsets(block, table))
        keys.push_back(NodeKey(block, child));
    ASSERT_EQ(keys.size(), std::size(strings));
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i], strings[i].first);
}

TEST(TemplateDll, WrittenBackUnchangedGivesTheSingleResourceLayout) {
    LoadedTemplate t;
    MemoryStream out;
    t.Module.WriteToStream(out);
    TPEResourceModule written;
    written.ParseImage(out.Memory(), static_cast<size_t>(out.Size()));
    EXPECT_EQ(out.Size(), 17920);

    uint32_t offset = 0;
    const TImageSection* section = written.ResourceSection(offset);
    ASSERT_NE(section, nullptr);
    const std::vector<uint8_t>& rsrc = section->RawData().Bytes();
    ASSERT_GE(rsrc.size(), 0x60u);
    const uint32_t ids[] = {16, 1, 0x0405};
    for (uint32_t table = 0; table < 3; ++table) {
        const uint8_t* at = rsrc.data() + table * 24;
        EXPECT_EQ(LoadU32(at), 0u);     // Characteristics
        EXPECT_EQ(LoadU32(at + 4), 0u); // TimeDateStamp
        EXPECT_EQ(LoadU16(at + 8), 4);  // MajorVersion
        EXPECT_EQ(LoadU16(at + 10), 0); // MinorVersion
        EXPECT_EQ(LoadU16(at + 12), 0); // no named entries
        EXPECT_EQ(LoadU16(at + 14), 1); // one numeric entry
        EXPECT_EQ(LoadU32(at + 16), ids[table]);
        EXPECT_EQ(LoadU32(at + 20), table < 2 ? (0x80000000u | (table + 1) * 24) : 72u);
    }
    EXPECT_EQ(LoadU32(rsrc.data() + 72), section->VirtualAddress() + 0x60);
    EXPECT_EQ(LoadU32(rsrc.data() + 76), t.Module.Item(0)->Data().Bytes().size());
    EXPECT_EQ(LoadU32(rsrc.data() + 80), 1252u);
    EXPECT_EQ(LoadU32(rsrc.data() + 84), 0u);
    const std::vector<uint8_t>& block = t.Module.Item(0)->Data().Bytes();
    ASSERT_GE(rsrc.size(), 0x60 + block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), rsrc.begin() + 0x60));

    const size_t checksumOffset = LoadU32(out.Memory() + 60) + 24 + 64;
    EXPECT_EQ(LoadU32(out.Memory() + checksumOffset),
              ImageChecksum(out.Memory(), static_cast<size_t>(out.Size()), checksumOffset));
}

TEST(TemplateDll, LayoutStepReproducesItsHeadersExceptBaseOfData) {
    LoadedTemplate t;
    std::vector<uint8_t> expected = t.Module.OptionalHeader();
    std::vector<std::array<uint8_t, TImageSection::HeaderSize>> sections;
    for (int i = 0; i < t.Module.SectionCount(); ++i)
        sections.push_back(t.Module.Section(i).Header());
    MemoryStream out;
    t.Module.WriteToStream(out);
    TPEResourceModule written;
    written.ParseImage(out.Memory(), static_cast<size_t>(out.Size()));
    std::vector<uint8_t> actual = written.OptionalHeader();
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_EQ(LoadU32(expected.data() + 24), 0x5000u); // BaseOfData as written: .data
    EXPECT_EQ(LoadU32(actual.data() + 24), 0x4000u);   // as the layout step computes it
    for (size_t field : {size_t{24}, size_t{64}})      // BaseOfData and CheckSum differ
        StoreU32(expected.data() + field, 0), StoreU32(actual.data() + field, 0);
    EXPECT_EQ(actual, expected);
    ASSERT_EQ(written.SectionCount(), static_cast<int>(sections.size()));
    for (int i = 0; i < written.SectionCount(); ++i)
        EXPECT_EQ(written.Section(i).Header(), sections[static_cast<size_t>(i)]) << i;
}

} // namespace
} // namespace pictavo
