#include "platform/Paths.h"

#include <gtest/gtest.h>

using namespace pictavo::platform;

namespace {

struct PathCase {
    const char* path;
    const char* fileName;
    const char* folderPart;
    const char* folder;
    const char* baseName;
};

const PathCase kCases[] = {
    {"a.ico", "a.ico", "", ".", "a"},
    {"shell32", "shell32", "", ".", "shell32"},
    {"/a.ico", "a.ico", "/", "/", "a"},
    {"/", "", "/", "/", ""},
    {"dir/", "", "dir/", "dir", ""},
    {"/usr/lib/x.dll", "x.dll", "/usr/lib/", "/usr/lib", "x"},
    {"my.libs/iconlib", "iconlib", "my.libs/", "my.libs", "iconlib"},
    {"a//b.exe", "b.exe", "a//", "a/", "b"},
    {"./x.tar.gz", "x.tar.gz", "./", ".", "x.tar"},
    {"dir/.hidden", ".hidden", "dir/", "dir", ""},
    {"dir/name.", "name.", "dir/", "dir", "name"},
    {"..", "..", "", ".", "."},
    {"", "", "", ".", ""},
};

} // namespace

TEST(Paths, PartsOfEachPath) {
    for (const PathCase& c : kCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNameOf(c.path), c.fileName);
        EXPECT_EQ(FolderPartOf(c.path), c.folderPart);
        EXPECT_EQ(FolderOf(c.path), c.folder);
        EXPECT_EQ(BaseNameOf(c.path), c.baseName);
        // The two parts always give the path back.
        EXPECT_EQ(FolderPartOf(c.path) + FileNameOf(c.path), c.path);
    }
}

TEST(Paths, ExtensionDotLooksOnlyInTheFileName) {
    EXPECT_EQ(ExtensionDot("a.ico"), 1u);
    EXPECT_EQ(ExtensionDot("my.libs/iconlib"), std::string::npos);
    EXPECT_EQ(ExtensionDot("my.libs/x.dll"), 9u);
    EXPECT_EQ(ExtensionDot("dir/.hidden"), 4u);
    EXPECT_EQ(ExtensionDot("plain"), std::string::npos);
}
