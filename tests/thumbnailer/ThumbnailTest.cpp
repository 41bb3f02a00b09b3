#include "thumbnailer/Thumbnail.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

struct BestCase {
    const char* file;
    int size;
    int expected;
};

void PrintTo(const BestCase& c, std::ostream* out) {
    *out << c.file << " at " << c.size;
}

class BestImage : public testing::TestWithParam<BestCase> {};

TEST_P(BestImage, IsTheDeepestSmallestFittingElseTheLargest) {
    TMultiIcon icon;
    icon.LoadFromFile(Fixture(GetParam().file));
    EXPECT_EQ(BestThumbnailImage(icon, GetParam().size), GetParam().expected);
}

// big.ico: 32x32 at 32 bits, 256x256 PNG. one.ico: 32x32 at 8 bits, 16x16 at 32 bits.
// app.ico: 16x16 at 4 bits, 32x32 at 32 bits.
INSTANTIATE_TEST_SUITE_P(
    Cases, BestImage,
    testing::Values(BestCase{"pe/big.ico", 256, 1}, BestCase{"pe/big.ico", 32, 0},
                    BestCase{"pe/big.ico", 48, 1}, BestCase{"pe/big.ico", 512, 1},
                    BestCase{"pe/one.ico", 16, 1}, BestCase{"pe/one.ico", 32, 0},
                    BestCase{"pe/one.ico", 64, 0}, BestCase{"pe/app.ico", 16, 1}));

// An image from rows of "RRGGBBAA" hex pixels separated by spaces.
RgbaImage Image(int width, int height, const std::string& hex) {
    RgbaImage image{width, height, {}};
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        if (hex[i] == ' ')
            --i;
        else
            image.Pixels.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    EXPECT_EQ(image.Pixels.size(), static_cast<size_t>(width) * height * 4);
    return image;
}

std::vector<uint8_t> Pixel(const RgbaImage& image, int x, int y) {
    const auto at = image.Pixels.begin() + (static_cast<size_t>(y) * image.Width + x) * 4;
    return {at, at + 4};
}

TEST(FitByAreaAveraging, TransparentPixelsLeaveNoDarkFringe) {
    // One opaque white pixel among three transparent black ones.
    const RgbaImage out = FitByAreaAveraging(Image(2, 2, "FFFFFFFF 00000000 00000000 00000000"), 1);
    ASSERT_EQ(out.Width, 1);
    EXPECT_EQ(Pixel(out, 0, 0), (std::vector<uint8_t>{255, 255, 255, 64}));
}

TEST(FitByAreaAveraging, AveragesEveryCoveredPixelNotTheNearest) {
    // Black and white columns average to grey; an odd ratio splits the middle pixel.
    const RgbaImage grey = FitByAreaAveraging(Image(2, 1, "000000FF FFFFFFFF"), 1);
    EXPECT_EQ(Pixel(grey, 0, 0), (std::vector<uint8_t>{128, 128, 128, 255}));
    const RgbaImage split =
        FitByAreaAveraging(Image(3, 2, "000000FF 7F7F7FFF FFFFFFFF 000000FF 7F7F7FFF FFFFFFFF"), 2);
    ASSERT_EQ(split.Width, 2);
    ASSERT_EQ(split.Height, 1);
    EXPECT_EQ(Pixel(split, 0, 0), (std::vector<uint8_t>{42, 42, 42, 255}));
    EXPECT_EQ(Pixel(split, 1, 0), (std::vector<uint8_t>{212, 212, 212, 255}));
    // The same down a column: the middle row serves both target rows.
    const RgbaImage rows = FitByAreaAveraging(Image(1, 3, "000000FF 7F7F7FFF FFFFFFFF"), 2);
    ASSERT_EQ(rows.Height, 2);
    EXPECT_EQ(Pixel(rows, 0, 0), (std::vector<uint8_t>{42, 42, 42, 255}));
    EXPECT_EQ(Pixel(rows, 0, 1), (std::vector<uint8_t>{212, 212, 212, 255}));
}

TEST(FitByAreaAveraging, KeepsTheShapeAndLeavesSmallerImagesAlone) {
    const RgbaImage wide{256, 128, std::vector<uint8_t>(256 * 128 * 4, 200)};
    const RgbaImage out = FitByAreaAveraging(wide, 64);
    EXPECT_EQ(out.Width, 64);
    EXPECT_EQ(out.Height, 32);
    EXPECT_EQ(Pixel(out, 63, 31), (std::vector<uint8_t>{200, 200, 200, 200}));
    const RgbaImage small = Image(1, 1, "10203040");
    EXPECT_EQ(FitByAreaAveraging(small, 16).Pixels, small.Pixels);
}

TEST(MakeThumbnail, MaskBecomesTransparencyBelow32Bits) {
    // one.ico's 32x32 8-bit image has an empty mask: every pixel opaque.
    const RgbaImage eightBit = MakeThumbnail(Fixture("pe/one.ico"), 32);
    ASSERT_EQ(eightBit.Width, 32);
    EXPECT_EQ(Pixel(eightBit, 0, 0)[3], 255);
    // app.ico's 16x16 4-bit... is skipped for the deeper 32x32 circle: corners clear.
    const RgbaImage circle = MakeThumbnail(Fixture("pe/app.ico"), 32);
    EXPECT_EQ(Pixel(circle, 0, 0)[3], 0);
    EXPECT_EQ(Pixel(circle, 16, 16)[3], 255);
}

} // namespace
} // namespace pictavo
