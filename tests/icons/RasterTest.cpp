#include "platform/Raster.h"
#include "util/Bytes.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace pictavo::platform {
namespace {

std::vector<uint8_t> Header(int width, int height, int bpp) {
    const size_t colors = bpp <= 8 ? size_t{1} << bpp : 0;
    std::vector<uint8_t> header(40 + 4 * colors);
    StoreU32(header.data(), 40);
    StoreI32(header.data() + 4, width);
    StoreI32(header.data() + 8, height);
    StoreU16(header.data() + 12, 1);
    StoreU16(header.data() + 14, static_cast<uint16_t>(bpp));
    for (size_t i = 0; i < colors; ++i)
        header[40 + 4 * i] = static_cast<uint8_t>(i); // blue = index
    return header;
}

TEST(Raster, DibSectionIsRefusedForImpossibleHeaders) {
    EXPECT_EQ(Bitmap::CreateDIBSection(nullptr, 0), nullptr);
    for (auto [w, h, bpp] : {std::array{0, 4, 8}, std::array{4, -4, 8}, std::array{4, 4, 7},
                             std::array{4, 4, 0}, std::array{1 << 20, 1 << 20, 32}}) {
        const std::vector<uint8_t> header = Header(w, h, bpp);
        EXPECT_EQ(Bitmap::CreateDIBSection(header.data(), header.size()), nullptr)
            << w << "x" << h << "@" << bpp;
    }
    const std::vector<uint8_t> header = Header(4, 4, 8);
    EXPECT_EQ(Bitmap::CreateDIBSection(header.data(), 40 + 4 * 16), nullptr); // table cut
    const auto bitmap = Bitmap::CreateDIBSection(header.data(), header.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->RowBytes(), 4);
    EXPECT_EQ(bitmap->BitsSize(), 16u);
}

struct DepthCase {
    int depth;
    std::vector<uint8_t> expectedFirstPixel; // device bytes of pixel (0, bottom row)
};

void PrintTo(const DepthCase& c, std::ostream* os) {
    *os << c.depth << "bit";
}

class ScreenConversion : public testing::TestWithParam<DepthCase> {};

TEST_P(ScreenConversion, PaletteImageBecomesTheScreenFormat) {
    SetScreenDepth(GetParam().depth);
    const std::vector<uint8_t> header = Header(2, 1, 8);
    const uint8_t bits[4] = {200, 0, 0, 0}; // index 200: blue 200
    const auto screen = Bitmap::CreateScreenBitmap(header.data(), header.size(), bits, 4);
    SetScreenDepth(32);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->BitsPerPixel(), GetParam().depth);
    const std::vector<uint8_t> first(screen->Bits(),
                                     screen->Bits() + GetParam().expectedFirstPixel.size());
    EXPECT_EQ(first, GetParam().expectedFirstPixel);
}

INSTANTIATE_TEST_SUITE_P(Depths, ScreenConversion,
                         testing::Values(DepthCase{32, {200, 0, 0, 0}}, DepthCase{24, {200, 0, 0}},
                                         DepthCase{16, {200 >> 3, 0}}),
                         [](const testing::TestParamInfo<DepthCase>& p) {
                             return std::to_string(p.param.depth) + "bit";
                         });

TEST(Raster, ScreenBitmapNeedsHeaderAndBits) {
    const std::vector<uint8_t> header = Header(2, 2, 32);
    const uint8_t bits[16] = {};
    EXPECT_EQ(Bitmap::CreateScreenBitmap(nullptr, 0, bits, 16), nullptr);
    EXPECT_EQ(Bitmap::CreateScreenBitmap(header.data(), header.size(), bits, 15), nullptr);
}

TEST(Raster, StretchBltPicksNearestPixels) {
    const auto source = Bitmap::CreateMonochrome(2, 2);
    source->SetRawPixel(1, 0, 1);
    const auto target = Bitmap::CreateMonochrome(4, 4);
    StretchBlt(*target, {0, 0, 4, 4}, *source, {0, 0, 2, 2});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target->RawPixel(x, y), (x >= 2 && y < 2) ? 1u : 0u) << x << "," << y;
}

TEST(Raster, SurfacesOfImpossibleSizesAreRefused) {
    for (auto [w, h] : {std::array{0, 4}, std::array{4, -1}, std::array{1 << 14, 1 << 14},
                        std::array{INT32_MAX, INT32_MAX}})
        EXPECT_EQ(Surface::Create(w, h), nullptr) << w << "x" << h;
    uint8_t pixel[4] = {};
    EXPECT_EQ(Surface::View(pixel, INT32_MAX / 2, 1, 4, true), nullptr); // stride too short
    EXPECT_NE(Surface::View(pixel, 1, 1, 4, true), nullptr);
}

TEST(Raster, TopDownViewAndClippedCopies) {
    std::vector<uint8_t> memory(3 * 2 * 4, 0);
    const auto view = Surface::View(memory.data(), 3, 2, 12, false);
    view->SetPixel(0, 0, 0x11223344);
    EXPECT_EQ(memory[0], 0x44); // top row first in memory
    const auto owned = Surface::Create(3, 2);
    owned->SetPixel(0, 0, 0x55667788);
    EXPECT_EQ(owned->ScanLine(1)[0], 0x88); // bottom-up: top row last in memory
    // Partly outside both surfaces: only the overlap is copied.
    StretchBlt(*view, {1, 1, 4, 3}, *owned, {0, 0, 3, 2});
    EXPECT_EQ(view->PixelAt(1, 1), 0x55667788u);
    EXPECT_EQ(view->PixelAt(0, 1), 0u);
}

} // namespace
} // namespace pictavo::platform
