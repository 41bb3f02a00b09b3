#include "peres/NEResourceTable.h"
#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <functional>

namespace pictavo {
namespace {

// tests/fixtures/ne, made by its make_ne.py.
std::string NeFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/ne/" + name;
}

std::vector<std::string> Names(const ModuleReader& reader, uint32_t type) {
    std::vector<std::string> names;
    reader.EnumResourceNames(type, [&](const ResourceName& name) {
        names.push_back(name.IsNumeric ? "#" + std::to_string(name.Id) : name.Text);
        return true;
    });
    return names;
}

// Field positions inside icons16.dll.
constexpr uint32_t NeOffset = 64;
uint32_t TableOffset(const std::vector<uint8_t>& file) {
    return NeOffset + LoadU16(file.data() + NeOffset + ne::ResourceTableField);
}

TEST(NEModule, EnumeratesInTableOrderAndFindsByIdAndName) {
    const auto reader = ModuleReader::Open(NeFixture("icons16.dll"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(Names(*reader, pe::RtGroupIcon),
              (std::vector<std::string>{"APPICON", "#100", "#101"}));
    EXPECT_EQ(Names(*reader, pe::RtGroupCursor), (std::vector<std::string>{"#200"}));
    EXPECT_EQ(Names(*reader, pe::RtIcon).size(), 6u);

    const auto byId = reader->FindResource(100, pe::RtGroupIcon);
    const auto byHash = reader->FindResource("#100", pe::RtGroupIcon);
    ASSERT_TRUE(byId && byHash);
    EXPECT_EQ(byId->FileOffset, byHash->FileOffset); // the same bytes of the file
    EXPECT_EQ(LoadU16(byId->Data + 4), 2);           // one.ico has two images
    // Lengths are whole alignment units (16 bytes here).
    EXPECT_EQ(byId->Size, 48u);

    const auto named = reader->FindResource("appicon", pe::RtGroupIcon);
    ASSERT_TRUE(named);
    EXPECT_EQ(LoadU16(named->Data + 2), 1); // an icon group
    EXPECT_FALSE(reader->FindResource(102, pe::RtGroupIcon));
    EXPECT_FALSE(reader->FindResource("OTHER", pe::RtGroupIcon));
}

TEST(NEModule, NamedTypesAreRead) {
    const std::vector<uint8_t> file = ReadFileBytes(NeFixture("icons16.dll"));
    const uint32_t table = TableOffset(file);
    const uint32_t size = LoadU16(file.data() + NeOffset + ne::ResidentNameTableField) -
                          LoadU16(file.data() + NeOffset + ne::ResourceTableField);
    const NEResourceTable read = NEResourceTable::Read(file.data() + table, size, file.size());
    const NEResourceType& last = read.Types().back();
    EXPECT_FALSE(last.Type.IsNumeric);
    EXPECT_EQ(last.Type.Text, "MYDATA");
    ASSERT_EQ(last.Resources.size(), 1u);
    const NEResource& data = last.Resources[0];
    EXPECT_EQ(std::string(file.begin() + data.Offset, file.begin() + data.Offset + 16),
              "sixteen-bit data");
}

// Damaged copies of icons16.dll: each must be no module, never a read outside the file.
struct DamageCase {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
};

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.what;
}

class NEModuleDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(NEModuleDamage, IsNoModule) {
    std::vector<uint8_t> file = ReadFileBytes(NeFixture("icons16.dll"));
    GetParam().damage(file);
    EXPECT_EQ(ModuleReader::FromMemory(std::move(file)), nullptr);
}

// The first type entry follows the 2-byte shift; its first resource entry follows it.
constexpr uint32_t FirstType = 2;
constexpr uint32_t FirstResource = FirstType + 8;

INSTANTIATE_TEST_SUITE_P(
    Cases, NEModuleDamage,
    testing::Values(
        DamageCase{"shift above 15", [](auto& f) { StoreU16(f.data() + TableOffset(f), 16); }},
        DamageCase{"header past the end", [](auto& f) { f.resize(NeOffset + 40); }},
        DamageCase{
            "table past the end of the file",
            [](auto& f) { StoreU16(f.data() + NeOffset + ne::ResidentNameTableField, 0xFFF0); }},
        DamageCase{"resident names before the resources",
                   [](auto& f) { StoreU16(f.data() + NeOffset + ne::ResidentNameTableField, 8); }},
        DamageCase{"type count running past the table",
                   [](auto& f) { StoreU16(f.data() + TableOffset(f) + FirstType + 2, 4000); }},
        DamageCase{"no end of the types", [](auto& f) {
                       // The table ends right behind the first type's resources.
                       const uint32_t tableAt = TableOffset(f);
                       const uint32_t count = LoadU16(f.data() + tableAt + FirstType + 2);
                       StoreU16(
                           f.data() + NeOffset + ne::ResidentNameTableField,
                           static_cast<uint16_t>(tableAt - NeOffset + FirstResource + 12 * count));
                   }}));

class NEResourceDamage : public testing::TestWithParam<DamageCase> {};

// One damaged resource entry leaves out that resource only: the module and every other
// resource stay (once one unrelated broken entry hid every icon of a library).
TEST_P(NEResourceDamage, LeavesOutThatResourceOnly) {
    const std::vector<uint8_t> intact = ReadFileBytes(NeFixture("icons16.dll"));
    std::vector<uint8_t> damaged = intact;
    GetParam().damage(damaged);
    const uint32_t firstType = LoadU16(intact.data() + TableOffset(intact) + FirstType) & 0x7FFF;
    const auto good = ModuleReader::FromMemory(intact);
    const auto bad = ModuleReader::FromMemory(std::move(damaged));
    ASSERT_NE(bad, nullptr);
    std::vector<std::string> expected = Names(*good, firstType);
    ASSERT_FALSE(expected.empty());
    expected.erase(expected.begin());
    EXPECT_EQ(Names(*bad, firstType), expected);
    for (uint32_t other : {pe::RtGroupIcon, pe::RtIcon}) {
        if (other != firstType) {
            EXPECT_EQ(Names(*bad, other), Names(*good, other));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NEResourceDamage,
    testing::Values(
        DamageCase{"entry past the end",
                   [](auto& f) { StoreU16(f.data() + TableOffset(f) + FirstResource, 0xFFFF); }},
        DamageCase{
            "length past the end",
            [](auto& f) { StoreU16(f.data() + TableOffset(f) + FirstResource + 2, 0xFFFF); }},
        DamageCase{"name past the table", [](auto& f) {
                       StoreU16(f.data() + TableOffset(f) + FirstResource + 6, 0x7FFF);
                   }}));

TEST(NEModule, EmptyTableAndCursorOnlyModules) {
    std::vector<uint8_t> file = ReadFileBytes(NeFixture("icons16.dll"));
    // Resource and resident-name tables at one place: a module without resources.
    StoreU16(file.data() + NeOffset + ne::ResidentNameTableField,
             LoadU16(file.data() + NeOffset + ne::ResourceTableField));
    const auto bare = ModuleReader::FromMemory(std::move(file));
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(Names(*bare, pe::RtGroupIcon).empty());

    const auto cursors = ModuleReader::Open(NeFixture("cursors16.dll"));
    ASSERT_NE(cursors, nullptr);
    EXPECT_TRUE(Names(*cursors, pe::RtGroupIcon).empty());
    EXPECT_EQ(Names(*cursors, pe::RtGroupCursor), (std::vector<std::string>{"#200"}));
}

} // namespace
} // namespace pictavo
