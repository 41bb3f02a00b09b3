// Cursor themes, checked by libXcursor itself: every role loads by each of its names with
// its steps, delays, sizes and hotspots.

#include "cursors/CursorTheme.h"
#include "cursors/CursorRoles.h"
#include "cursors/CursorScheme.h"
#include "cursors/XcursorImages.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "XcursorTestSupport.h"

namespace fs = std::filesystem;

namespace pictavo {
namespace {

using namespace xcursortest;

const std::string Pack = std::string(PICTAVO_FIXTURES) + "/cursors/pack";

uint32_t Pixel(const XcursorImage* image, int x, int y) {
    return image->pixels[static_cast<size_t>(y) * image->width + x];
}

const TCursorRole& RoleNamed(const char* name) {
    for (const TCursorRole& role : CursorRoles())
        if (std::string(role.RegistryName) == name)
            return role;
    throw Exception(name);
}

std::vector<std::string> NamesOf(const TCursorRole& role) {
    std::vector<std::string> names = {role.ThemeName};
    names.insert(names.end(), role.Aliases.begin(), role.Aliases.end());
    return names;
}

struct Expected {
    const char* role;
    std::vector<uint32_t> delays; // of each step
    std::vector<uint32_t> colors; // opaque ARGB of pixel (1, 1) at each step; none to skip
};

// What the pack's .inf makes, by make_cursors.py.
std::vector<Expected> PackCursors() {
    const uint32_t red = 0xFFFF0000, green = 0xFF00A000, blue = 0xFF0000FF;
    return {
        {"Arrow", {0}, {0xFF1E1E1E}},
        {"AppStarting", {150, 150}, {red, green}},
        {"Wait", {100, 200, 50, 1000, 500}, {red, green, blue, green, red}},
        {"IBeam", {0}, {}}, // pixel art: see below
        {"No", {0}, {0xFFC80000}},
        {"Hand", {0}, {0xFF007800}},
    };
}

TEST(CursorTheme, EveryRoleLoadsThroughLibXcursorByEachName) {
    const std::string theme = "PackFromInf";
    const std::string folder = WriteCursorTheme(ReadCursorScheme(Pack + "/install.inf"),
                                                {ThemeRoot(), theme, DefaultThemeSizes(), {}});
    EXPECT_EQ(folder, ThemeRoot() + "/" + theme);
    const std::string index = [&] {
        auto b = ReadFileBytes(folder + "/index.theme");
        return std::string(b.begin(), b.end());
    }();
    EXPECT_NE(index.find("[Icon Theme]\nName=PackFromInf\n"), std::string::npos);
    EXPECT_NE(index.find("Pictavo Test"), std::string::npos);

    for (const Expected& e : PackCursors()) {
        const TCursorRole& role = RoleNamed(e.role);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder + "/cursors/" + role.ThemeName)));
        for (const std::string& name : NamesOf(role)) {
            for (int size : {24, 32, 48, 64}) {
                SCOPED_TRACE(name + " at " + std::to_string(size));
                const Loaded images = Load(name, theme, size);
                ASSERT_TRUE(images);
                ASSERT_EQ(images->nimage, static_cast<int>(e.delays.size()));
                for (int i = 0; i < images->nimage; ++i) {
                    const XcursorImage* image = images->images[i];
                    EXPECT_EQ(static_cast<int>(image->size), size);
                    EXPECT_EQ(static_cast<int>(image->width), size);
                    EXPECT_EQ(image->delay, e.delays[static_cast<size_t>(i)]);
                    if (!e.colors.empty()) {
                        EXPECT_EQ(Pixel(image, 1, 1), e.colors[static_cast<size_t>(i)]) << i;
                    }
                }
            }
        }
    }
    EXPECT_FALSE(Load("help", theme, 32)); // the pack has no help cursor
}

TEST(CursorTheme, HotspotsScaleWithTheImage) {
    const std::string theme = "Hotspots";
    WriteCursorTheme(ReadCursorScheme(Pack + "/install.inf"),
                     {ThemeRoot(), theme, {24, 32, 48, 64}, {}});
    const struct {
        const char* name;
        int size;
        unsigned x, y;
    } cases[] = {
        {"default", 32, 3, 2},  // the source's own 32 x 32 image
        {"left_ptr", 48, 4, 3}, // the source's own 48 x 48 image
        {"default", 24, 2, 1},  // 32 -> 24
        {"default", 64, 5, 4},  // 48 -> 96 -> 64
        {"text", 32, 14, 16},   // 16 -> 32
        {"not-allowed", 64, 30, 30}, {"hand2", 24, 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.size));
        const Loaded images = Load(c.name, theme, c.size);
        ASSERT_TRUE(images);
        EXPECT_EQ(images->images[0]->xhot, c.x);
        EXPECT_EQ(images->images[0]->yhot, c.y);
    }
}

// The 16-pixel checkerboard of the text cursor doubles without smoothing.
TEST(CursorTheme, PixelArtGrowsByWholeFactorsWithoutSmoothing) {
    const std::string theme = "PixelArt";
    WriteCursorTheme(ReadCursorScheme(Pack + "/install.inf"), {ThemeRoot(), theme, {16, 32}, {}});
    const Loaded small = Load("xterm", theme, 16);
    const Loaded doubled = Load("xterm", theme, 32);
    ASSERT_TRUE(small && doubled);
    ASSERT_EQ(doubled->images[0]->width, 32u);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(Pixel(doubled->images[0], x, y), Pixel(small->images[0], x / 2, y / 2))
                << x << "," << y;
}

TEST(CursorTheme, ScaleCursorImageSizes) {
    RgbaImage image;
    image.Width = 20;
    image.Height = 10;
    image.Pixels.assign(20 * 10 * 4, 200);
    for (const auto& [size, width, height] : std::vector<std::tuple<int, int, int>>{
             {20, 20, 10}, {10, 10, 5}, {48, 48, 24}, {40, 40, 20}}) {
        const RgbaImage scaled = ScaleCursorImage(image, size);
        EXPECT_EQ(scaled.Width, width);
        EXPECT_EQ(scaled.Height, height);
    }
}

// A cursor that cannot be read fails the theme, named, and leaves nothing behind; an
// earlier theme of the name stays whole.
TEST(CursorTheme, FailedRoleLeavesNoHalfTheme) {
    const std::string dir = ThemeRoot() + "/failing";
    fs::create_directories(dir);
    const std::string packCopy = dir + "/pack";
    fs::copy(Pack, packCopy);
    TCursorScheme scheme = ReadCursorScheme(packCopy + "/install.inf");
    WriteCursorTheme(scheme, {dir, "Theme", {32}, {}});
    const auto before = fs::file_size(dir + "/Theme/cursors/wait");

    WriteFileBytes(packCopy + "/Busy.ani", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'C', 'O', 'N'});
    try {
        WriteCursorTheme(scheme, {dir, "Theme", {24, 32}, {}});
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("Wait"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("Busy.ani"), std::string::npos) << error.what();
    }
    EXPECT_EQ(fs::file_size(dir + "/Theme/cursors/wait"), before);
    EXPECT_THROW(WriteCursorTheme(scheme, {dir, "Fresh", {32}, {}}), Exception);
    EXPECT_FALSE(fs::exists(dir + "/Fresh"));
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        ++entries;
        EXPECT_EQ(entry.path().filename().string().rfind(".pictavo", 0), std::string::npos);
    }
    EXPECT_EQ(entries, 2); // pack and Theme
}

// The window shows each cursor as it is written and may stop part way: what the hook
// raises ends the writing as it is, with nothing of the theme left.
TEST(CursorTheme, ReportsEachCursorAndStopsWhereItsHookRaises) {
    struct Stop {};
    const std::string dir = ThemeRoot() + "/stopping";
    const TCursorScheme scheme = ReadCursorScheme(Pack + "/install.inf");
    TCursorThemeRequest request{dir, "Theme", {32}, {}};
    std::vector<std::pair<size_t, size_t>> calls;
    request.OnCursor = [&](size_t done, size_t total, const std::string& file) {
        EXPECT_TRUE(fs::exists(file)) << file;
        calls.emplace_back(done, total);
        if (done == 2)
            throw Stop();
    };
    EXPECT_THROW(WriteCursorTheme(scheme, request), Stop);
    const std::vector<std::pair<size_t, size_t>> expected = {{0, 6}, {1, 6}, {2, 6}};
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST(CursorTheme, ReplacesAnEarlierThemeButNothingElse) {
    const std::string dir = ThemeRoot() + "/replacing";
    const TCursorScheme scheme = ReadCursorScheme(Pack + "/install.inf");
    WriteCursorTheme(scheme, {dir, "Theme", {32}, {}});
    WriteCursorTheme(scheme, {dir, "Theme", {32, 64}, {}});
    const Loaded images(XcursorFilenameLoadAllImages((dir + "/Theme/cursors/default").c_str()));
    ASSERT_TRUE(images);
    EXPECT_EQ(images->nimage, 3); // 32, 48 (the source's) and 64

    fs::create_directories(dir + "/Photos");
    WriteFileBytes(dir + "/Photos/cat.jpg", {1, 2, 3});
    EXPECT_THROW(WriteCursorTheme(scheme, {dir, "Photos", {32}, {}}), Exception);
    EXPECT_TRUE(fs::exists(dir + "/Photos/cat.jpg"));
    for (const char* bad : {"", ".", "..", "a/b"})
        EXPECT_THROW(WriteCursorTheme(scheme, {dir, bad, {32}, {}}), Exception) << bad;
}

TEST(CursorTheme, WhereAndUnderWhichNameTheWindowSavesIt) {
    EXPECT_EQ(ThemeNameOfSource(Pack), "pack");
    EXPECT_EQ(ThemeNameOfSource(Pack + "/"), "pack");
    EXPECT_EQ(ThemeNameOfSource(Pack + "/install.inf"), "pack");
    EXPECT_EQ(ThemeNameOfSource("/"), "Cursors");
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string kept = data != nullptr ? data : "";
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(UserCursorThemesFolder(), "/data/icons");
    ::setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(UserCursorThemesFolder(), std::string(std::getenv("HOME")) + "/.local/share/icons");
    if (data != nullptr)
        ::setenv("XDG_DATA_HOME", kept.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace pictavo
