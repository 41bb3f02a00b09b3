#include "search/SearchCriteria.h"
#include "tests/search/TestFolder.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pictavo {

using Strings = std::vector<std::string>;

TEST(TargetPathsTest, EmptyFileNameMeansAllFilesAndMasksAreSplit) {
    TFileCriteria files;
    files.SetLocation("/data");
    ASSERT_EQ(files.TargetPaths().Count(), 1u);
    EXPECT_EQ(files.TargetPaths()[0].Masks, Strings{"*.*"});

    files.SetFileName(" *.exe ;*.EXE; ;*.dll");
    ASSERT_EQ(files.TargetPaths().Count(), 1u);
    EXPECT_EQ(files.TargetPaths()[0].Masks, (Strings{"*.exe", "*.dll"}));
}

TEST(TargetPathsTest, NoLocationAndNoPathsGiveNoTargets) {
    TFileCriteria files;
    files.SetFileName("*.ico");
    EXPECT_EQ(files.TargetPaths().Count(), 0u);
}

TEST(TargetPathsTest, SameFolderTwiceIsOneTargetWithAccumulatedMasks) {
    TFileCriteria files;
    files.SetFileName("*.exe");
    files.SetLocation("/data;2>/data/");
    files.SetPaths({"  ", "</data/x/../*.ico", "/other/"});
    const TTargetPaths& targets = files.TargetPaths();
    ASSERT_EQ(targets.Count(), 2u);
    EXPECT_EQ(targets[0].Folder, "/data/");
    EXPECT_EQ(targets[0].Masks, (Strings{"*.exe", "*.exe", "*.ico"}));
    EXPECT_FALSE(targets[0].Subfolders); // the last entry's flags win
    EXPECT_EQ(targets[1].Folder, "/other/");
    EXPECT_EQ(targets[1].Masks, Strings{"*.*"});
}

TEST(TargetPathsTest, FoldersDifferingInCaseStayApart) {
    TFileCriteria files;
    files.SetLocation("/data/Icons;/data/icons");
    ASSERT_EQ(files.TargetPaths().Count(), 2u);
    EXPECT_EQ(files.TargetPaths()[1].Folder, "/data/icons/");
}

TEST(TargetPathsTest, PathsPrefixSetsSubfoldersAndKeepsInvalidLevel) {
    TFileCriteria files;
    files.SetSubfolders(false);
    files.SetMinLevel(3);
    files.SetMaxLevel(4);
    files.SetPaths({"x>/data/*.ico"});
    const TTargetPath& target = files.TargetPaths()[0];
    EXPECT_EQ(target.Folder, "/data/");
    EXPECT_EQ(target.Masks, Strings{"*.ico"});
    EXPECT_TRUE(target.Subfolders);
    EXPECT_EQ(target.MinLevel, 0);
    EXPECT_EQ(target.MaxLevel, 4);
}

TEST(TargetPathsTest, ChangesRebuildTheCacheButFiltersDoNot) {
    TFileCriteria files;
    files.SetLocation("/a");
    EXPECT_EQ(files.TargetPaths()[0].MaxLevel, 0);
    files.SetMaxLevel(2);
    EXPECT_EQ(files.TargetPaths()[0].MaxLevel, 2);
    files.AddPathLine("/b/");
    EXPECT_EQ(files.TargetPaths().Count(), 2u);
    const TTargetPaths* cached = &files.TargetPaths();
    files.SetFilters({"*.tmp"});
    files.SetLocation("/a");
    EXPECT_EQ(&files.TargetPaths(), cached);
    files.Clear();
    EXPECT_EQ(files.TargetPaths().Count(), 0u);
}

struct FilterCase {
    const char* name;
    Strings filters;
    const char* folder;
    const char* file;
    bool accepted;
};

void PrintTo(const FilterCase& c, std::ostream* out) {
    *out << c.name;
}

class MatchesFiltersTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(MatchesFiltersTest, FirstMatchingFilterDecides) {
    TFileCriteria files;
    files.SetFilters(GetParam().filters);
    EXPECT_EQ(files.MatchesFilters(GetParam().folder, GetParam().file), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchesFiltersTest,
    ::testing::Values(FilterCase{"NoFilters", {}, "/a/", "b.tmp", true},
                      FilterCase{"KeepFirst", {">*/keep/*", "*.tmp"}, "/a/keep/", "b.tmp", true},
                      FilterCase{"RejectFirst", {"*.tmp", ">*/keep/*"}, "/a/keep/", "b.tmp", false},
                      FilterCase{"NoExtensionGetsDot", {"*."}, "/a/", "README", false},
                      FilterCase{"ExtensionKept", {"*."}, "/a/", "b.txt", true},
                      FilterCase{"LessThanSkipped", {"<*.TMP"}, "/a/", "b.tmp", false},
                      FilterCase{"NoFilterMatches", {"*.bak"}, "/a/", "b.tmp", true}));

TEST(AttributesCriteriaTest, DefaultsRejectHiddenSystemAndFoldersAndClearAcceptsThem) {
    TAttributesCriteria attributes;
    EXPECT_EQ(attributes.Hidden(), fsUnset);
    EXPECT_EQ(attributes.System(), fsUnset);
    EXPECT_EQ(attributes.Directory(), fsUnset);
    EXPECT_EQ(attributes.Readonly(), fsIgnore);
    EXPECT_EQ(attributes.FlagsUnset(), 0x16u);
    for (const uint32_t rejected : {0x2u, 0x4u, 0x10u, 0x21u | 0x2u})
        EXPECT_FALSE(attributes.Matches(rejected)) << rejected;
    EXPECT_TRUE(attributes.Matches(0x20 | 0x1 | 0x800));

    attributes.Clear();
    for (int index : {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17})
        EXPECT_EQ(attributes.Status(index), fsIgnore) << index;
    EXPECT_TRUE(attributes.Matches(0x2 | 0x4 | 0x10));
}

TEST(AttributesCriteriaTest, StatusesSelectTheirMasks) {
    TAttributesCriteria attributes;
    attributes.Clear();
    attributes.SetReadonly(fsSet);
    attributes.SetArchive(fsAnySet);
    attributes.SetVirtual(fsAnySet);
    attributes.SetHidden(fsAnyUnset);
    attributes.SetSystem(fsAnyUnset);
    EXPECT_EQ(attributes.FlagsSet(), 0x1u);
    EXPECT_EQ(attributes.FlagsAnySet(), 0x10020u);
    EXPECT_EQ(attributes.FlagsAnyUnset(), 0x6u);
    EXPECT_EQ(attributes.Virtual(), fsAnySet);
    EXPECT_TRUE(attributes.Matches(0x1 | 0x20 | 0x2));
    EXPECT_FALSE(attributes.Matches(0x20 | 0x2));       // read-only missing
    EXPECT_FALSE(attributes.Matches(0x1 | 0x2));        // none of archive, virtual
    EXPECT_FALSE(attributes.Matches(0x1 | 0x20 | 0x6)); // hidden and system both set
    attributes.SetReadonly(fsUnset);                    // moves the bit to the Unset mask
    EXPECT_EQ(attributes.FlagsSet(), 0u);
    EXPECT_EQ(attributes.FlagsUnset(), 0x1u);
}

TEST(SizeCriteriaTest, BoundsAreInclusiveAndZeroIsNone) {
    TSizeCriteria size;
    EXPECT_TRUE(size.Matches(0));
    EXPECT_TRUE(size.Matches(int64_t{1} << 40));
    size.Min = size.Max = 100;
    EXPECT_TRUE(size.Matches(100));
    EXPECT_FALSE(size.Matches(99));
    EXPECT_FALSE(size.Matches(101));
}

TEST(DateTimeCriteriaTest, WholeDayBeforeAndTimeOfDayAfter) {
    // 2024-03-15 23:59 local, found from the local calendar so the test holds in any zone.
    struct tm local {};
    local.tm_year = 124, local.tm_mon = 2, local.tm_mday = 15, local.tm_hour = 23;
    local.tm_min = 59, local.tm_isdst = -1;
    const platform::FileTime lateEvening{static_cast<int64_t>(mktime(&local)), 0};
    TDateTimeCriteria dates;
    dates.ModifiedBefore = EncodeDate(2024, 3, 15);
    EXPECT_TRUE(dates.Matches({}, lateEvening, {}));
    dates.ModifiedBefore = EncodeDate(2024, 3, 14);
    EXPECT_FALSE(dates.Matches({}, lateEvening, {}));
    dates.Clear();
    dates.AccessedAfter = 0.5;
    EXPECT_TRUE(dates.Matches({}, {}, lateEvening));
    dates.CreatedBefore = 0.5; // created in the evening: the created pair fails first
    EXPECT_FALSE(dates.Matches(lateEvening, {}, lateEvening));
}

TEST(ContentCriteriaTest, EmptyPhraseAcceptsUnreadableFileAndPhraseRejectsIt) {
    TestFolder folder;
    const std::string file = folder.File("a.txt", "an icon here");
    TContentCriteria content;
    EXPECT_TRUE(content.Matches(folder.Path() + "missing"));
    content.SetPhrase("ICON");
    EXPECT_EQ(content.Variants().Unicode, u"ICON");
    EXPECT_TRUE(content.Matches(file));
    EXPECT_FALSE(content.Matches(folder.Path() + "missing"));
    content.Options.Include(csoCaseSensitive);
    EXPECT_FALSE(content.Matches(file));
    content.Clear();
    EXPECT_TRUE(content.Options.Empty());
    EXPECT_TRUE(content.Variants().UTF8.empty());
}

TEST(SearchCriteriaTest, AssignCopiesEveryPartAndOtherClassesAreRefused) {
    TSearchCriteria source;
    source.Files().SetLocation("/x");
    source.Files().SetFilters({"*.tmp"});
    source.Attributes().SetHidden(fsIgnore);
    source.TimeStamp().ModifiedAfter = 2.5;
    source.Size().Max = 7;
    source.Content().SetPhrase("icon");
    TSearchCriteria copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Files().Location(), "/x");
    EXPECT_EQ(copy.Files().Filters(), Strings{"*.tmp"});
    EXPECT_EQ(copy.Attributes().FlagsUnset(), 0x14u);
    EXPECT_EQ(copy.TimeStamp().ModifiedAfter, 2.5);
    EXPECT_EQ(copy.Size().Max, 7);
    EXPECT_EQ(copy.Content().Variants().Ansi, "icon");

    TSizeCriteria size;
    size.Min = 3;
    EXPECT_THROW(size.Assign(copy.Files()), EConvertError);
    EXPECT_EQ(size.Min, 3);

    copy.Clear();
    EXPECT_EQ(copy.Files().Location(), "");
    EXPECT_EQ(copy.Attributes().FlagsUnset(), 0u);
    EXPECT_EQ(copy.Size().Max, 0);
    EXPECT_EQ(copy.Content().Phrase(), "");
}

TEST(SearchCriteriaTest, WholeTestAppliesEveryPart) {
    TestFolder folder;
    folder.File("small.txt", "icon");
    folder.File("large.txt", "icon and more text");
    platform::FindData small;
    platform::FindData large;
    ASSERT_TRUE(platform::GetFindData(folder.Path() + "small.txt", small));
    ASSERT_TRUE(platform::GetFindData(folder.Path() + "large.txt", large));
    TSearchCriteria criteria;
    EXPECT_TRUE(criteria.Matches(folder.Path(), small));
    criteria.Size().Max = 10;
    EXPECT_TRUE(criteria.Matches(folder.Path(), small));
    EXPECT_FALSE(criteria.Matches(folder.Path(), large));
    criteria.Content().SetPhrase("nothing like it");
    EXPECT_FALSE(criteria.Matches(folder.Path(), small));
    criteria.Content().SetPhrase("ICON");
    criteria.Files().SetFilters({"*/small.*"});
    EXPECT_FALSE(criteria.Matches(folder.Path(), small));
}

TEST(SearchCriteriaTest, ListingOnlyRecordIsCompletedWhenATestNeedsIt) {
    TestFolder folder;
    const std::string file = folder.File("locked.txt", "abc");
    ::chmod(file.c_str(), 0444);
    platform::FindData listed;
    listed.FileName = "locked.txt";
    listed.FileAttributes = 0x20;
    listed.Complete = false;
    TSearchCriteria criteria;
    EXPECT_FALSE(criteria.NeedsCompleteRecord());
    criteria.Attributes().SetReadonly(fsSet);
    EXPECT_TRUE(criteria.NeedsCompleteRecord());
    EXPECT_TRUE(criteria.Matches(folder.Path(), listed));
    criteria.Attributes().SetReadonly(fsIgnore);
    criteria.Size().Min = 4;
    EXPECT_FALSE(criteria.Matches(folder.Path(), listed));
    listed.FileName = "gone.txt";
    criteria.Size().Min = 0;
    criteria.TimeStamp().ModifiedAfter = 1;
    EXPECT_FALSE(criteria.Matches(folder.Path(), listed));
}

// With every attribute accepted, a FIFO among the files must not block the content test.
TEST(SearchCriteriaTest, ContentTestRejectsFifoWithoutBlocking) {
    TestFolder folder;
    const std::string fifo = folder.Path() + "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    platform::FindData entry;
    ASSERT_TRUE(platform::GetFindData(fifo, entry));
    TSearchCriteria criteria;
    criteria.Attributes().Clear();
    criteria.Content().SetPhrase("x");
    EXPECT_FALSE(criteria.Matches(folder.Path(), entry));
}

} // namespace pictavo
