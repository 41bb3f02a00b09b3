#include "search/CriteriaRoutines.h"
#include "tests/search/WildcardReference.h"

#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace pictavo {

struct WildcardCase {
    const char* text;
    const char* mask;
    bool matches;
};

void PrintTo(const WildcardCase& c, std::ostream* out) {
    *out << "'" << c.text << "' ~ '" << c.mask << "'";
}

class WildcardMatchTest : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardMatchTest, FollowsTheMaskRules) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(WildcardMatch(c.text, c.mask), c.matches);
    EXPECT_EQ(reference::WildcardMatch(c.text, c.mask), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WildcardMatchTest,
    ::testing::Values(WildcardCase{"ab", "ab?", true}, WildcardCase{"ac", "a*?c", true},
                      WildcardCase{"abc", "ab", false}, WildcardCase{"ABC.EXE", "*.exe", true},
                      WildcardCase{"abc", "a?c", true}, WildcardCase{"ac", "a?c", false},
                      WildcardCase{"a", "a?c", false}, WildcardCase{"", "*", true},
                      WildcardCase{"", "", true}, WildcardCase{"x", "", false},
                      WildcardCase{"/a/keep/b.tmp", ">*/keep/*", false},
                      WildcardCase{"/a/keep/b.tmp", "*/keep/*", true},
                      WildcardCase{"aab", "*ab", true}, WildcardCase{"abcabd", "*ab?", true},
                      WildcardCase{"abcabd", "a*c", false}, WildcardCase{"README.", "*.", true},
                      WildcardCase{"x.exe", "*.", false}));

// Random short texts and masks over a small alphabet: the linear matcher gives the
// answer of the rules written as recursion.
TEST(WildcardMatchTest, AgreesWithTheRecursiveRules) {
    std::mt19937 random(12345);
    const std::string textLetters = "abA.";
    const std::string maskLetters = "aBb.*?";
    const auto draw = [&](const std::string& letters, size_t maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s)
            c = letters[random() % letters.size()];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string text = draw(textLetters, 9);
        const std::string mask = draw(maskLetters, 7);
        ASSERT_EQ(WildcardMatch(text, mask), reference::WildcardMatch(text, mask))
            << "'" << text << "' ~ '" << mask << "'";
    }
}

TEST(WildcardMatchTest, ManyStarsStayFast) {
    const std::string text(20000, 'a');
    EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

struct SplitCase {
    const char* text;
    std::vector<std::string> pieces;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << "'" << c.text << "'";
}

class SplitListTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitListTest, TrimsDropsEmptiesAndDuplicates) {
    EXPECT_EQ(SplitList(GetParam().text, ';'), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitListTest,
                         ::testing::Values(SplitCase{"", {}}, SplitCase{" ; ;", {}},
                                           SplitCase{" *.exe ;*.EXE; ;*.dll", {"*.exe", "*.dll"}},
                                           SplitCase{"b;a;B;c", {"b", "a", "c"}},
                                           SplitCase{"\t x \n;y", {"x", "y"}}));

TEST(SplitListTest, CaseSensitiveDuplicatesWhenAsked) {
    EXPECT_EQ(SplitList("/a/X;/a/x;/a/X", ';', false), (std::vector<std::string>{"/a/X", "/a/x"}));
}

struct LocationCase {
    const char* text;
    const char* folder;
    bool subfolders;
    uint16_t minLevel;
    uint16_t maxLevel;
};

void PrintTo(const LocationCase& c, std::ostream* out) {
    *out << "'" << c.text << "'";
}

class ParseLocationTest : public ::testing::TestWithParam<LocationCase> {};

// Defaults passed in: subfolders false, MinLevel 7, MaxLevel 9.
TEST_P(ParseLocationTest, ReadsPrefixAndMakesFolderAbsolute) {
    const LocationCase& c = GetParam();
    bool subfolders = false;
    uint16_t minLevel = 7;
    uint16_t maxLevel = 9;
    EXPECT_EQ(ParseLocation(c.text, subfolders, minLevel, maxLevel), c.folder);
    EXPECT_EQ(subfolders, c.subfolders);
    EXPECT_EQ(minLevel, c.minLevel);
    EXPECT_EQ(maxLevel, c.maxLevel);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseLocationTest,
                         ::testing::Values(LocationCase{"/data", "/data/", false, 7, 9},
                                           LocationCase{"2-5>/data", "/data/", true, 2, 5},
                                           LocationCase{"3>/data/", "/data/", true, 0, 3},
                                           LocationCase{">/data", "/data/", true, 7, 9},
                                           LocationCase{" </data ", "/data/", false, 7, 9},
                                           LocationCase{"x>/data", "/data/", true, 0, 9},
                                           LocationCase{" 4 - y >/data", "/data/", true, 4, 9},
                                           LocationCase{"65537>/data", "/data/", true, 0, 1},
                                           LocationCase{"99999999999>/data", "/data/", true, 0, 9},
                                           LocationCase{"1>/a>b", "/a>b/", true, 0, 1},
                                           LocationCase{"/data/./x/../y//z", "/data/y/z/", false, 7,
                                                        9},
                                           LocationCase{"/..", "/", false, 7, 9}));

TEST(ParseLocationTest, RelativeFolderStartsAtTheCurrentFolder) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const std::string current = cwd;
    bool subfolders = true;
    uint16_t minLevel = 0;
    uint16_t maxLevel = 0;
    EXPECT_EQ(ParseLocation("<sub/dir", subfolders, minLevel, maxLevel), current + "/sub/dir/");
    EXPECT_FALSE(subfolders);
    EXPECT_EQ(ParseLocation(".", subfolders, minLevel, maxLevel),
              current == "/" ? "/" : current + "/");
}

struct DateRangeCase {
    const char* name;
    TDateTime value;
    TDateTime before;
    TDateTime after;
    bool inRange;
};

void PrintTo(const DateRangeCase& c, std::ostream* out) {
    *out << c.name;
}

class IsInDateRangeTest : public ::testing::TestWithParam<DateRangeCase> {};

TEST_P(IsInDateRangeTest, ComparesDaysTimesOrFullValues) {
    const DateRangeCase& c = GetParam();
    EXPECT_EQ(IsInDateRange(c.value, c.before, c.after), c.inRange);
}

const TDateTime Day = EncodeDate(2024, 3, 15);
const TDateTime LateEvening = Day + EncodeTime(23, 59, 0, 0);
const TDateTime Afternoon = Day + EncodeTime(15, 0, 0, 0);
const TDateTime Morning = Day + EncodeTime(9, 0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Cases, IsInDateRangeTest,
    ::testing::Values(DateRangeCase{"NoBounds", Morning, 0, 0, true},
                      DateRangeCase{"BeforeWholeDayIncludesItsEnd", LateEvening, Day, 0, true},
                      DateRangeCase{"BeforeWholeDayExcludesNextDay", Day + 1.1, Day, 0, false},
                      DateRangeCase{"BeforeTimeOfDay", Morning, 0.5, 0, true},
                      DateRangeCase{"BeforeTimeOfDayRejectsAfternoon", Afternoon, 0.5, 0, false},
                      DateRangeCase{"BeforeFullValue", Morning, Day + 0.5, 0, true},
                      DateRangeCase{"BeforeFullValueRejects", Afternoon, Day + 0.5, 0, false},
                      DateRangeCase{"AfterWholeDayIncludesItsStart", Morning, 0, Day, true},
                      DateRangeCase{"AfterWholeDayRejectsDayBefore", Day - 0.1, 0, Day, false},
                      DateRangeCase{"AfterNoonAcceptsAfternoon", Afternoon, 0, 0.5, true},
                      DateRangeCase{"AfterNoonRejectsMorning", Morning, 0, 0.5, false},
                      DateRangeCase{"AfterFullValueRejects", Morning, 0, Day + 0.5, false},
                      DateRangeCase{"BothMustPass", Afternoon, Day, Day + 0.7, false}));

} // namespace pictavo
