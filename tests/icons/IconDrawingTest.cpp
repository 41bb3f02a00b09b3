#include "IconTestSupport.h"

#include "icons/MultiIcon.h"
#include "platform/Raster.h"
#include "util/Color.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using test::BlockRecipe;
using test::LoadBytes;
using test::MakeIcon;

constexpr uint32_t OpaqueWhite = 0xFFFFFFFF;

std::unique_ptr<platform::Surface> Canvas(int w, int h, TColor color) {
    auto canvas = platform::Surface::Create(w, h);
    canvas->SetBrushColor(color);
    canvas->FillRect({0, 0, w, h});
    return canvas;
}

// A 32-bit image whose every pixel is `bgra`, mask all opaque.
BlockRecipe Uniform32(int size, uint32_t bgra) {
    BlockRecipe recipe;
    recipe.width = recipe.height = size;
    recipe.bpp = 32;
    recipe.color = [bgra](int, int) { return bgra; };
    recipe.mask = [](int, int) { return false; };
    return recipe;
}

// The colour-table entry the test blocks use for index i, as blue, green, red, alpha 0.
uint32_t TableColor(uint32_t i) {
    return (i * 16) | ((255 - i * 16) << 8) | ((i * 8) << 16);
}

uint32_t Blend(uint32_t s, uint32_t a, uint32_t d) {
    return (s * a + d * (255 - a)) >> 8;
}

struct BlendCase {
    const char* name;
    uint32_t source; // 0xAARRGGBB
    int drawSize;    // 2: own size; 4: scaled
};

void PrintTo(const BlendCase& c, std::ostream* os) {
    *os << c.name;
}

class AlphaCompositing : public testing::TestWithParam<BlendCase> {};

TEST_P(AlphaCompositing, BlendsWithShiftByEight) {
    const BlendCase& c = GetParam();
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({Uniform32(2, c.source)}));
    auto canvas = Canvas(8, 8, clWhite);
    icon.Draw(*canvas, {1, 1, 1 + c.drawSize, 1 + c.drawSize});
    const uint32_t a = c.source >> 24;
    uint32_t expected = 0xFF000000; // the canvas's alpha byte stays
    for (int shift = 0; shift < 24; shift += 8)
        expected |= Blend((c.source >> shift) & 0xFF, a, 255) << shift;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 1 && x < 1 + c.drawSize && y >= 1 && y < 1 + c.drawSize;
            ASSERT_EQ(canvas->PixelAt(x, y), inside ? expected : OpaqueWhite) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Values, AlphaCompositing,
                         testing::Values(BlendCase{"Alpha128OverWhite", 0x80C8640A, 2},
                                         BlendCase{"OpaqueWhiteBecomes254", 0xFFFFFFFF, 2},
                                         BlendCase{"Alpha128OverWhiteScaled", 0x80C8640A, 4},
                                         BlendCase{"OpaqueWhiteBecomes254Scaled", 0xFFFFFFFF, 4}),
                         [](const testing::TestParamInfo<BlendCase>& p) {
                             return std::string(p.param.name);
                         });

// The side the 16 x 16 four-bit test image is drawn at: its own size, or scaled up.
class FourBitImage : public testing::TestWithParam<int> {};

TEST_P(FourBitImage, ShowsItsPixelsAndTheCanvasWhereMasked) {
    const int side = GetParam(), scale = side / 16;
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({BlockRecipe{}})); // 16 x 16, index (x + y) % 16, x < 4 transparent
    auto canvas = Canvas(side, side, RGB(1, 2, 3));
    icon.Draw(*canvas, {0, 0, side, side});
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int sx = x / scale, sy = y / scale; // the nearest source pixel
            const uint32_t expected = sx < 4 ? 0xFF010203u : TableColor((sx + sy) % 16);
            ASSERT_EQ(canvas->PixelAt(x, y), expected) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Sides, FourBitImage, testing::Values(16, 32),
                         [](const testing::TestParamInfo<int>& p) {
                             return p.param == 16 ? std::string("OwnSize") : std::string("Scaled");
                         });

TEST(IconDrawing, ScaledCanvasShowsTheBrushBehindTheImage) {
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({BlockRecipe{}}));
    auto canvas = Canvas(16, 16, RGB(1, 2, 3));
    canvas->SetMapMode(platform::MapMode::Scaled);
    canvas->SetBrushColor(RGB(9, 8, 7));
    icon.Draw(*canvas, {0, 0, 16, 16});
    EXPECT_EQ(canvas->PixelAt(0, 5), 0xFF090807u);
    EXPECT_EQ(canvas->PixelAt(8, 5), TableColor(13));
}

TEST(IconDrawing, PngImageDrawsItself) {
    TMultiIcon icon;
    icon.LoadFromFile(test::IconFixture("png256.ico"));
    ASSERT_EQ(icon.CurrentIndex(), 0);
    auto canvas = Canvas(32, 32, clWhite);
    icon.Draw(*canvas, {0, 0, 32, 32});
    // Source pixel (0, 0) is red 0, green 0, blue 128, alpha 255.
    EXPECT_EQ(canvas->PixelAt(0, 0), 0xFF000080u);
    // Pixel (31, 31) comes from source (248, 248): red 210, green 210, alpha 143.
    const uint32_t a = 255 - 7 * 16;
    const uint32_t red = (210 * a + 255 * (255 - a) + 127) / 255;
    const uint32_t blue = (128 * a + 255 * (255 - a) + 127) / 255;
    EXPECT_EQ(canvas->PixelAt(31, 31), 0xFF000000u | (red << 16) | (red << 8) | blue);
}

TEST(IconDrawing, AllImagesAreLaidOutDownwards) {
    TMultiIcon icon;
    BlockRecipe small;
    BlockRecipe large;
    large.width = large.height = 32;
    LoadBytes(icon, MakeIcon({small, large}));
    icon.SetDrawAllImages(true);
    ASSERT_EQ(icon.GetWidth(), 32);
    ASSERT_EQ(icon.GetHeight(), 50);
    auto canvas = Canvas(32, 50, RGB(1, 2, 3));
    icon.Draw(*canvas, {0, 0, 32, 50});
    EXPECT_EQ(canvas->PixelAt(5, 0), TableColor(5));
    EXPECT_EQ(canvas->PixelAt(20, 0), 0xFF010203u); // right of the small image
    EXPECT_EQ(canvas->PixelAt(5, 18), TableColor(5));
    EXPECT_EQ(canvas->PixelAt(5, 17), 0xFF010203u); // the 2-pixel gap
}

class CountingIcon : public TMultiIcon {
public:
    void UpdateMetrics() override {
        ++updates;
        TMultiIcon::UpdateMetrics();
    }
    int updates = 0;
};

TEST(IconDrawing, CanvasOfAnotherDepthRerunsUpdateMetricsOnEveryDraw) {
    CountingIcon icon;
    LoadBytes(icon, MakeIcon({BlockRecipe{}}));
    auto canvas = Canvas(16, 16, clWhite);
    icon.updates = 0;
    icon.Draw(*canvas, {0, 0, 16, 16});
    EXPECT_EQ(icon.updates, 0);
    canvas->SetDeviceDepth(16);
    icon.Draw(*canvas, {0, 0, 16, 16});
    icon.Draw(*canvas, {0, 0, 16, 16});
    EXPECT_EQ(icon.updates, 2);
}

TEST(IconHandle, PngImageRaisesGdiError) {
    TMultiIcon icon;
    icon.LoadFromFile(test::IconFixture("png256.ico"));
    try {
        icon.CreateIconHandle(0);
        FAIL() << "made a handle";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "GDI object could not be created.");
    }
    EXPECT_NE(icon.CreateIconHandle(1), nullptr);
    TMultiIcon empty;
    EXPECT_EQ(empty.CreateIconHandle(0), nullptr);
}

TEST(IconHandle, OutOfRangeIndexUsesTheCurrentImage) {
    TMultiIcon icon;
    icon.LoadFromFile(test::IconFixture("bitmaps.ico"));
    const int current = icon.CurrentIndex();
    const auto handle = icon.CreateIconHandle(-1);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Width(), icon.GetIconWidth(current));
    EXPECT_EQ(handle->BitsPerPixel(), 32);
    EXPECT_EQ(icon.CreateIconHandle(0)->Width(), 16);
}

TEST(IconHandle, DrawsMaskedAndAlphaBlended) {
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({BlockRecipe{}, Uniform32(16, 0x80C8640A)}));
    auto canvas = Canvas(16, 16, RGB(1, 2, 3));
    platform::DrawIcon(*canvas, 0, 0, *icon.CreateIconHandle(0));
    // Masked: the canvas XOR the colour (the test block does not blacken masked pixels).
    EXPECT_EQ(canvas->PixelAt(2, 2), 0xFF010203u ^ TableColor(4));
    EXPECT_EQ(canvas->PixelAt(6, 2), 0xFF000000u | TableColor(8));

    canvas = Canvas(16, 16, clWhite);
    platform::DrawIcon(*canvas, 0, 0, *icon.CreateIconHandle(1));
    const uint32_t b = (0x0A * 128 + 255 * 127 + 127) / 255;
    EXPECT_EQ(canvas->PixelAt(3, 3) & 0xFF, b);
}

TEST(IconHandle, FollowsTheScreenDepth) {
    platform::SetScreenDepth(16);
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({BlockRecipe{}}));
    const auto handle = icon.CreateIconHandle(0);
    platform::SetScreenDepth(32);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->BitsPerPixel(), 16);
    EXPECT_EQ(handle->ColorBits().size(), static_cast<size_t>(RowSize(16, 16) * 16));
    // Pixel (15, 0) (top row, last in memory) has index 15: red 120, green 15, blue 240.
    const size_t top = static_cast<size_t>(RowSize(16, 16)) * 15;
    const uint16_t value =
        static_cast<uint16_t>(handle->ColorBits()[top + 30] | (handle->ColorBits()[top + 31] << 8));
    EXPECT_EQ(value, ((120 >> 3) << 10) | ((15 >> 3) << 5) | (240 >> 3));
    EXPECT_TRUE(handle->MaskBit(0, 0));
    EXPECT_FALSE(handle->MaskBit(4, 0));
}

} // namespace
} // namespace pictavo
