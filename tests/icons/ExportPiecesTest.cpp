// The core pieces of the export commands: file naming, an icon rendered onto a colour
// for the bitmap export, and the single-image .ico made from an icon handle (read back
// with the icon container).

#include "IconTestSupport.h"
#include "icons/ExportNames.h"
#include "icons/IconHandleFile.h"
#include "icons/IconOnColor.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using test::BlockRecipe;

struct NameCase {
    const char* module;
    int icon;
    int image; // -1: the whole-icon name
    const char* extension;
    const char* expected;
};

TEST(ExportNames, BaseUpToTheLastDotThenNumbers) {
    const NameCase cases[] = {
        {"/dlls/my.app.dll", 3, -1, "", "my.app_3.ico"},
        {"/dlls/my.app.dll", 3, 2, ".ico", "my.app_3_2.ico"},
        {"/dlls/my.app.dll", 3, 2, ".bmp", "my.app_3_2.bmp"},
        {"/usr/share/shell32.dll", 0, -1, "", "shell32_0.ico"},
        {"/bin/noext", 7, -1, "", "noext_7.ico"},
        {"/odd.dir/noext", 1, 0, ".bmp", "noext_1_0.bmp"},
        {"plain.ico", 0, 4, ".ico", "plain_0_4.ico"},
    };
    for (const NameCase& c : cases) {
        const std::string name = c.image < 0
                                     ? IconExportName(c.module, c.icon)
                                     : ImageExportName(c.module, c.icon, c.image, c.extension);
        EXPECT_EQ(name, c.expected) << c.module;
    }
}

TEST(ExportNames, ExtensionChangeAndFolderJoin) {
    EXPECT_EQ(ChangeFileExt("/out/a_1_0.ico", ".png"), "/out/a_1_0.png");
    EXPECT_EQ(ChangeFileExt("/out.d/noext", ".png"), "/out.d/noext.png");
    EXPECT_EQ(PathInFolder("/out", "a_1.ico"), "/out/a_1.ico");
    EXPECT_EQ(PathInFolder("/out/", "a_1.ico"), "/out/a_1.ico");
}

// Save dialogs open where the user last saved that kind of file, else beside the source.
TEST(ExportNames, SaveDialogStart) {
    struct Case {
        const char* last;
        const char* source;
        const char* expected;
    };
    for (const Case& c : {Case{"", "/win/shell32.dll", "/win/x.ico"},
                          Case{"/saved", "/win/shell32.dll", "/saved/x.ico"},
                          Case{"/saved/", "/win/shell32.dll", "/saved/x.ico"},
                          Case{"", "shell32.dll", "x.ico"},
                          Case{"", "/shell32.dll", "/x.ico"}})
        EXPECT_EQ(SaveDialogStart(c.last, c.source, "x.ico"), c.expected) << c.last << c.source;
}

// A library name typed without an extension gets ".icl"; other names stay as typed.
TEST(ExportNames, WithDefaultExtension) {
    struct Case {
        const char* typed;
        const char* expected;
    };
    for (const Case& c : {Case{"/out/lib1", "/out/lib1.icl"}, Case{"/out/lib1.dll", "/out/lib1.dll"},
                          Case{"/out.d/lib1", "/out.d/lib1.icl"}, Case{"/out/.lib", "/out/.lib.icl"},
                          Case{"/out/a.b.icl", "/out/a.b.icl"}, Case{"lib", "lib.icl"}})
        EXPECT_EQ(WithDefaultExtension(c.typed, ".icl"), c.expected) << c.typed;
}

// An icon with a transparent left quarter and a solid opaque pixel colour elsewhere.
std::unique_ptr<platform::IconHandle> HandleOf(TMultiIcon& icon, const BlockRecipe& recipe) {
    test::LoadBytes(icon, test::MakeIcon({recipe}));
    return icon.CreateIconHandle(0);
}

uint32_t Bgra(TColor color) {
    return 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

TEST(IconOnColor, TransparentRunsAndTheExtraRowTakeTheColour) {
    TMultiIcon icon;
    BlockRecipe recipe;
    recipe.width = recipe.height = 32;
    recipe.bpp = 24;
    recipe.color = [](int, int) { return 0x102030u; }; // blue 0x30, green 0x20, red 0x10
    // Transparent: the left quarter, and a run that reaches the end of row 5.
    recipe.mask = [](int x, int y) { return x < 8 || (y == 5 && x >= 20); };
    const auto handle = HandleOf(icon, recipe);
    ASSERT_TRUE(handle);

    const TColor color = RGB(0x56, 0x34, 0x12);
    TAlphaBitmap bitmap;
    DrawIconOnColor(*handle, color, bitmap);
    ASSERT_EQ(bitmap.GetWidth(), 32);
    ASSERT_EQ(bitmap.GetHeight(), 33);
    platform::Surface& canvas = *bitmap.Canvas();
    const uint32_t opaque = 0xFF102030u;
    EXPECT_EQ(canvas.PixelAt(0, 0), Bgra(color));
    EXPECT_EQ(canvas.PixelAt(7, 31), Bgra(color));
    EXPECT_EQ(canvas.PixelAt(8, 0), opaque);
    EXPECT_EQ(canvas.PixelAt(19, 5), opaque);
    EXPECT_EQ(canvas.PixelAt(20, 5), Bgra(color));
    EXPECT_EQ(canvas.PixelAt(31, 5), Bgra(color));
    EXPECT_EQ(canvas.PixelAt(31, 6), opaque);
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(canvas.PixelAt(x, 32), Bgra(color)) << x;
}

TEST(IconOnColor, PartlyTransparentPixelsBlendWithWhite) {
    TMultiIcon icon;
    BlockRecipe recipe;
    recipe.width = recipe.height = 16;
    recipe.bpp = 32;
    recipe.color = [](int, int) { return 0x80000000u; }; // black at alpha 128
    recipe.mask = [](int, int) { return false; };
    const auto handle = HandleOf(icon, recipe);
    ASSERT_TRUE(handle);
    TAlphaBitmap bitmap;
    DrawIconOnColor(*handle, RGB(255, 0, 0), bitmap);
    const uint32_t grey = (255 * 127 + 127) / 255;
    EXPECT_EQ(bitmap.Canvas()->PixelAt(3, 3) & 0xFFFFFF, grey | grey << 8 | grey << 16);
    EXPECT_EQ(bitmap.Canvas()->PixelAt(3, 16), Bgra(RGB(255, 0, 0)));
}

TEST(IconHandleFile, StandardEntryAndTheImageReadsBack) {
    struct DepthCase {
        int screenDepth;
        int imageBpp;
    };
    for (const DepthCase c : {DepthCase{32, 8}, DepthCase{32, 32}, DepthCase{24, 4}}) {
        platform::SetScreenDepth(c.screenDepth);
        TMultiIcon source;
        BlockRecipe recipe;
        recipe.width = 48;
        recipe.height = 48;
        recipe.bpp = c.imageBpp;
        // Transparent pixels (the default mask: x < 4) are black, as icon makers write them.
        recipe.color = [&](int x, int y) {
            if (x < 4)
                return 0u;
            return c.imageBpp == 32 ? 0xFF000000u | static_cast<uint32_t>(x * 5 + y)
                                    : static_cast<uint32_t>((x + y) % 16);
        };
        const auto handle = HandleOf(source, recipe);
        ASSERT_TRUE(handle);
        const std::vector<uint8_t> bytes = IconHandleFileBytes(*handle);

        ASSERT_GE(bytes.size(), 22u);
        EXPECT_EQ(LoadU16(bytes.data() + 2), 1);
        EXPECT_EQ(LoadU16(bytes.data() + 4), 1);
        const uint8_t* entry = bytes.data() + 6;
        EXPECT_EQ(entry[0], 48);
        EXPECT_EQ(entry[1], 48);
        EXPECT_EQ(entry[2], 0) << "colour count at 8 bits and above";
        EXPECT_EQ(entry[3], 0);
        EXPECT_EQ(LoadU16(entry + 4), 1) << "planes";
        EXPECT_EQ(LoadU16(entry + 6), c.screenDepth) << "bit count";
        EXPECT_EQ(LoadU32(entry + 8), bytes.size() - 22);
        EXPECT_EQ(LoadU32(entry + 12), 22u);

        TMultiIcon reread;
        test::LoadBytes(reread, bytes);
        ASSERT_EQ(reread.IconCount(), 1);
        const TMultiIconImage image = reread.GetIconData(0);
        EXPECT_EQ(image.Width, 48);
        EXPECT_EQ(image.Height, 48);
        EXPECT_EQ(image.BitsPerPixel, c.screenDepth);
        // Drawn back onto a grey canvas, the picture is that of the handle.
        auto fromHandle = platform::Surface::Create(48, 48);
        auto fromFile = platform::Surface::Create(48, 48);
        for (auto* canvas : {fromHandle.get(), fromFile.get()}) {
            canvas->SetBrushColor(0x808080);
            canvas->FillRect({0, 0, 48, 48});
        }
        platform::DrawIcon(*fromHandle, 0, 0, *handle);
        reread.Draw(*fromFile, {0, 0, 48, 48});
        for (const auto& [x, y] : {std::pair{0, 0}, {3, 40}, {10, 10}, {47, 47}}) {
            const uint32_t a = fromHandle->PixelAt(x, y), b = fromFile->PixelAt(x, y);
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_NEAR((a >> shift) & 0xFF, (b >> shift) & 0xFF, 1)
                    << c.imageBpp << " bits at " << x << "," << y;
        }
    }
    platform::SetScreenDepth(32);
}

} // namespace
} // namespace pictavo
