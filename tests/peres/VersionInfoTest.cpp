#include "peres/VersionInfo.h"
#include "tests/peres/PeFixtures.h"
#include "util/VersionBlock.h"

#include <gtest/gtest.h>

namespace pictavo {

namespace {

std::vector<uint8_t> Block(uint16_t major, uint16_t minor, uint16_t release, uint16_t build,
                           bool preRelease, const std::string& tableKey,
                           std::optional<uint32_t> translation) {
    FixedFileInfo fixed;
    fixed.FileVersionMS = uint32_t{major} << 16 | minor;
    fixed.FileVersionLS = uint32_t{release} << 16 | build;
    fixed.ProductVersionMS = 0x00050006;
    fixed.ProductVersionLS = 0x00070008;
    fixed.FileFlags = preRelease ? VS_FF_PRERELEASE : 0;
    return EncodeVersionNode(MakeVersionTree(
        fixed, tableKey, {{"ProductName", "Pictavo"}, {"SpecialBuild", "private"}}, translation));
}

TVersionInfo Read(const std::vector<uint8_t>& block) {
    TVersionInfo info;
    info.FileName = "kept";
    EXPECT_TRUE(ReadVersionInfoFromBlock(block.data(), block.size(), info));
    EXPECT_EQ(info.FileName, "kept");
    return info;
}

} // namespace

struct TranslationCase {
    const char* name;
    std::optional<uint32_t> translation; // language low, code page high
    const char* tableKey;
};

void PrintTo(const TranslationCase& c, std::ostream* out) {
    *out << c.name;
}

class TranslationKeyTest : public ::testing::TestWithParam<TranslationCase> {};

// The strings are found under the key the translation table names, or 040904E4.
TEST_P(TranslationKeyTest, StringsComeFromTheTableOfTheFirstTranslation) {
    const TranslationCase& c = GetParam();
    const TVersionInfo info = Read(Block(1, 0, 0, 0, false, c.tableKey, c.translation));
    EXPECT_EQ(info.ProductName, "Pictavo");
    EXPECT_EQ(info.SpecialBuild, "private");
}

INSTANTIATE_TEST_SUITE_P(Cases, TranslationKeyTest,
                         ::testing::Values(TranslationCase{"NoTable", std::nullopt, "040904E4"},
                                           TranslationCase{"UsEnglish1252", 0x04E40409, "040904E4"},
                                           TranslationCase{"Unicode", 0x04B00409, "040904B0"},
                                           TranslationCase{"Chinese936", 0x03A80804, "080403A8"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(VersionInfoTest, TableUnderAnotherKeyLeavesStringsEmpty) {
    const TVersionInfo info = Read(Block(1, 0, 0, 0, false, "040904E4", 0x04B00409));
    EXPECT_EQ(info.ProductName, "");
    EXPECT_EQ(info.VersionText, "1.0.0.0");
}

struct BetaCase {
    uint16_t build;
    bool preRelease;
    const char* text;
};

void PrintTo(const BetaCase& c, std::ostream* out) {
    *out << c.build << (c.preRelease ? " prerelease" : "");
}

class VersionTextTest : public ::testing::TestWithParam<BetaCase> {};

TEST_P(VersionTextTest, PreReleaseAddsBeta) {
    const BetaCase& c = GetParam();
    const TVersionInfo info = Read(Block(4, 2, 0, c.build, c.preRelease, "040904E4", {}));
    EXPECT_EQ(info.VersionText, c.text);
    EXPECT_EQ(info.PreRelease, c.preRelease);
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionTextTest,
                         ::testing::Values(BetaCase{0, true, "4.2.0.0 BETA"},
                                           BetaCase{7, true, "4.2.0.7 BETA 7"},
                                           BetaCase{7, false, "4.2.0.7"}));

TEST(VersionInfoTest, NumericFieldsSplitTheFixedVersions) {
    const TVersionInfo info = Read(Block(0xFFFF, 2, 3, 4, false, "040904E4", {}));
    EXPECT_EQ(info.MajorVersion, 65535);
    EXPECT_EQ(info.MinorVersion, 2);
    EXPECT_EQ(info.Release, 3);
    EXPECT_EQ(info.Build, 4);
    EXPECT_EQ(info.ProductMajorVersion, 5);
    EXPECT_EQ(info.ProductMinorVersion, 6);
    EXPECT_EQ(info.ProductRelease, 7);
    EXPECT_EQ(info.ProductBuild, 8);
}

TEST(VersionInfoTest, FileWithoutVersionInformationSetsOnlyTheName) {
    for (const std::string& name : {test::PeFixture("noicons32.dll"), test::PeFixture("noicons.rc"),
                                    test::PeFixture("does-not-exist.dll")}) {
        TVersionInfo info;
        info.ProductName = "stale";
        info.Build = 9;
        EXPECT_FALSE(ReadVersionInfo(name, info)) << name;
        TVersionInfo expected;
        expected.FileName = name;
        EXPECT_EQ(info, expected) << name;
    }
}

TEST(VersionInfoTest, ReadsTheVersionResourceOfAModule) {
    TVersionInfo info;
    ASSERT_TRUE(ReadVersionInfo(test::PeFixture("icons32.dll"), info));
    EXPECT_EQ(info.FileName, test::PeFixture("icons32.dll"));
    EXPECT_EQ(info.VersionText, "1.2.3.4");
    EXPECT_EQ(info.FileVersion, "1.2.3.4");
    EXPECT_EQ(info.ProductVersion, "1.2");
    EXPECT_EQ(info.CompanyName, "Vantrel");
    EXPECT_EQ(info.FileDescription, "Pictavo test icons");
    EXPECT_EQ(info.ProductName, "Pictavo fixtures");
    EXPECT_EQ(info.LegalCopyright, "");
    EXPECT_EQ(info.ProductMajorVersion, 1);
    EXPECT_EQ(info.ProductMinorVersion, 2);
    EXPECT_EQ(info.ProductRelease, 0);
    EXPECT_FALSE(info.PreRelease);
}

// The test program is itself built with the program's own block.
TEST(VersionInfoTest, OwnExecutableCarriesTheBuiltInBlock) {
    TVersionInfo info;
    ASSERT_TRUE(ReadVersionInfo("/proc/self/exe", info));
    EXPECT_EQ(info.ProductName, "Pictavo");
    EXPECT_EQ(info.VersionText, "4.2.0.0");
    EXPECT_EQ(info.FileVersion, "4.2.0.0");
    EXPECT_EQ(info.CompanyName, "Vantrel");
    EXPECT_NE(info.LegalCopyright.find("Vantrel"), std::string::npos);
    EXPECT_FALSE(info.FileDescription.empty());

    EXPECT_EQ(AppVersionInfo.ProductName, "Pictavo");
    EXPECT_EQ(AppVersionInfo.VersionText, "4.2.0.0");
    EXPECT_FALSE(AppVersionInfo.FileName.empty());
}

} // namespace pictavo
