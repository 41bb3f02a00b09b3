// The file work of the export commands and the library commands' choice of icons.
// Every written .ico is read back with the icon container.

#include "library/IconExport.h"
#include "icons/IconOnColor.h"
#include "icons/MultiIcon.h"
#include "library/LibrarySources.h"
#include "library/PrivateTempFolder.h"
#include "util/AtomicFile.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include "LibraryTestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pictavo {
namespace {

void ExpectSameImages(TMultiIcon& written, TMultiIcon& source) {
    ASSERT_EQ(written.IconCount(), source.IconCount());
    for (int i = 0; i < source.IconCount(); ++i) {
        const TMultiIconImage a = written.GetIconData(i), b = source.GetIconData(i);
        EXPECT_EQ(a.Width, b.Width);
        EXPECT_EQ(a.Height, b.Height);
        EXPECT_EQ(a.BitsPerPixel, b.BitsPerPixel);
        EXPECT_EQ(a.IsPng, b.IsPng);
    }
}

TEST(IconExport, WholeIconsGoIntoTheFolderAndReplaceTheirOldFile) {
    TPrivateTempFolder folder;
    const std::string module = PeFixture("icons32.dll");
    for (int iconIndex : {0, 1, 1}) {
        const std::string written = SaveIconIntoFolder(folder.Path(), module, iconIndex);
        EXPECT_EQ(written, folder.Path() + "icons32_" + std::to_string(iconIndex) + ".ico");
        TMultiIcon reread, source;
        reread.LoadFromFile(written);
        source.LoadFromModule(module, iconIndex);
        ExpectSameImages(reread, source);
    }
    // An icon file is taken whole.
    const std::string written = SaveIconIntoFolder(folder.Path(), IconFixture("bitmaps.ico"), 0);
    EXPECT_EQ(written, folder.Path() + "bitmaps_0.ico");
    TMultiIcon reread, source;
    reread.LoadFromFile(written);
    source.LoadFromFile(IconFixture("bitmaps.ico"));
    ExpectSameImages(reread, source);
}

TEST(IconExport, AFileWithoutIconsWritesNothing) {
    TPrivateTempFolder folder;
    EXPECT_THROW(SaveIconIntoFolder(folder.Path(), PeFixture("noicons32.dll"), 0), Exception);
    EXPECT_FALSE(Exists(folder.Path() + "noicons32_0.ico"));
}

TEST(IconExport, SingleBitmapImageBecomesAnIcoFile) {
    TPrivateTempFolder folder;
    TMultiIcon icon;
    icon.LoadFromFile(IconFixture("png256.ico"));
    const std::string name = folder.Path() + "png256_0_1.ico";
    EXPECT_EQ(SaveImageAsIcon(icon, 1, name), name);
    TMultiIcon reread;
    reread.LoadFromFile(name);
    ASSERT_EQ(reread.IconCount(), 1);
    EXPECT_EQ(reread.GetIconWidth(0), 16);
    EXPECT_EQ(reread.GetIconData(0).BitsPerPixel, 32); // the screen's depth
}

// Once the PNG image was written as name.png beside the chosen .ico, over any .png there.
TEST(IconExport, PngImageBecomesAnIcoFileHoldingThePngData) {
    TPrivateTempFolder folder;
    TMultiIcon icon;
    icon.LoadFromFile(IconFixture("png256.ico"));
    ASSERT_TRUE(icon.GetIconData(0).IsPng);
    const std::string name = folder.Path() + "png256_0_0.ico";
    const std::string beside = folder.Path() + "png256_0_0.png";
    WriteFileAtomically(beside, {'k', 'e', 'e', 'p'});
    EXPECT_EQ(SaveImageAsIcon(icon, 0, name), name);
    EXPECT_EQ(ReadFileBytes(beside), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    TMultiIcon reread;
    reread.LoadFromFile(name);
    ASSERT_EQ(reread.IconCount(), 1);
    ASSERT_TRUE(reread.GetIconData(0).IsPng);
    EXPECT_EQ(reread.GetIconWidth(0), 256);
    EXPECT_EQ(reread.GetIconData(0).Png->Pixels(), icon.GetIconData(0).Png->Pixels());
}

TEST(IconExport, WriteErrorsReachTheCaller) {
    TMultiIcon icon;
    icon.LoadFromFile(IconFixture("png256.ico"));
    const std::string missing = "/nonexistent-folder/x.ico";
    EXPECT_THROW(SaveImageAsIcon(icon, 1, missing), Exception);
    EXPECT_THROW(SaveImageAsIcon(icon, 0, missing), Exception);
    EXPECT_THROW(SaveIconIntoFolder("/nonexistent-folder", IconFixture("bitmaps.ico"), 0),
                 Exception);
    TAlphaBitmap bitmap;
    bitmap.SetSize(2, 2);
    EXPECT_THROW(SaveBitmapFile(bitmap, "/nonexistent-folder/x.bmp"), Exception);
}

TEST(IconExport, BitmapFileIs32BitsAndKeepsTheRenderedRows) {
    TPrivateTempFolder folder;
    TMultiIcon icon;
    icon.LoadFromFile(IconFixture("png256.ico"));
    const auto handle = icon.CreateIconHandle(1);
    ASSERT_TRUE(handle);
    TAlphaBitmap bitmap;
    DrawIconOnColor(*handle, RGB(0, 0, 255), bitmap);
    const std::string name = folder.Path() + "png256_0_1.bmp";
    SaveBitmapFile(bitmap, name);

    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 54u + 16 * 17 * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(LoadI32(bytes.data() + 18), 16);
    EXPECT_EQ(LoadI32(bytes.data() + 22), 17);
    EXPECT_EQ(LoadU16(bytes.data() + 28), 32);
    // The first row in the file is the bottom row: the background colour, blue.
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(LoadU32(bytes.data() + 54 + 4 * x), 0xFF0000FFu) << x; // blue, green, red, alpha
}

TEST(LibrarySources, TakenRowsAndTilesInOrder) {
    const std::vector<TListedFile> rows = {
        {"a.dll", 3, false}, {"b.ico", 1, true}, {"c.dll", 2, true}};
    auto text = [](const std::vector<TIconSource>& sources) {
        std::string out;
        for (const TIconSource& s : sources)
            out += s.FileName + ":" + std::to_string(s.IconIndex) + " ";
        return out;
    };
    EXPECT_EQ(text(SourcesFromList(rows, false)),
              "a.dll:0 a.dll:1 a.dll:2 b.ico:0 c.dll:0 c.dll:1 ");
    EXPECT_EQ(text(SourcesFromList(rows, true)), "b.ico:0 c.dll:0 c.dll:1 ");

    const std::vector<TViewedIcon> tiles = {{"a.dll", 2, false}, {"c.dll", 1, true}};
    EXPECT_EQ(text(SourcesFromView(tiles, false)), "a.dll:2 c.dll:1 ");
    EXPECT_EQ(text(SourcesFromView(tiles, true)), "c.dll:1 ");
    EXPECT_EQ(text(SourcesFromView({}, true)), "");
}

TEST(LibrarySources, TilesOfLaterIconsMoveUpAfterARemoval) {
    std::vector<TViewedIcon> tiles = {
        {"a.icl", 0, false}, {"a.icl", 2, false}, {"b.icl", 3, true}, {"a.icl", 5, true}};
    ShiftIndexesAfterRemoval(tiles, "a.icl", 1);
    std::vector<int> indexes;
    for (const TViewedIcon& tile : tiles)
        indexes.push_back(tile.IconIndex);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 3, 4}));
}

TEST(LibrarySources, IconLibraryNames) {
    EXPECT_TRUE(IsIconLibraryName("/a/lib.icl"));
    EXPECT_TRUE(IsIconLibraryName("/a/LIB.ICL"));
    EXPECT_FALSE(IsIconLibraryName("/a/lib.dll"));
    EXPECT_FALSE(IsIconLibraryName("/a/lib.icl.bak"));
    EXPECT_FALSE(IsIconLibraryName("icl"));
}

} // namespace
} // namespace pictavo
