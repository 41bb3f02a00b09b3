#include "peres/PEResourceModule.h"
#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace pictavo {
namespace {

using test::PeFixtureBytes;

constexpr uint32_t SectionVA = 0x6000; // of .rsrc in noicons32.dll, its last section

std::unique_ptr<TPEResourceModule> ParseBytes(const std::vector<uint8_t>& image) {
    auto module = std::make_unique<TPEResourceModule>();
    module->ParseImage(image.data(), image.size());
    return module;
}

std::vector<uint8_t> WriteToBytes(TPEModule& module) {
    MemoryStream out;
    module.WriteToStream(out);
    return out.TakeBytes();
}

void AddResource(TResourceModule& module, const std::string& type, const std::string& name,
                 int32_t language, const std::string& bytes, uint32_t codePage = 1252) {
    auto resource =
        CreateWithData<TResourceDetails>(&module, language, name, type, bytes.size(),
                                         reinterpret_cast<const uint8_t*>(bytes.data()));
    resource->SetCodePage(codePage);
    module.Append(std::move(resource));
}

// noicons32.dll with its string table removed: an empty resource list to fill.
std::unique_ptr<TPEResourceModule> EmptyModule() {
    auto module = ParseBytes(PeFixtureBytes("noicons32.dll"));
    while (module->Count() > 0)
        module->RemoveAt(0);
    return module;
}

// The rebuilt resource section of a written image.
std::vector<uint8_t> WrittenSection(TPEResourceModule& module) {
    WriteToBytes(module);
    uint32_t offset = 0;
    const TImageSection* section = module.ResourceSection(offset);
    EXPECT_NE(section, nullptr);
    EXPECT_EQ(offset, 0u);
    return section->RawData().Bytes();
}

std::string Describe(const TResourceDetails& r) {
    return r.Type() + "/" + r.Name() + "/" + std::to_string(r.Language());
}

TEST(PEResourceModule, DecodesResourcesInDirectoryOrder) {
    const auto module = ParseBytes(PeFixtureBytes("icons32.dll"));
    std::vector<std::string> groups;
    std::vector<std::string> types;
    for (int i = 0; i < module->Count(); ++i) {
        const TResourceDetails& r = *module->Item(i);
        if (types.empty() || types.back() != r.Type())
            types.push_back(r.Type());
        if (r.Type() == "14")
            groups.push_back(r.Name());
        EXPECT_EQ(r.Owner(), module.get());
        EXPECT_EQ(r.Language(), 1033) << Describe(r);
        EXPECT_EQ(r.CodePage(), 0u) << Describe(r); // as windres writes it
    }
    EXPECT_EQ(types, (std::vector<std::string>{"1", "2", "3", "12", "14", "16"}));
    EXPECT_EQ(groups, (std::vector<std::string>{"APPICON", "100", "101"}));
}

TEST(PEResourceModule, RewrittenImageKeepsOtherSectionsAndEveryResource) {
    const std::vector<uint8_t> original = PeFixtureBytes("icons32.dll");
    const auto module = ParseBytes(original);
    const std::vector<uint8_t> written = WriteToBytes(*module);
    const auto reread = ParseBytes(written);

    ASSERT_EQ(reread->Count(), module->Count());
    for (int i = 0; i < module->Count(); ++i) {
        const TResourceDetails& a = *module->Item(i);
        const TResourceDetails& b = *reread->Item(i);
        EXPECT_EQ(Describe(a), Describe(b));
        EXPECT_EQ(a.CodePage(), b.CodePage());
        EXPECT_EQ(a.Data().Bytes(), b.Data().Bytes()) << Describe(a);
    }
    for (int i = 0; i + 1 < module->SectionCount(); ++i) // all but .rsrc, the last
        EXPECT_EQ(reread->Section(i).RawData().Bytes(), module->Section(i).RawData().Bytes());
    // The data directory describes the new content exactly.
    uint32_t offset = 0;
    const TImageSection* section = reread->ResourceSection(offset);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(reread->DataDirectory(pe::ResourceDirectoryIndex).Size,
              section->RawData().Bytes().size());
    // And the read-only reader finds the groups in the written image.
    const auto reader = ModuleReader::FromMemory(written);
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(reader->FindResource("APPICON", pe::RtGroupIcon));
    EXPECT_TRUE(reader->FindResource("#101", pe::RtGroupIcon));
}

TEST(PEResourceModule, SingleResourceLayout) {
    // One version resource: three tables of 24 bytes, one data entry at 72, no names,
    // the data at 96 (0x60).
    const auto module = EmptyModule();
    AddResource(*module, "16", "1", 1029, std::string(50, 'v'));
    const std::vector<uint8_t> s = WrittenSection(*module);
    ASSERT_EQ(s.size(), 96u + 52u);
    for (uint32_t table : {0u, 24u, 48u}) {
        EXPECT_EQ(LoadU32(&s[table]), 0u);     // Characteristics
        EXPECT_EQ(LoadU32(&s[table + 4]), 0u); // TimeDateStamp, kept from the old root
        EXPECT_EQ(LoadU16(&s[table + 12]), 0); // no named entries
        EXPECT_EQ(LoadU16(&s[table + 14]), 1);
    }
    EXPECT_EQ(LoadU32(&s[16]), 16u);
    EXPECT_EQ(LoadU32(&s[20]), 0x80000000u | 24);
    EXPECT_EQ(LoadU32(&s[40]), 1u);
    EXPECT_EQ(LoadU32(&s[44]), 0x80000000u | 48);
    EXPECT_EQ(LoadU32(&s[64]), 1029u);
    EXPECT_EQ(LoadU32(&s[68]), 72u);
    EXPECT_EQ(LoadU32(&s[72]), SectionVA + 96);
    EXPECT_EQ(LoadU32(&s[76]), 50u);
    EXPECT_EQ(LoadU32(&s[80]), 1252u);
    EXPECT_EQ(s[96], 'v');
    const TImageDataDirectory directory = module->DataDirectory(pe::ResourceDirectoryIndex);
    EXPECT_EQ(directory.VirtualAddress, SectionVA);
    EXPECT_EQ(directory.Size, 96u + 52u);
}

TEST(PEResourceModule, KeepsRootStampAndVersions) {
    std::vector<uint8_t> image = PeFixtureBytes("noicons32.dll");
    const uint32_t root = 0xE00; // PointerToRawData of .rsrc
    StoreU32(&image[root + 4], 0x12345678);
    StoreU16(&image[root + 8], 4);
    StoreU16(&image[root + 10], 1);
    const auto module = ParseBytes(image);
    const std::vector<uint8_t> s = WrittenSection(*module);
    for (uint32_t table : {0u, 24u, 48u}) {
        EXPECT_EQ(LoadU32(&s[table + 4]), 0x12345678u);
        EXPECT_EQ(LoadU16(&s[table + 8]), 4);
        EXPECT_EQ(LoadU16(&s[table + 10]), 1);
    }
}

TEST(PEResourceModule, LanguagesShareTheirTypeAndName) {
    const auto module = EmptyModule();
    AddResource(*module, "16", "1", 1033, "a");
    AddResource(*module, "16", "1", 1029, "b");
    const std::vector<uint8_t> s = WrittenSection(*module);
    // root (24) + name table (24) + language table with two entries (32)
    EXPECT_EQ(LoadU16(&s[48 + 14]), 2);
    EXPECT_EQ(LoadU32(&s[64]), 1033u);
    EXPECT_EQ(LoadU32(&s[72]), 1029u);
    EXPECT_EQ(LoadU32(&s[68]), 80u); // data entries follow the 80 bytes of tables
    EXPECT_EQ(LoadU32(&s[76]), 96u);
}

TEST(PEResourceModule, NamedTypeComesFirstWithItsNameAfterTheDataEntries) {
    const auto module = EmptyModule();
    AddResource(*module, "16", "1", 0, "x");
    AddResource(*module, "MYTYPE", "1", 0, "y");
    const std::vector<uint8_t> s = WrittenSection(*module);
    EXPECT_EQ(LoadU16(&s[12]), 1); // one named entry
    EXPECT_EQ(LoadU16(&s[14]), 1);
    // 5 tables: root with 2 entries (32), then 4 tables of one entry (24 each) = 128;
    // two data entries (32), so the name string is at 160.
    const uint32_t nameField = LoadU32(&s[16]);
    EXPECT_EQ(nameField, 0x80000000u | 160);
    EXPECT_EQ(LoadU16(&s[160]), 6);
    EXPECT_EQ(s[162], 'M');
    EXPECT_EQ(LoadU32(&s[24]), 16u); // the numeric type after it
    // The MYTYPE subtree is written first (depth first, named entries first).
    EXPECT_EQ(LoadU32(&s[20]), 0x80000000u | 32);
    const auto reread = ParseBytes(WriteToBytes(*module));
    ASSERT_EQ(reread->Count(), 2);
    EXPECT_EQ(reread->Item(0)->Type(), "MYTYPE");
}

TEST(PEResourceModule, DuplicateTripleKeepsLaterDataAndEarlierCodePage) {
    const auto module = EmptyModule();
    AddResource(*module, "16", "1", 0, "first", 1250);
    AddResource(*module, "16", "1", 0, "second", 1251);
    const auto reread = ParseBytes(WriteToBytes(*module));
    ASSERT_EQ(reread->Count(), 1);
    const std::vector<uint8_t>& data = reread->Item(0)->Data().Bytes();
    EXPECT_EQ(std::string(data.begin(), data.end()), "second");
    EXPECT_EQ(reread->Item(0)->CodePage(), 1250u);
}

TEST(PEResourceModule, DataBlocksStartAtMultiplesOfFour) {
    const auto module = EmptyModule();
    AddResource(*module, "10", "1", 0, "a");
    AddResource(*module, "10", "2", 0, "bbbbb");
    AddResource(*module, "10", "3", 0, "c");
    const std::vector<uint8_t> s = WrittenSection(*module);
    // root 24 + names table 40 + three language tables 72 = 136; 3 entries end at 184;
    // data start rounded to 16: 192.
    const uint32_t entries = 136;
    EXPECT_EQ(LoadU32(&s[entries]) - SectionVA, 192u);
    EXPECT_EQ(LoadU32(&s[entries + 16]) - SectionVA, 196u);
    EXPECT_EQ(LoadU32(&s[entries + 32]) - SectionVA, 204u);
    EXPECT_EQ(s.size(), 208u);
}

TEST(PEResourceModule, SevenIsNumericButZeroZeroSevenIsAName) {
    const auto module = EmptyModule();
    AddResource(*module, "3", "007", 0, "a");
    AddResource(*module, "3", "7", 0, "b");
    const auto reread = ParseBytes(WriteToBytes(*module));
    ASSERT_EQ(reread->Count(), 2);
    EXPECT_EQ(reread->Item(0)->Name(), "007"); // named entries first
    EXPECT_EQ(reread->Item(1)->Name(), "7");
}

TEST(PEResourceModule, UnwritableNamesRaiseConversionErrors) {
    for (const char* name : {"", "99999999999"}) {
        const auto module = EmptyModule();
        AddResource(*module, "3", name, 0, "a");
        MemoryStream out;
        EXPECT_THROW(module->WriteToStream(out), EConvertError) << name;
    }
}

TEST(PEResourceModule, RefusesImagesItCannotRebuild) {
    struct Case {
        TImageDataDirectory Directory;
        const char* Message;
    };
    const Case cases[] = {
        {{SectionVA + 0x10, 0x88},
         "Cannot write the image: its resource directory starts at offset 0x10 of section "
         ".rsrc, not at its beginning"},
    };
    for (const Case& c : cases) {
        const auto module = ParseBytes(PeFixtureBytes("noicons32.dll"));
        module->SetDataDirectory(pe::ResourceDirectoryIndex, c.Directory);
        MemoryStream out;
        try {
            module->WriteToStream(out);
            ADD_FAILURE() << "not refused: " << c.Message;
        } catch (const EPEException& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_EQ(out.Size(), 0);
    }
}

TEST(PEResourceModule, GrowingTheSectionUpdatesSizes) {
    const std::vector<uint8_t> original = PeFixtureBytes("noicons32.dll");
    const auto module = ParseBytes(original);
    AddResource(*module, "10", "1", 0, std::string(0x1800, 'z'));
    const std::vector<uint8_t> written = WriteToBytes(*module);
    const auto reread = ParseBytes(written);
    uint32_t offset = 0;
    const TImageSection* section = reread->ResourceSection(offset);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->VirtualAddress(), SectionVA);
    EXPECT_EQ(section->SizeOfRawData() % 0x200, 0u);
    EXPECT_GT(section->VirtualSize(), 0x1800u);
    const uint32_t optional = LoadU32(&written[60]) + 24;
    EXPECT_EQ(LoadU32(&written[optional + pe::SizeOfImageField]),
              SectionVA + ((section->VirtualSize() + 0xFFF) & ~0xFFFu));
    EXPECT_EQ(written.size(), section->PointerToRawData() + section->SizeOfRawData());
}

TEST(PEResourceModule, DirectoryAfterTheSectionStartIsReadButNotWritten) {
    // Move the directory of noicons32.dll 0x20 bytes into its section: offsets inside
    // the tree stay relative to the root, the data RVA and the data directory move.
    std::vector<uint8_t> image = PeFixtureBytes("noicons32.dll");
    const uint32_t raw = 0xE00, shift = 0x20, rsrcHeader = 0x178 + 5 * 40;
    const uint32_t used = LoadU32(&image[rsrcHeader + 8]);
    std::copy_backward(image.begin() + raw, image.begin() + raw + used,
                       image.begin() + raw + used + shift);
    std::fill(image.begin() + raw, image.begin() + raw + shift, 0);
    StoreU32(&image[rsrcHeader + 8], used + shift);
    const uint32_t dataEntry = raw + shift + 0x48; // the one data entry of the tree
    StoreU32(&image[dataEntry], LoadU32(&image[dataEntry]) + shift);
    const uint32_t directory = 0x80 + 24 + pe::DataDirectories32 + 2 * 8;
    StoreU32(&image[directory], SectionVA + shift);

    const auto module = ParseBytes(image);
    ASSERT_EQ(module->Count(), 1);
    EXPECT_EQ(module->Item(0)->Type(), "6");
    const auto reader = ModuleReader::FromMemory(image);
    ASSERT_NE(reader, nullptr);
    const auto found = reader->FindResource(1, 6);
    ASSERT_TRUE(found);
    EXPECT_EQ(std::vector<uint8_t>(found->Data, found->Data + found->Size),
              module->Item(0)->Data().Bytes());
    MemoryStream out;
    EXPECT_THROW(module->WriteToStream(out), EPEException);
}

// PE32+ images are read and written as PE32 ones are: their data directories follow
// the wider optional header.
TEST(PEModule, ReadsAndWritesPe32Plus) {
    const std::vector<uint8_t> image = PeFixtureBytes("icons64.dll");
    TPEResourceModule module;
    module.ParseImage(image.data(), image.size());
    EXPECT_TRUE(module.IsPe32Plus());
    EXPECT_EQ(module.DataDirectoryCount(), 16u);
    ASSERT_NE(test::Find(module, "14", "7"), nullptr);
    MemoryStream out;
    module.WriteToStream(out);
    // The sections before the resources keep their bytes; the resources read back alike.
    const uint32_t firstResourceByte = module.Section(6).PointerToRawData();
    ASSERT_EQ(module.Section(6).Name(), ".rsrc");
    ASSERT_EQ(out.Bytes().size(), image.size());
    EXPECT_TRUE(std::equal(image.begin() + 0x400, image.begin() + firstResourceByte,
                           out.Bytes().begin() + 0x400));
    TPEResourceModule reread;
    reread.ParseImage(out.Bytes().data(), out.Bytes().size());
    ASSERT_EQ(reread.Count(), module.Count());
    for (int i = 0; i < module.Count(); ++i)
        EXPECT_EQ(reread.Item(i)->Data().Bytes(), module.Item(i)->Data().Bytes()) << i;
}

TEST(PEModule, DataDirectoryIndexIsChecked) {
    const auto module = ParseBytes(PeFixtureBytes("noicons32.dll"));
    EXPECT_EQ(module->DataDirectoryCount(), 16u);
    try {
        module->DataDirectory(16);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "Index exceeds data dictionary count");
    }
}

} // namespace
} // namespace pictavo

namespace pictavo {
namespace {

// A module read from a file keeps its sections in the file until they are written; the
// result is the one of a module read into memory.
TEST(PEModule, AFileReadInPlaceIsWrittenAsOneReadIntoMemory) {
    const std::string program = std::string(PICTAVO_FIXTURES) + "/program/prog64s.exe";
    const std::vector<uint8_t> bytes = ReadFileBytes(program);
    TPEResourceModule fromFile, fromMemory;
    fromFile.ReadFromFile(program);
    fromMemory.ParseImage(bytes.data(), bytes.size());
    for (TPEResourceModule* module : {&fromFile, &fromMemory}) {
        std::vector<uint8_t> data(5000, 0x42);
        module->Append(CreateWithData<TResourceDetails>(module, 0, "EXTRA", "10", data.size(),
                                                        data.data()));
    }
    MemoryStream a, b;
    fromFile.WriteToStream(a);
    fromMemory.WriteToStream(b);
    EXPECT_EQ(a.Bytes(), b.Bytes());
    EXPECT_EQ(fromFile.Overlay(), fromMemory.Overlay());
    EXPECT_EQ(fromFile.Overlay().size(), 3000u);
}

} // namespace
} // namespace pictavo
