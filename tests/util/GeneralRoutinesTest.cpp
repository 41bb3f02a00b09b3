#include "platform/TempPath.h"
#include "util/Color.h"
#include "util/ElapsedTime.h"
#include "util/Exceptions.h"
#include "util/TempFolder.h"
#include "util/Variant.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pictavo {

struct ElapsedCase {
    double seconds;
    const char* text;
};

void PrintTo(const ElapsedCase& c, std::ostream* out) {
    *out << c.seconds << " s";
}

class FormatElapsedTimeTest : public ::testing::TestWithParam<ElapsedCase> {};

TEST_P(FormatElapsedTimeTest, WritesUnitsFromTheFirstNonZeroOne) {
    EXPECT_EQ(FormatElapsedTime(GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatElapsedTimeTest,
    ::testing::Values(ElapsedCase{0, "0 s"}, ElapsedCase{5, "5 s"}, ElapsedCase{59, "59 s"},
                      ElapsedCase{59.9, "59 s"}, ElapsedCase{65, "1 min, 5 s"},
                      ElapsedCase{3600, "1 h, 0 min, 0 s"},
                      ElapsedCase{90061, "1 d, 1 h, 1 min, 1 s"},
                      ElapsedCase{31579200, "1 yr, 0 m, 0 wk, 0 d, 0 h, 0 min, 0 s"},
                      ElapsedCase{3157920000.0 + 61,
                                  "1 c, 0 yr, 0 m, 0 wk, 0 d, 0 h, 1 min, 1 s"}));

TEST(CompareVariantsTest, KindOfFirstValueDecidesTheRule) {
    EXPECT_EQ(CompareVariants(Variant(2), Variant(10)), -1);
    EXPECT_EQ(CompareVariants(Variant("2"), Variant("10")), 1);
    EXPECT_EQ(CompareVariants(Variant(), Variant()), 0);
    EXPECT_EQ(CompareVariants(Variant(int64_t{5}), Variant(int64_t{5})), 0);
    EXPECT_EQ(CompareVariants(Variant(1.5), Variant(1.25)), 1);
    EXPECT_EQ(CompareVariants(Variant::FromFloat(VariantKind::Date, 45000.5),
                              Variant::FromFloat(VariantKind::Date, 45000.75)),
              -1);
    // B takes A's kind: the text "10" compares as the number 10.
    EXPECT_EQ(CompareVariants(Variant(2), Variant("10")), -1);
}

TEST(CompareVariantsTest, DifferentTextsNeverCompareEqual) {
    EXPECT_NE(CompareVariants(Variant("abc"), Variant("ABC")), 0);
    EXPECT_EQ(CompareVariants(Variant("abc"), Variant("ABC")),
              -CompareVariants(Variant("ABC"), Variant("abc")));
}

TEST(CompareVariantsTest, UnconvertibleSecondValueRaises) {
    EXPECT_THROW(CompareVariants(Variant(2), Variant("two")), EVariantError);
}

TEST(GetTempFolderTest, UsesTmpdirWithTrailingDelimiter) {
    const char* saved = std::getenv("TMPDIR");
    const std::string previous = saved ? saved : "";
    char folder[] = "/tmp/pictavo-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    setenv("TMPDIR", folder, 1);
    EXPECT_EQ(GetTempFolder(), std::string(folder) + "/");
    EXPECT_EQ(platform::TempPathProblem(), "");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempFolder(), "/tmp/");
    // A TMPDIR that names no folder: /tmp, as the C library's temporary files, and why.
    setenv("TMPDIR", (std::string(folder) + "/missing").c_str(), 1);
    EXPECT_EQ(GetTempFolder(), "/tmp/");
    EXPECT_EQ(platform::TempPathProblem(),
              "TMPDIR \"" + std::string(folder) +
                  "/missing\" cannot be used (No such file or directory): temporary files go to /tmp");
    ::rmdir(folder);
    if (saved)
        setenv("TMPDIR", previous.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

} // namespace pictavo

namespace pictavo {

// Captions stay readable on any background colour the user picks.
TEST(CaptionColorOn, DarkTextOnLightAndLightTextOnDark) {
    struct Case {
        TColor background;
        TColor caption;
    };
    for (const Case& c : {Case{0xF0F0F0, clBlack}, Case{clWhite, clBlack}, Case{0xF0EEED, clBlack},
                          Case{RGB(255, 255, 0), clBlack}, Case{RGB(0, 0, 128), clWhite},
                          Case{clBlack, clWhite}, Case{RGB(128, 0, 0), clWhite},
                          Case{RGB(0, 128, 0), clWhite}, Case{RGB(0, 230, 0), clBlack}})
        EXPECT_EQ(CaptionColorOn(c.background), c.caption) << std::hex << c.background;
}

} // namespace pictavo
