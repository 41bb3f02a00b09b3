#include "library/FileScan.h"

#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "library/PrivateTempFolder.h"
#include "search/CriteriaRoutines.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The row's size and time are those of the file itself, read through the one open of the
// probe: the search may hand over the folder listing's record, which has neither. The file
// is opened relative to the open folder when the search gives one.
TEST_F(FileScanTest, IconFileIsListedAsOneIconWithTheFilesOwnSizeAndTime) {
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (work.Path() + "One.ico").c_str(), times, 0), 0);
    const int folder = ::open(work.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    for (const int folderFd : {-1, folder}) {
        TFileDetails listed = Details(work.Path(), "One.ico", 0);
        listed.ModifiedTime = 0;
        listed.FolderFd = folderFd;
        const TScanStep step = scan.FileMatch(listed, false);
        ASSERT_TRUE(step.Entry);
        EXPECT_EQ(step.Entry->FileName, work.Path() + "One.ico");
        EXPECT_EQ(step.Entry->IconCount, 1);
        EXPECT_EQ(step.Entry->Size, 3382);
        EXPECT_EQ(step.Entry->ModifiedTime, FileTimeToLocalDateTime({1700000000, 0}));
        EXPECT_EQ(step.StatusName, work.Path() + "One.ico");
    }
    ::close(folder);
    EXPECT_EQ(scan.FileTotal(), 2);
    EXPECT_EQ(scan.IconTotal(), 2);
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

// The probe decides by the first bytes: a module is counted by its icon groups, an icon
// file (reserved 0, type 1 or 2) as one icon; anything else, also a file whose bytes only
// look like a count of entries, holds none. A link is followed only when asked; a FIFO
// never makes it wait.
TEST_F(FileScanTest, TheProbeCountsByTheFirstBytes) {
    const std::string fixtures = std::string(PICTAVO_FIXTURES) + "/pe/";
    MemoryStream module;
    module.LoadFromFile(fixtures + "icons32.dll");
    module.SaveToFile(work.Path() + "icons32.dll");
    MemoryStream noIcons;
    noIcons.LoadFromFile(fixtures + "noicons32.dll");
    noIcons.SaveToFile(work.Path() + "noicons32.dll");
    std::vector<uint8_t> notAnIcon = ReadFileBytes(work.Path() + "One.ico");
    notAnIcon[0] = 1;
    WriteFileBytes(work.Path() + "reserved.ico", notAnIcon);
    std::vector<uint8_t> elf = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
    elf.resize(8192, 0);
    WriteFileBytes(work.Path() + "program", elf);
    const std::string pack = std::string(PICTAVO_FIXTURES) + "/cursors/pack/";
    std::vector<uint8_t> busy = ReadFileBytes(pack + "Busy.ani");
    WriteFileBytes(work.Path() + "busy.ani", busy);
    // Its sequence's second step (bytes 4-7 of the "seq " chunk's body) names frame 7.
    const auto seq = std::search(busy.begin(), busy.end(), std::begin("seq "), std::end("seq ") - 1);
    ASSERT_NE(seq, busy.end());
    seq[12] = 7;
    WriteFileBytes(work.Path() + "broken.ani", busy);
    WriteFileBytes(work.Path() + "work.ani", ReadFileBytes(pack + "Working in Background.ani"));
    ASSERT_EQ(::symlink("One.ico", (work.Path() + "link.ico").c_str()), 0);
    ASSERT_EQ(::mkfifo((work.Path() + "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((work.Path() + "folder").c_str(), 0700), 0);

    const int folder = ::open(work.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    const struct {
        const char* name;
        bool followLink;
        int icons; // -1: no probe at all
    } cases[] = {
        {"One.ico", false, 1},   {"icons32.dll", false, 3},  {"noicons32.dll", false, 0},
        {"notes.txt", false, 0}, {"reserved.ico", false, 0}, {"program", false, 0},
        {"link.ico", true, 1},   {"link.ico", false, -1},    {"fifo", true, -1},
        {"fifo", false, 0},      {"folder", false, 0},       {"gone", false, -1},
        {"busy.ani", false, 3},  {"work.ani", false, 2},     {"broken.ani", false, 0},
    };
    for (const auto& c : cases) {
        const std::optional<TFileIconProbe> probe = ProbeFileIcons(folder, c.name, c.followLink);
        EXPECT_EQ(probe ? probe->IconCount : -1, c.icons) << c.name << " " << c.followLink;
    }
    ::close(folder);
    for (const char* name :
         {"icons32.dll", "noicons32.dll", "reserved.ico", "program", "link.ico", "fifo",
          "busy.ani", "broken.ani", "work.ani"})
        ::unlink((work.Path() + name).c_str());
    ::rmdir((work.Path() + "folder").c_str());
}

// The icons of an animated cursor are its frames, each a cursor with its hotspot; a frame
// past the last is an error, and the loader moves on to another file.
TEST_F(FileScanTest, AnAnimatedCursorsFramesAreItsIcons) {
    const std::string busy = std::string(PICTAVO_FIXTURES) + "/cursors/pack/Busy.ani";
    TFileIconLoader loader;
    TMultiIcon frame;
    loader.Load(frame, busy, 2);
    ASSERT_EQ(frame.IconCount(), 1);
    EXPECT_TRUE(frame.IsCursor());
    EXPECT_EQ(frame.GetIconData(0).Width, 32);
    EXPECT_EQ(frame.GetIconData(0).HotspotX, 16u);
    EXPECT_EQ(frame.GetIconData(0).HotspotY, 16u);
    EXPECT_THROW(loader.Load(frame, busy, 3), Exception);
    TMultiIcon ico;
    loader.Load(ico, work.Path() + "One.ico", 0);
    EXPECT_FALSE(ico.IsCursor());
    EXPECT_EQ(IconCountOfFile(busy), 3);
}

} // namespace
} // namespace pictavo
