#include "library/FileScan.h"

#include "library/PrivateTempFolder.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

TFileDetails Details(const std::string& folder, const std::string& name, int64_t size) {
    TFileDetails details;
    details.Location = folder;
    details.Name = name;
    details.Size = size;
    details.ModifiedTime = 45000.5;
    return details;
}

class FileScanTest : public testing::Test {
protected:
    void SetUp() override {
        MemoryStream ico;
        ico.LoadFromFile(std::string(PICTAVO_FIXTURES) + "/pe/one.ico");
        ico.SaveToFile(work.Path() + "One.ico");
        MemoryStream(std::vector<uint8_t>{'t'}).SaveToFile(work.Path() + "notes.txt");
    }
    TPrivateTempFolder work;
    TFileScan scan;
};

TEST_F(FileScanTest, IconFileIsListedAsOneIconWithItsDetails) {
    const TScanStep step = scan.FileMatch(Details(work.Path(), "One.ico", 3382), false);
    ASSERT_TRUE(step.Entry);
    EXPECT_EQ(step.Entry->FileName, work.Path() + "One.ico");
    EXPECT_EQ(step.Entry->IconCount, 1);
    EXPECT_EQ(step.Entry->Size, 3382);
    EXPECT_EQ(step.Entry->ModifiedTime, 45000.5);
    EXPECT_EQ(step.StatusName, work.Path() + "One.ico");
    EXPECT_EQ(scan.FileTotal(), 1);
    EXPECT_EQ(scan.IconTotal(), 1);
}

TEST_F(FileScanTest, FileWithoutIconsIsNotListed) {
    const TScanStep step = scan.FileMatch(Details(work.Path(), "notes.txt", 1), false);
    EXPECT_FALSE(step.Entry);
    EXPECT_EQ(step.StatusName, work.Path() + "notes.txt");
    EXPECT_EQ(scan.FileTotal(), 0);
}

// A name is remembered when examined, before the probe: a second file of that name is
// skipped even when the first held no icon; the status then shows the name. Names that
// differ only by case are two files on Linux, and neither hides the other.
TEST_F(FileScanTest, IgnoredDuplicatesAreSkippedByTheirExactName) {
    scan.FileMatch(Details(work.Path(), "notes.txt", 1), true);
    const TScanStep second = scan.FileMatch(Details(work.Path() + "sub/", "notes.txt", 1), true);
    EXPECT_FALSE(second.Entry);
    EXPECT_EQ(second.StatusName, "notes.txt");
    EXPECT_EQ(scan.FileMatch(Details(work.Path(), "NOTES.txt", 1), true).StatusName,
              work.Path() + "NOTES.txt");

    EXPECT_TRUE(scan.FileMatch(Details(work.Path(), "One.ico", 3382), true).Entry);
    EXPECT_FALSE(scan.FileMatch(Details(work.Path(), "One.ico", 3382), true).Entry);
    EXPECT_TRUE(scan.FileMatch(Details(work.Path(), "One.ico", 3382), false).Entry);
    EXPECT_EQ(scan.IconTotal(), 2);

    scan.Clear();
    EXPECT_EQ(scan.IconTotal(), 0);
    EXPECT_TRUE(scan.FileMatch(Details(work.Path(), "One.ico", 3382), true).Entry);
}

// A file the window wrote is looked at again with its real size and time; one that is
// gone or holds no icons gives no entry.
TEST_F(FileScanTest, AFileIsExaminedAgainFromTheDisk) {
    const std::optional<TFileEntry> ico = ExamineFileAgain(work.Path() + "One.ico");
    ASSERT_TRUE(ico);
    EXPECT_EQ(ico->FileName, work.Path() + "One.ico");
    EXPECT_EQ(ico->IconCount, 1);
    EXPECT_EQ(ico->Size, 3382);
    EXPECT_GT(ico->ModifiedTime, 40000.0); // a local date after 2009
    EXPECT_FALSE(ExamineFileAgain(work.Path() + "notes.txt"));
    EXPECT_FALSE(ExamineFileAgain(work.Path() + "gone.ico"));
}

} // namespace
} // namespace pictavo
