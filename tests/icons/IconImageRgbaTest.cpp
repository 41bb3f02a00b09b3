#include "icons/IconImageRgba.h"
#include "tests/icons/IconTestSupport.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using namespace test;

std::vector<uint8_t> Pixel(const RgbaImage& image, int x, int y) {
    const auto at = image.Pixels.begin() + (static_cast<size_t>(y) * image.Width + x) * 4;
    return {at, at + 4};
}

RgbaImage FirstImageAsRgba(const BlockRecipe& recipe) {
    TMultiIcon icon;
    LoadBytes(icon, MakeIcon({recipe}));
    return IconImageToRgba(icon.GetIconData(0));
}

TEST(IconImageRgba, PaletteResolvedAndMaskIsTransparencyBelow32Bits) {
    // Columns 0-3 masked; the table entry i is (blue i*16, green 255-i*16, red i*8).
    const RgbaImage image = FirstImageAsRgba({});
    ASSERT_EQ(image.Width, 16);
    EXPECT_EQ(Pixel(image, 0, 0)[3], 0);
    EXPECT_EQ(Pixel(image, 5, 2), (std::vector<uint8_t>{56, 255 - 112, 112, 255})); // index 7
}

TEST(IconImageRgba, AlphaChannelAt32BitsUnlessItIsZeroEverywhere) {
    BlockRecipe withAlpha{4, 4, 32, [](int x, int) { return x == 0 ? 0x80102030u : 0xFF405060u; },
                          [](int, int) { return false; }};
    const RgbaImage blended = FirstImageAsRgba(withAlpha);
    EXPECT_EQ(Pixel(blended, 0, 1), (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x80}));
    EXPECT_EQ(Pixel(blended, 3, 1), (std::vector<uint8_t>{0x40, 0x50, 0x60, 0xFF}));

    // An old 32-bit image without alpha: the mask decides, not the empty channel.
    BlockRecipe noAlpha{4, 4, 32, [](int, int) { return 0x00405060u; },
                        [](int x, int) { return x == 0; }};
    const RgbaImage masked = FirstImageAsRgba(noAlpha);
    EXPECT_EQ(Pixel(masked, 0, 1)[3], 0);
    EXPECT_EQ(Pixel(masked, 3, 1), (std::vector<uint8_t>{0x40, 0x50, 0x60, 0xFF}));
}

TEST(IconImageRgba, PngImageGivesItsDecodedPixels) {
    TMultiIcon icon;
    icon.LoadFromFile(std::string(PICTAVO_FIXTURES) + "/pe/big.ico");
    const TMultiIconImage png = icon.GetIconData(1);
    ASSERT_TRUE(png.IsPng);
    const RgbaImage image = IconImageToRgba(png);
    EXPECT_EQ(image.Width, 256);
    EXPECT_EQ(image.Pixels, png.Png->Pixels());
}

} // namespace
} // namespace pictavo
