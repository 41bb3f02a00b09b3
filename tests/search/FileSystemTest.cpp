#include "platform/FileSystem.h"
#include "tests/search/TestFolder.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo::platform {

std::map<std::string, FindData> ListFolder(const std::string& folder, const std::string& mask) {
    std::map<std::string, FindData> entries;
    FileFinder finder(folder, mask);
    FindData data;
    while (finder.Next(data))
        entries[data.FileName] = data;
    return entries;
}

TEST(FileFinderTest, MapsPosixKindsToAttributeBits) {
    TestFolder folder;
    folder.File("plain.exe", "12345");
    folder.File(".hidden");
    const std::string readOnly = folder.File("locked.txt");
    ::chmod(readOnly.c_str(), 0444);
    folder.Folder("sub");
    ASSERT_EQ(::symlink("sub", (folder.Path() + "link").c_str()), 0);
    ASSERT_EQ(::symlink("plain.exe", (folder.Path() + "filelink").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (folder.Path() + "dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo((folder.Path() + "pipe").c_str(), 0600), 0);

    const auto entries = ListFolder(folder.Path(), "*.*");
    const std::map<std::string, uint32_t> expected = {
        {".", 0x10 | 0x2},          {"..", 0x10 | 0x2},
        {"plain.exe", 0x20},        {".hidden", 0x20 | 0x2},
        {"locked.txt", 0x20 | 0x1}, {"sub", 0x10},
        {"link", 0x10 | 0x400},     {"filelink", 0x20 | 0x400},
        {"dangling", 0x20 | 0x400}, {"pipe", 0x4}};
    ASSERT_EQ(entries.size(), expected.size());
    for (const auto& [name, attributes] : expected)
        EXPECT_EQ(entries.at(name).FileAttributes, attributes) << name;
    EXPECT_EQ(entries.at("plain.exe").Size(), 5);
    EXPECT_EQ(entries.at("filelink").Size(), 5); // a link reports its target's size
    EXPECT_EQ(entries.at("sub").Size(), 0);
}

TEST(FileFinderTest, ReportsTimesAndSizesBeyondFourGigabytes) {
    TestFolder folder;
    const std::string file = folder.File("big.bin");
    ASSERT_EQ(::truncate(file.c_str(), (int64_t{5} << 30) + 7), 0); // sparse, costs nothing
    const struct timespec times[2] = {{1600000000, 5}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    FindData data;
    ASSERT_TRUE(GetFindData(file, data));
    EXPECT_EQ(data.FileSizeHigh, 1u);
    EXPECT_EQ(data.FileSizeLow, (1u << 30) + 7);
    EXPECT_EQ(data.Size(), (int64_t{5} << 30) + 7);
    EXPECT_EQ(data.LastAccessTime, (FileTime{1600000000, 5}));
    EXPECT_EQ(data.LastWriteTime, (FileTime{1700000000, 123456789}));
    // Birth time where kept, else change time: either way not before the write above.
    EXPECT_GT(data.CreationTime.Seconds, 1700000000);
    EXPECT_EQ(data.FileName, "big.bin");
}

TEST(FileFinderTest, ListingOnlyRecordsCompleteOnRequest) {
    TestFolder folder;
    const std::string file = folder.File("locked.txt", "abc");
    ::chmod(file.c_str(), 0444);
    ASSERT_EQ(::symlink("locked.txt", (folder.Path() + "link").c_str()), 0);
    FileFinder finder(folder.Path(), "l*", FindScope::All, FindDetail::Listing);
    std::map<std::string, FindData> entries;
    for (FindData data; finder.Next(data);)
        entries[data.FileName] = data;
    ASSERT_EQ(entries.size(), 2u);
    FindData& listed = entries.at("locked.txt");
    EXPECT_FALSE(listed.Complete);
    EXPECT_EQ(listed.FileAttributes, 0x20u);
    EXPECT_TRUE(entries.at("link").Complete); // a link's kind needs the file system
    EXPECT_EQ(entries.at("link").FileAttributes, 0x420u | 0x1u);

    FindData byFinder = listed;
    ASSERT_TRUE(finder.Complete(byFinder));
    ASSERT_TRUE(CompleteFindData(folder.Path(), listed));
    EXPECT_TRUE(listed.Complete);
    EXPECT_EQ(listed.FileAttributes, 0x21u);
    EXPECT_EQ(listed.Size(), 3);
    EXPECT_EQ(byFinder.FileAttributes, listed.FileAttributes);
    EXPECT_EQ(byFinder.LastWriteTime, listed.LastWriteTime);
    FindData gone = listed;
    gone.FileName = "gone";
    gone.Complete = false;
    EXPECT_FALSE(CompleteFindData(folder.Path(), gone));
}

TEST(FileFinderTest, MissingFolderListsNothing) {
    TestFolder folder;
    FileFinder finder(folder.Path() + "none/", "*.*");
    FindData data;
    EXPECT_FALSE(finder.IsOpen());
    EXPECT_FALSE(finder.Next(data));
}

TEST(FileFinderTest, MaskSelectsEntriesAndFoldersOnlyKeepsFolders) {
    TestFolder folder;
    folder.File("A.EXE");
    folder.File("b.exe");
    folder.File("c.dll");
    folder.Folder("d.exe");
    const auto exes = ListFolder(folder.Path(), "*.exe");
    EXPECT_EQ(exes.size(), 3u);
    EXPECT_EQ(exes.count("c.dll"), 0u);

    FileFinder finder(folder.Path(), "*.*", FindScope::FoldersOnly);
    FindData data;
    std::vector<std::string> names;
    while (finder.Next(data))
        names.push_back(data.FileName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "d.exe"}));
}

struct MaskCase {
    const char* name;
    const char* mask;
    bool matches;
};

void PrintTo(const MaskCase& c, std::ostream* out) {
    *out << "'" << c.name << "' ~ '" << c.mask << "'";
}

class MaskMatchesTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskMatchesTest, KeepsTheWindowsMeaning) {
    EXPECT_EQ(MaskMatches(GetParam().name, GetParam().mask), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaskMatchesTest,
    ::testing::Values(MaskCase{"README", "*.*", true}, MaskCase{"a.b.c", "*.*", true},
                      MaskCase{"SHELL32.DLL", "*.dll", true},
                      MaskCase{"shell32.dll", "*.DLL", true}, MaskCase{"a.dll.bak", "*.dll", false},
                      MaskCase{"abc", "a?c", true}, MaskCase{"ac", "a?c", false},
                      MaskCase{"中c", "?c", true}, MaskCase{"abc", "abc.*", true},
                      MaskCase{"abc.ico", "abc.*", true}, MaskCase{"abcd", "abc.*", false},
                      MaskCase{"x", "", false}, MaskCase{"Ä.ico", "ä.ico", false}));

struct ExpandCase {
    const char* path;
    const char* expanded;
};

void PrintTo(const ExpandCase& c, std::ostream* out) {
    *out << "'" << c.path << "'";
}

class ExpandFileNameTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandFileNameTest, ResolvesDotsByName) {
    EXPECT_EQ(ExpandFileName(GetParam().path), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpandFileNameTest,
                         ::testing::Values(ExpandCase{"/", "/"}, ExpandCase{"/a/b/", "/a/b"},
                                           ExpandCase{"//a//./b/../c", "/a/c"},
                                           ExpandCase{"/../../x", "/x"}));

} // namespace pictavo::platform
