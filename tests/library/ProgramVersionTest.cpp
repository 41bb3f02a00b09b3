// version --set's core on the MinGW-built programs of tests/fixtures/program: the strings
// go into every string table, the numbers into the fixed part, and the rest of the
// program keeps its bytes.

#include "library/PrivateTempFolder.h"
#include "library/ProgramVersion.h"
#include "peres/VersionInfo.h"
#include "tests/library/ProgramChecks.h"
#include "util/VersionBlock.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

std::string StringOf(const TPEResourceModule& module, const std::string& table,
                     const std::string& key) {
    const TResourceDetails* version = test::Find(module, "16", "1");
    if (version == nullptr)
        return "(none)";
    const std::vector<uint8_t>& block = version->Data().Bytes();
    const auto value =
        QueryVersionValue(block.data(), block.size(), "\\StringFileInfo\\" + table + "\\" + key);
    return value ? VersionValueText(*value) : "(none)";
}

struct VersionCase {
    const char* Program;
    std::vector<std::string> Tables; // the string tables the program ends with
    bool Created;
};

class ProgramVersionCases : public testing::TestWithParam<VersionCase> {};

TEST_P(ProgramVersionCases, StringsGoIntoEveryTableAndTheRestKeepsItsBytes) {
    const VersionCase& c = GetParam();
    TPrivateTempFolder work;
    const std::string program = work.Path() + "app.exe";
    WriteFileBytes(program, ReadFileBytes(test::ProgramFixture(c.Program)));
    const std::vector<uint8_t> original = ReadFileBytes(program);

    TProgramVersionChange change;
    change.ProgramFileName = program;
    change.Strings = {{"FileDescription", "描述 Game"}, {"originalfilename", "game.exe"},
                      {"CompanyName", ""}};
    change.FileVersion = TFourPartVersion{2, 3, 4, 5};
    change.ProductVersion = TFourPartVersion{7, 0, 0, 1};
    const TProgramVersionResult result = SetProgramVersion(change);
    EXPECT_EQ(result.Created, c.Created);
    EXPECT_EQ(result.StringTables, static_cast<int>(c.Tables.size()));
    EXPECT_EQ(ReadFileBytes(result.BackupFileName), original);

    const std::vector<uint8_t> written = ReadFileBytes(program);
    test::ExpectTheRestKept(original, written);
    TPEResourceModule before, after;
    test::ReadModule(before, original);
    test::ReadModule(after, written);
    EXPECT_EQ(test::Without(test::ResourcesOf(after), {"16"}),
              test::Without(test::ResourcesOf(before), {"16"}));
    for (const std::string& table : c.Tables) {
        SCOPED_TRACE(table);
        EXPECT_EQ(StringOf(after, table, "FileDescription"), "描述 Game");
        EXPECT_EQ(StringOf(after, table, "OriginalFilename"), "game.exe");
        // A key already there is replaced, not added again under another case.
        EXPECT_EQ(StringOf(after, table, "ProductName"), StringOf(before, table, "ProductName"));
    }
    TVersionInfo info;
    ASSERT_TRUE(ReadVersionInfo(program, info));
    EXPECT_EQ(info.VersionText, "2.3.4.5");
    EXPECT_EQ(info.ProductMajorVersion, 7);
    EXPECT_EQ(info.ProductBuild, 1);
    if (c.Created) {
        EXPECT_EQ(test::Find(after, "16", "1")->Language(), 0x409);
    }
}

const VersionCase Cases[] = {
    {"prog32.exe", {"040904B0", "040704B0"}, false},
    {"prog64s.exe", {"040904B0", "040704B0"}, false},
    {"bare64.exe", {"040904B0"}, true},
};

INSTANTIATE_TEST_SUITE_P(Programs, ProgramVersionCases, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<VersionCase>& param) {
                             const std::string name = param.param.Program;
                             return name.substr(0, name.find('.'));
                         });

TEST(ProgramVersion, FourPartVersions) {
    EXPECT_EQ(ParseFourPartVersion("1.2.3.4"), (TFourPartVersion{1, 2, 3, 4}));
    EXPECT_EQ(ParseFourPartVersion("65535.0"), (TFourPartVersion{65535, 0, 0, 0}));
    for (const char* bad : {"", "1.", ".1", "1.2.3.4.5", "65536", "1.x", "-1", "1..2"})
        EXPECT_EQ(ParseFourPartVersion(bad), std::nullopt) << bad;
}

// Decoding a block and encoding it again gives the same bytes.
TEST(ProgramVersion, ABlockDecodesToTheTreeThatEncodesIt) {
    FixedFileInfo fixed;
    fixed.FileVersionMS = 0x10002;
    const std::vector<uint8_t> block = EncodeVersionNode(MakeVersionTree(
        fixed, "040904B0", {{"ProductName", "Pictavo"}, {"Comments", ""}}, 0x04B00409));
    const std::optional<VersionNode> tree = DecodeVersionNode(block.data(), block.size());
    ASSERT_TRUE(tree);
    EXPECT_EQ(EncodeVersionNode(*tree), block);
    EXPECT_FALSE(DecodeVersionNode(block.data(), block.size() - 8));
}

} // namespace
} // namespace pictavo
