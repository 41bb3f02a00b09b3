// Damaged images made by editing bytes of icons32.dll: each is refused with the
// message that names its fault, and the read-only reader neither crashes nor reads
// outside the file.

#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"
#include "peres/PEResourceModule.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"

#include <gtest/gtest.h>

#include <functional>

namespace pictavo {
namespace {

using Image = std::vector<uint8_t>;

constexpr uint32_t NewHeader = 0x80;    // e_lfanew of icons32.dll
constexpr uint32_t Optional = 0x98;     // its optional header
constexpr uint32_t EdataHeader = 0x1F0; // the header of .edata, its fourth section
constexpr uint32_t Root = 0xE00;        // PointerToRawData of .rsrc: the root table
constexpr uint32_t TopBit = 0x80000000u;

// The file offset of the table that entry i of a table points to.
uint32_t Child(const Image& image, uint32_t table, uint32_t i) {
    return Root + (LoadU32(&image[table + 16 + 8 * i + 4]) & ~TopBit);
}
uint32_t EntryAt(uint32_t table, uint32_t i) {
    return table + 16 + 8 * i;
}
// The first language table of the first name of the first type (cursor 1).
uint32_t FirstLanguageTable(const Image& image) {
    return Child(image, Child(image, Root, 0), 0);
}

struct MalformedCase {
    const char* Name;
    std::function<void(Image&)> Edit;
    const char* Message;
    bool ReaderOpens;
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << c.Name;
}

const MalformedCase Cases[] = {
    {"DosSignature", [](Image& i) { i[0] = 'X'; }, "Invalid DOS signature", false},
    {"PeSignature", [](Image& i) { i[NewHeader] = 'X'; }, "Invalid COFF signature", false},
    {"NewHeaderOutside", [](Image& i) { StoreU32(&i[60], static_cast<uint32_t>(i.size())); },
     "图像无效", false},
    {"Truncated", [](Image& i) { i.resize(0x100); }, "图像无效", false},
    {"NoSections", [](Image& i) { StoreU16(&i[NewHeader + 6], 0); }, "图像无效", false},
    {"ZeroFileAlignment", [](Image& i) { StoreU32(&i[Optional + 36], 0); }, "图像无效", true},
    {"HugeFileAlignment", [](Image& i) { StoreU32(&i[Optional + 36], 0x40000000); }, "图像无效",
     true},
    {"DirectoryCountBeyondHeader", [](Image& i) { StoreU32(&i[Optional + 92], 0x10000000); },
     "图像无效", true},
    {"SectionBeyondFile", [](Image& i) { StoreU32(&i[EdataHeader + 16], 0x7FFFFE00); }, "图像无效",
     true},
    // Damage in a section other than the resources' hides no icon from the reader.
    {"SectionPointerBeyondFile", [](Image& i) { StoreU32(&i[EdataHeader + 20], 0xFFFFFE00); },
     "图像无效", true},
    {"AbsurdEntryCount", [](Image& i) { StoreU16(&i[Root + 14], 0xFFFF); },
     "Invalid resource directory: entry count beyond the resource section at offset 0x0", false},
    {"SubtableOutside", [](Image& i) { StoreU32(&i[EntryAt(Root, 0) + 4], TopBit | 0x7FFFFFF0); },
     "Invalid resource directory: table outside the resource section at offset 0x7FFFFFF0", true},
    {"Loop", [](Image& i) { StoreU32(&i[EntryAt(Child(i, Root, 0), 0) + 4], TopBit | 0); },
     "Invalid resource directory: table reached twice (loop) at offset 0x0", true},
    {"DataOutside",
     [](Image& i) {
         const uint32_t entry = Root + LoadU32(&i[EntryAt(FirstLanguageTable(i), 0) + 4]);
         StoreU32(&i[entry], 0xFFFFFF00);
     },
     "Invalid resource data: resource 1 of type 1 lies outside the resource section", true},
    {"DataTooLong",
     [](Image& i) {
         const uint32_t entry = Root + LoadU32(&i[EntryAt(FirstLanguageTable(i), 0) + 4]);
         StoreU32(&i[entry + 4], 0x10000000);
     },
     "Invalid resource data: resource 1 of type 1 lies outside the resource section", true},
    {"NamedLanguage",
     [](Image& i) {
         const uint32_t table = FirstLanguageTable(i);
         StoreU16(&i[table + 12], 1);
         StoreU16(&i[table + 14], 0);
     },
     "Unsupported non-integer language ID in resource", true},
    {"FourthLevel",
     [](Image& i) {
         const uint32_t slot = EntryAt(FirstLanguageTable(i), 0) + 4;
         StoreU32(&i[slot], LoadU32(&i[slot]) | TopBit);
     },
     "Invalid resource directory: more than three levels at offset 0x", true},
    {"NameOutside",
     [](Image& i) { StoreU32(&i[EntryAt(Child(i, Root, 4), 0)], TopBit | 0x7FFFFFF0); },
     "Invalid resource directory: name outside the resource section at offset 0x7FFFFFF0", true},
    {"NameTooLong",
     [](Image& i) {
         const uint32_t name = Root + (LoadU32(&i[EntryAt(Child(i, Root, 4), 0)]) & ~TopBit);
         StoreU16(&i[name], 0xFFFF);
     },
     "Invalid resource directory: name longer than the resource section at offset 0x", true},
};

class MalformedImage : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedImage, IsRefusedWithItsFault) {
    const MalformedCase& c = GetParam();
    Image image = test::PeFixtureBytes("icons32.dll");
    c.Edit(image);

    TPEResourceModule module;
    try {
        module.ParseImage(image.data(), image.size());
        ADD_FAILURE() << "accepted";
    } catch (const EPEException& e) {
        EXPECT_EQ(e.Message().rfind(c.Message, 0), 0u) << e.Message();
    }

    const auto reader = ModuleReader::FromMemory(image);
    EXPECT_EQ(reader != nullptr, c.ReaderOpens);
    if (!reader)
        return;
    // Every lookup stays inside the file: the sanitizers watch these reads.
    unsigned touched = 0;
    for (uint32_t type = 1; type <= 16; ++type) {
        reader->EnumResourceNames(type, [&](const ResourceName& name) {
            const auto found = name.IsNumeric ? reader->FindResource(name.Id, type)
                                              : reader->FindResource(name.Text, type);
            if (found && found->Size > 0)
                touched += found->Data[0] + found->Data[found->Size - 1];
            return true;
        });
    }
    (void)touched;
}

INSTANTIATE_TEST_SUITE_P(Edits, MalformedImage, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<MalformedCase>& param) {
                             return std::string(param.param.Name);
                         });

TEST(MalformedImage, ReaderSkipsADamagedEntryAndFindsTheRest) {
    Image image = test::PeFixtureBytes("icons32.dll");
    // Group 100's data points outside the file; APPICON and 101 are intact.
    const uint32_t names = Child(image, Root, 4);
    const uint32_t language = Child(image, names, 1);
    StoreU32(&image[Root + LoadU32(&image[EntryAt(language, 0) + 4])], 0xFFFFFF00);
    const auto reader = ModuleReader::FromMemory(image);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->FindResource(100, pe::RtGroupIcon));
    EXPECT_TRUE(reader->FindResource("APPICON", pe::RtGroupIcon));
    EXPECT_TRUE(reader->FindResource(101, pe::RtGroupIcon));
    int count = 0;
    reader->EnumResourceNames(pe::RtGroupIcon, [&](const ResourceName&) { return ++count > 0; });
    EXPECT_EQ(count, 3);
}

// A download or copy cut short keeps what lies before the cut: the groups whose data
// the file still holds are found, the one cut off is not, and the module still opens.
TEST(MalformedImage, FileCutShortKeepsTheResourcesBeforeTheCut) {
    Image image = test::PeFixtureBytes("icons32.dll");
    const auto intact = ModuleReader::FromMemory(image);
    ASSERT_NE(intact, nullptr);
    const std::vector<std::string> groups = {"APPICON", "#100", "#101"};
    size_t last = 0;
    uint64_t lastOffset = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        const auto found = intact->FindResource(groups[i], pe::RtGroupIcon);
        ASSERT_TRUE(found);
        if (found->FileOffset > lastOffset) {
            lastOffset = found->FileOffset;
            last = i;
        }
    }
    image.resize(image.size() - 1);
    const auto oneByteShort = ModuleReader::FromMemory(image);
    ASSERT_NE(oneByteShort, nullptr);
    for (const std::string& group : groups)
        EXPECT_TRUE(oneByteShort->FindResource(group, pe::RtGroupIcon));

    image.resize(lastOffset);
    const auto cut = ModuleReader::FromMemory(image);
    ASSERT_NE(cut, nullptr);
    for (size_t i = 0; i < groups.size(); ++i)
        EXPECT_EQ(bool(cut->FindResource(groups[i], pe::RtGroupIcon)), i != last) << i;
}

} // namespace
} // namespace pictavo
