// The launcher icons of the hicolor theme: which image makes each size, the icon name,
// the PNG of each size, and the files written into a theme.

#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "library/IconTheme.h"
#include "tests/library/LibraryTestFiles.h"
#include "library/PrivateTempFolder.h"
#include "tests/CraftedFiles.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace pictavo {
namespace {

// "16=0" an exact image, "22~1" a scaled one.
std::string Describe(const std::vector<ThemeImageChoice>& choices) {
    std::string text;
    for (const ThemeImageChoice& c : choices)
        text += (text.empty() ? "" : " ") + std::to_string(c.Size) + (c.Exact ? "=" : "~") +
                std::to_string(c.Image);
    return text;
}

struct ChoiceCase {
    const char* Name;
    std::vector<ThemeImageShape> Images; // width, height, depth
    const char* Expected;
};

// Test names show the case by its name, not as bytes.
void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.Name;
}

class ThemeSizeChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ThemeSizeChoice, EachStandardSizeUpToTheLargestImage) {
    EXPECT_EQ(Describe(ChooseThemeImages(GetParam().Images)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ThemeSizeChoice,
    testing::Values(
        ChoiceCase{"Only16And32And48",
                   {{16, 16, 32}, {32, 32, 32}, {48, 48, 32}},
                   "16=0 22~1 24~1 32=1 48=2"},
        ChoiceCase{"Png256Only", {{256, 256, 32}},
                   "16~0 22~0 24~0 32~0 48~0 64~0 96~0 128~0 256=0"},
        ChoiceCase{"Bitmap256AndA32At8Bits", {{256, 256, 1}, {32, 32, 8}},
                   "16~1 22~1 24~1 32=1 48~0 64~0 96~0 128~0 256=0"},
        ChoiceCase{"OddSized40GoesTo32", {{40, 40, 32}}, "16~0 22~0 24~0 32~0"},
        ChoiceCase{"NonSquareGoesToItsShorterSide", {{64, 32, 32}}, "16~0 22~0 24~0 32~0"},
        ChoiceCase{"ExactPrefers32BitsWhereverItIs",
                   {{32, 32, 4}, {32, 32, 32}, {32, 32, 8}},
                   "16~1 22~1 24~1 32=1"},
        ChoiceCase{"ScaledFromTheSmallestCoveringImage",
                   {{256, 256, 32}, {48, 48, 8}, {64, 64, 32}},
                   "16~1 22~1 24~1 32~1 48=1 64=2 96~0 128~0 256=0"},
        ChoiceCase{"DeeperOfEqualSourcesIsScaled", {{48, 48, 4}, {48, 48, 32}},
                   "16~1 22~1 24~1 32~1 48=1"},
        ChoiceCase{"ImageWithoutPixelsIsLeftOut", {{0, 0, 0}, {24, 24, 32}},
                   "16~1 22~1 24=1"},
        ChoiceCase{"NothingBelowTheSmallestSize", {{8, 8, 32}, {15, 200, 32}}, ""},
        ChoiceCase{"NoImages", {}, ""}),
    [](const testing::TestParamInfo<ChoiceCase>& p) { return p.param.Name; });

// A cursor's images serve as an icon's do. A PNG image counts as 32 bits (a cursor's PNG
// entry keeps its hotspot where the depth would be), and its picture gives its size.
TEST(ThemeImageShapes, CursorImagesAndPngImagesByTheirPicture) {
    TMultiIcon cursor;
    cursor.LoadFromFile(IconFixture("cursor.cur"));
    EXPECT_EQ(Describe(ChooseThemeImages(ThemeImageShapes(cursor))), "16=1 22~0 24~0 32=0");

    TMultiIcon icon;
    icon.LoadFromFile(IconFixture("mixed-png-between.ico"));
    const std::vector<ThemeImageShape> shapes = ThemeImageShapes(icon);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[1].Width, 48);
    EXPECT_EQ(shapes[1].Depth, 32);
    EXPECT_EQ(Describe(ChooseThemeImages(shapes)), "16=0 22~2 24~2 32=2 48=1");
}

TEST(ThemeIconName, BaseNameInLowerCaseWithOtherCharactersAsDashes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/games/My Game.exe", "my-game"},
        {"Setup_v1.2.EXE", "setup_v1.2"},
        {"C++ (x64)+.dll", "c----x64--"},
        {"/opt/游戏.exe", "--"}, // one dash per character, not per byte
        {"Ärger-Spiel.exe", "-rger-spiel"},
        {"noextension", "noextension"},
        {"...exe", "icon"}, // dots alone would be no name of its own
    };
    for (const auto& [file, name] : cases) {
        EXPECT_EQ(ThemeIconName(file), name) << file;
        EXPECT_TRUE(IsThemeIconName(ThemeIconName(file))) << file;
    }
    for (const std::string bad : {"", ".", "..", "a/b", "a b", "ä", "a\n"})
        EXPECT_FALSE(IsThemeIconName(bad)) << bad;
    for (const std::string good : {"org.example.MyGame", "wine-notepad_1", ".hidden"})
        EXPECT_TRUE(IsThemeIconName(good)) << good;
    EXPECT_EQ(ThemeIconPath("/t/", 48, "app"), "/t/hicolor/48x48/apps/app.png");
    EXPECT_EQ(ThemeIconPath("icons", 16, "app"), "icons/hicolor/16x16/apps/app.png");
}

TPngImage Decoded(const std::vector<uint8_t>& png) {
    TPngImage image;
    image.LoadFromBytes(png.data(), png.size());
    return image;
}

// Loads an icon of one PNG image of the given pixels.
void LoadPixels(TMultiIcon& icon, int width, int height, const std::vector<uint8_t>& rgba) {
    TPngImage png;
    png.SetPixels(width, height, rgba);
    MemoryStream stream(crafted::IconFileOfPngs({png.SaveToBytes()}));
    icon.LoadFromStream(&stream);
}

TEST(ThemeImagePng, ExactImagesAsExtractWritesThemScaledOnesSmoothWithAlpha) {
    TMultiIcon icon;
    icon.LoadFromFile(IconFixture("large256.ico")); // one 256-pixel image at 1 bit
    EXPECT_EQ(ThemeImagePng(icon, {256, 0, true}), ImageAsPng(icon.GetIconData(0)));
    const TPngImage scaled = Decoded(ThemeImagePng(icon, {96, 0, false}));
    EXPECT_EQ(scaled.Width(), 96);
    EXPECT_EQ(scaled.Height(), 96);

    // Half opaque red, half transparent: alpha stays, and no dark fringe on the border.
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            pixels.insert(pixels.end(), {255, 0, 0, static_cast<uint8_t>(x < 21 ? 255 : 0)});
    TMultiIcon halfIcon;
    LoadPixels(halfIcon, 40, 40, pixels);
    const TPngImage half = Decoded(ThemeImagePng(halfIcon, {32, 0, false}));
    ASSERT_EQ(half.Width(), 32);
    const uint8_t* row = &half.Pixels()[16 * 32 * 4];
    EXPECT_EQ(row[0 * 4 + 3], 255);
    EXPECT_EQ(row[31 * 4 + 3], 0);
    for (int x = 0; x < 32; ++x) {
        if (row[x * 4 + 3] > 0) {
            EXPECT_EQ(row[x * 4], 255) << x; // a border pixel keeps its colour
        }
    }
    EXPECT_GT(row[16 * 4 + 3], 0);           // the border pixel is partly covered
    EXPECT_LT(row[16 * 4 + 3], 255);
}

TEST(ThemeImagePng, NonSquareImageCentredOnATransparentSquare) {
    TMultiIcon wide;
    LoadPixels(wide, 64, 32, std::vector<uint8_t>(64 * 32 * 4, 255));
    const TPngImage square = Decoded(ThemeImagePng(wide, {32, 0, false}));
    ASSERT_EQ(square.Width(), 32);
    ASSERT_EQ(square.Height(), 32);
    auto alpha = [&](int x, int y) { return square.Pixels()[(y * 32 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(16, 0), 0);   // above the picture
    EXPECT_EQ(alpha(16, 7), 0);
    EXPECT_EQ(alpha(0, 8), 255);  // the picture, 32 x 16 in the middle
    EXPECT_EQ(alpha(31, 23), 255);
    EXPECT_EQ(alpha(16, 24), 0);  // below it
}

class IconThemeFiles : public testing::Test {
protected:
    std::vector<std::string> Save(const std::string& fixture, const std::string& name) {
        TMultiIcon icon;
        icon.LoadFromFile(fixture);
        return SaveIconToTheme(icon, work.Path() + "icons", name);
    }
    std::string Path(int size, const std::string& name) {
        return ThemeIconPath(work.Path() + "icons", size, name);
    }
    TPrivateTempFolder work;
};

TEST_F(IconThemeFiles, WritesEverySizeAndARerunReplacesTheEarlierFilesOfTheName) {
    const std::vector<std::string> first = Save(IconFixture("png-only.ico"), "game");
    ASSERT_EQ(first.size(), 9u);
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i], Path(HicolorSizes()[i], "game"));
    Save(IconFixture("png-only.ico"), "other");
    // Running programs see by the theme folder's time that it changed, also when no
    // folder was added.
    const std::string hicolor = work.Path() + "icons/hicolor";
    const timespec old[2] = {{946684800, 0}, {946684800, 0}}; // 2000-01-01
    ASSERT_EQ(::utimensat(AT_FDCWD, hicolor.c_str(), old, 0), 0);

    // A smaller icon of the same name: its larger sizes would otherwise still win.
    const std::vector<std::string> second = Save(IconFixture("bitmaps.ico"), "game");
    EXPECT_EQ(second.size(), 4u);
    struct stat folder {};
    ASSERT_EQ(::stat(hicolor.c_str(), &folder), 0);
    EXPECT_GT(folder.st_mtim.tv_sec, old[1].tv_sec);
    EXPECT_EQ(FolderEntries(work.Path() + "icons/hicolor/32x32/apps"),
              (std::vector<std::string>{"game.png", "other.png"}));
    EXPECT_EQ(FolderEntries(work.Path() + "icons/hicolor/48x48/apps"),
              (std::vector<std::string>{"other.png"}));
    EXPECT_EQ(FolderEntries(work.Path() + "icons/hicolor/256x256/apps"),
              (std::vector<std::string>{"other.png"}));
}

TEST_F(IconThemeFiles, IconWithoutALargeEnoughImageWritesNothing) {
    TMultiIcon icon;
    LoadPixels(icon, 8, 8, std::vector<uint8_t>(8 * 8 * 4, 255));
    const std::vector<std::string> before = FolderEntries(work.Path());
    EXPECT_THROW(SaveIconToTheme(icon, work.Path() + "icons", "tiny"), EInvalidGraphic);
    EXPECT_EQ(FolderEntries(work.Path()), before);
    EXPECT_THROW(Save(IconFixture("bitmaps.ico"), "../escape"), Exception);
    EXPECT_EQ(FolderEntries(work.Path()), before);
}

TEST_F(IconThemeFiles, ThemeCacheIsRefreshedWhereThereIsOne) {
    Save(IconFixture("bitmaps.ico"), "before"); // makes the hicolor folder
    const std::string hicolor = work.Path() + "icons/hicolor";
    const std::string cache = hicolor + "/icon-theme.cache";
    WriteFileBytes(cache, {});
    struct stat before {};
    ASSERT_EQ(::stat(cache.c_str(), &before), 0);

    Save(IconFixture("bitmaps.ico"), "app");
    struct stat cacheAfter {};
    struct stat folderAfter {};
    ASSERT_EQ(::stat(cache.c_str(), &cacheAfter), 0);
    ASSERT_EQ(::stat(hicolor.c_str(), &folderAfter), 0);
    // Rebuilt by gtk-update-icon-cache, or else outdated by the folder's time, so that the
    // desktop reads the folders.
    const bool rebuilt = cacheAfter.st_size > 0;
    const bool outdated = folderAfter.st_mtim.tv_sec > cacheAfter.st_mtim.tv_sec;
    EXPECT_TRUE(rebuilt || outdated);
}

} // namespace
} // namespace pictavo
