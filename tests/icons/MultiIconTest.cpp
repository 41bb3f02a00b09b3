#include "IconTestSupport.h"

#include "icons/MultiIcon.h"
#include "platform/Raster.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using test::BlockRecipe;
using test::LoadBytes;
using test::MakeIcon;
using test::SaveBytes;

// Restores the screen depth a test changed.
class ScreenDepthGuard {
public:
    explicit ScreenDepthGuard(int depth) { platform::SetScreenDepth(depth); }
    ~ScreenDepthGuard() { platform::SetScreenDepth(32); }
};

BlockRecipe Image(int size, int bpp) {
    BlockRecipe recipe;
    recipe.width = recipe.height = size;
    recipe.bpp = bpp;
    recipe.color = [bpp](int x, int y) { return bpp <= 8 ? (x + y) % (1u << bpp) : 0u; };
    return recipe;
}

struct BestFitCase {
    const char* name;
    std::vector<std::pair<int, int>> images; // size, bits per pixel
    int screenDepth;
    int expected;
};

void PrintTo(const BestFitCase& c, std::ostream* os) {
    *os << c.name;
}

class BestFit : public testing::TestWithParam<BestFitCase> {};

TEST_P(BestFit, ChoosesTheCurrentImage) {
    const BestFitCase& c = GetParam();
    ScreenDepthGuard depth(c.screenDepth);
    std::vector<BlockRecipe> recipes;
    for (const auto& [size, bpp] : c.images)
        recipes.push_back(Image(size, bpp));
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon(recipes));
    EXPECT_EQ(icon.ScreenDepth(), c.screenDepth);
    EXPECT_EQ(icon.CurrentIndex(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BestFit,
    testing::Values(BestFitCase{"LaterOfTwoPerfectScores", {{32, 4}, {32, 8}, {16, 32}}, 32, 1},
                    BestFitCase{"OversizeCostsAThousandPerPixel", {{48, 32}, {32, 32}}, 32, 1},
                    BestFitCase{"ShallowerAfterDeeperIsSkipped", {{32, 32}, {32, 8}}, 32, 0},
                    BestFitCase{"NothingPassesOnSixteenBits", {{32, 32}, {32, 8}}, 16, 0},
                    BestFitCase{"TooDeepForSixteenBits", {{16, 4}, {32, 8}, {32, 32}}, 16, 1},
                    BestFitCase{"SmallerCostsOnePerPixel", {{16, 8}, {24, 8}, {48, 8}}, 32, 1}),
    [](const testing::TestParamInfo<BestFitCase>& p) { return std::string(p.param.name); });

TEST(MultiIcon, EmptyContainerAndOutOfRangeQueries) {
    TMultiIcon icon;
    EXPECT_TRUE(icon.GetEmpty());
    EXPECT_EQ(icon.CurrentIndex(), -1);
    EXPECT_EQ(icon.ScreenDepth(), 0);
    EXPECT_TRUE(icon.GetTransparent());
    icon.SetTransparent(false);
    EXPECT_TRUE(icon.GetTransparent());
    LoadBytes(icon, MakeIcon({Image(16, 4), Image(32, 8)}));
    for (int i : {-1, 2}) {
        const TMultiIconImage image = icon.GetIconData(i);
        EXPECT_EQ(image.Width, 0);
        EXPECT_EQ(image.Header, nullptr);
        int w = 7, h = 7;
        icon.GetIconDimensions(i, w, h);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
    int notifications = 0;
    icon.AddChangeObserver([&](TGraphic&) { ++notifications; });
    icon.DeleteIcon(-1);
    icon.DeleteIcon(2);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(icon.IconCount(), 2);
}

TEST(MultiIcon, DeletingTheCurrentImageKeepsAValidIndex) {
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({Image(16, 4), Image(32, 8)}));
    ASSERT_EQ(icon.CurrentIndex(), 1);
    int notifications = 0;
    icon.AddChangeObserver([&](TGraphic&) { ++notifications; });
    icon.DeleteIcon(1);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(icon.IconCount(), 1);
    EXPECT_EQ(icon.CurrentIndex(), 0);
    icon.DeleteIcon(0);
    EXPECT_EQ(icon.CurrentIndex(), -1);
    EXPECT_EQ(icon.ScreenDepth(), 0);
}

TEST(MultiIcon, FlagsAndPreferredSizeRechooseTheImage) {
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({Image(16, 8), Image(32, 8), Image(48, 8)}));
    EXPECT_EQ(icon.CurrentIndex(), 1);
    icon.SetPreferredSize(0, 48); // ignored
    EXPECT_EQ(icon.CurrentIndex(), 1);
    icon.SetPreferredSize(48, 48);
    EXPECT_EQ(icon.CurrentIndex(), 2);
    icon.SetOptimalIcon(false);
    icon.SetPreferredSize(16, 16);
    EXPECT_EQ(icon.CurrentIndex(), 2); // kept while valid
    EXPECT_EQ(icon.GetWidth(), 48);

    icon.SetDrawAllImages(true);
    EXPECT_EQ(icon.ExtentWidth(), 48);
    EXPECT_EQ(icon.ExtentHeight(), 16 + 2 + 32 + 2 + 48);
    EXPECT_EQ(icon.GetHeight(), icon.ExtentHeight());
    icon.SetWidth(10); // ignored while all images are drawn
    EXPECT_EQ(icon.GetIconWidth(2), 48);
}

TEST(MultiIcon, AssignCopiesImagesFlagsAndCurrentIndex) {
    TMultiIcon source;
    source.LoadFromFile(test::IconFixture("cursor.cur"));
    source.SetOptimalIcon(false);
    source.SetPreferredSize(16, 16);
    TMultiIcon copy;
    copy.Assign(&source);
    EXPECT_TRUE(copy.IsCursor());
    EXPECT_FALSE(copy.OptimalIcon());
    EXPECT_EQ(copy.PreferredWidth(), 16);
    EXPECT_EQ(copy.CurrentIndex(), source.CurrentIndex());
    EXPECT_EQ(SaveBytes(copy), SaveBytes(source));

    int notifications = 0;
    copy.AddChangeObserver([&](TGraphic&) { ++notifications; });
    TMultiIcon empty;
    copy.Assign(&empty);
    EXPECT_TRUE(copy.GetEmpty());
    EXPECT_EQ(notifications, 1);
}

TEST(MultiIcon, AssignFromAnotherGraphicClassIsRefused) {
    class Other : public TGraphic {
    public:
        const char* ClassName() const override { return "TOther"; }
        void Draw(platform::Surface&, const platform::Rect&) override {}
        bool GetEmpty() const override { return true; }
        int GetWidth() const override { return 0; }
        int GetHeight() const override { return 0; }
        void SetWidth(int) override {}
        void SetHeight(int) override {}
        void LoadFromStream(Stream*) override {}
        void SaveToStream(Stream*) override {}
    } other;
    TMultiIcon icon;
    try {
        icon.Assign(&other);
        FAIL() << "assigned";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Cannot assign a TOther to a TMultiIcon");
    }
}

TEST(MultiIcon, SetIconSizeCentresTheOldPixels) {
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({Image(16, 4)}));
    int notifications = 0;
    icon.AddChangeObserver([&](TGraphic&) { ++notifications; });
    icon.SetIconSize(0, 32, 32);
    EXPECT_EQ(notifications, 1);
    const TMultiIconImage grown = icon.GetIconData(0);
    ASSERT_EQ(grown.Width, 32);
    ASSERT_EQ(grown.Height, 32);
    EXPECT_EQ(LoadI32(grown.Header.get() + 4), 32);
    EXPECT_EQ(LoadI32(grown.Header.get() + 8), 32);
    EXPECT_EQ(LoadI32(grown.Header.get() + 20), RowSize(32, 4) * 32);
    EXPECT_EQ(grown.ColorBitsSize, RowSize(32, 4) * 32);
    EXPECT_EQ(grown.MaskBitsSize, RowSize(32, 1) * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool old = x >= 8 && x < 24 && y >= 8 && y < 24;
            const uint32_t color = old ? (x - 8 + y - 8) % 16 : 0;
            const bool transparent = old ? x - 8 < 4 : true;
            ASSERT_EQ(grown.ColorBitmap->RawPixel(x, y), color) << x << "," << y;
            ASSERT_EQ(grown.MaskBitmap->RawPixel(x, y), transparent ? 1u : 0u) << x << "," << y;
        }

    // Shrinking crops around the centre: new (x, y) is old (x + 8, y + 8).
    icon.SetIconSize(0, 16, 16);
    const TMultiIconImage shrunk = icon.GetIconData(0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(shrunk.ColorBitmap->RawPixel(x, y), static_cast<uint32_t>((x + y) % 16));

    icon.SetIconSize(0, 16, 16); // unchanged size: nothing
    icon.SetIconSize(0, 0, 16);
    icon.SetIconSize(1, 8, 8);
    EXPECT_EQ(notifications, 2);
    // Three more rows: the offset is 1, counted from the top (old row y becomes y + 1).
    icon.SetIconHeight(0, 19);
    EXPECT_EQ(icon.GetIconWidth(0), 16);
    ASSERT_EQ(icon.GetIconHeight(0), 19);
    const TMultiIconImage taller = icon.GetIconData(0);
    for (int y = 0; y < 19; ++y) {
        const bool old = y >= 1 && y < 17;
        ASSERT_EQ(taller.ColorBitmap->RawPixel(5, y), old ? (5 + y - 1) % 16u : 0u) << y;
        ASSERT_EQ(taller.MaskBitmap->RawPixel(0, y), 1u) << y;
        ASSERT_EQ(taller.MaskBitmap->RawPixel(5, y), old ? 0u : 1u) << y;
    }
}

TEST(MultiIcon, SetIconSizeOfPngOnlyNotifies) {
    TMultiIcon icon;
    icon.LoadFromFile(test::IconFixture("png256.ico"));
    int notifications = 0;
    icon.AddChangeObserver([&](TGraphic&) { ++notifications; });
    icon.SetIconSize(0, 32, 32);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(icon.GetIconWidth(0), 256);
}

TEST(MultiIcon, ResizingAnEmptyRecordRaises) {
    std::vector<uint8_t> bytes = test::FixtureBytes("bitmaps.ico");
    StoreU32(bytes.data() + 6 + 8, 1); // the first image's byte count is wrong
    TMultiIcon icon;
    EXPECT_THROW(LoadBytes(icon, bytes), Exception);
    try {
        icon.SetIconSize(0, 8, 8);
        FAIL() << "resized";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Error while resizing icon");
    }
}

TEST(MultiIconRoutines, DivUpRowSizeAndPaletteColors) {
    EXPECT_EQ(DivUp(5, 0), 0);
    EXPECT_EQ(DivUp(64, 32), 2);
    EXPECT_EQ(DivUp(65, 32), 3);
    EXPECT_EQ(DivUp(-5, 32), 0);
    EXPECT_EQ(RowSize(1, 1), 4);
    EXPECT_EQ(RowSize(33, 1), 8);
    EXPECT_EQ(RowSize(3, 24), 12);
    EXPECT_EQ(RowSize(16, 4), 8);
    EXPECT_EQ(PaletteColors(1), 2);
    EXPECT_EQ(PaletteColors(4), 16);
    EXPECT_EQ(PaletteColors(8), 256);
    EXPECT_EQ(PaletteColors(16), 0);
    EXPECT_EQ(PaletteColors(32), 0);
    try {
        GdiCheck(std::unique_ptr<platform::Bitmap>());
        FAIL() << "no exception";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "GDI object could not be created.");
    }
}

} // namespace
} // namespace pictavo
