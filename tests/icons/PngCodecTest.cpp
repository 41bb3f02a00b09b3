#include "IconTestSupport.h"

#include "icons/PngCodec.h"
#include "util/Color.h"
#include "util/Exceptions.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <zlib.h>

namespace pictavo {
namespace {

using Rgba = std::array<int, 4>;

struct PngCase {
    const char* file;
    std::function<Rgba(int x, int y)> pixel; // the rule make_fixtures.py used
};

void PrintTo(const PngCase& c, std::ostream* os) {
    *os << c.file;
}

class PngDecode : public testing::TestWithParam<PngCase> {};

TEST_P(PngDecode, GivesEightBitRgba) {
    const std::vector<uint8_t> bytes = test::FixtureBytes(GetParam().file);
    TPngImage png;
    png.LoadFromBytes(bytes.data(), bytes.size());
    ASSERT_EQ(png.Width(), 5);
    ASSERT_EQ(png.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = png.Pixels().data() + (y * 5 + x) * 4;
            EXPECT_EQ((Rgba{p[0], p[1], p[2], p[3]}), GetParam().pixel(x, y)) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    ColourTypes, PngDecode,
    testing::Values(
        PngCase{
            "png-palette-trns.png",
            [](int x, int y) {
                const int i = (x + y) % 3;
                return Rgba{10 + 30 * i, 20 + 30 * i, 30 + 30 * i, i == 0 ? 0 : i == 1 ? 128 : 255};
            }},
        PngCase{"png-gray1.png",
                [](int x, int y) {
                    const int v = ((x + y) & 1) ? 255 : 0;
                    return Rgba{v, v, v, 255};
                }},
        PngCase{"png-gray-alpha16.png",
                [](int x, int y) {
                    const int v = x * 0x11;
                    return Rgba{v, v, v, (0xFFFF - y * 0x1000) >> 8};
                }},
        PngCase{"png-rgb16.png",
                [](int x, int y) {
                    return Rgba{x, y, 0xAB, 255};
                }},
        PngCase{"png-rgba-interlaced.png",
                [](int x, int y) {
                    return Rgba{x, y, x + y, 200};
                }},
        PngCase{"png-rgb-trns.png",
                [](int x, int y) {
                    return Rgba{x, y, 7, x == 1 && y == 1 ? 0 : 255};
                }}),
    [](const testing::TestParamInfo<PngCase>& p) {
        std::string name = p.param.file;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(PngCodec, EncodeDecodeRoundTrip) {
    std::vector<uint8_t> rgba(3 * 2 * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>(i * 11);
    TPngImage png;
    png.SetPixels(3, 2, rgba);
    const std::vector<uint8_t> encoded = png.SaveToBytes();
    ASSERT_TRUE(HasPngSignature(encoded.data(), encoded.size()));
    TPngImage decoded;
    decoded.LoadFromBytes(encoded.data(), encoded.size());
    EXPECT_EQ(decoded.Width(), 3);
    EXPECT_EQ(decoded.Pixels(), rgba);
}

TEST(PngCodec, RowsEncodedOneAtATimeDecodeToThemAndAFailingRowFailsTheWrite) {
    const std::vector<uint8_t> encoded = EncodePngRows(2, 3, [](int y, uint8_t* row) {
        for (int i = 0; i < 8; ++i)
            row[i] = static_cast<uint8_t>(y * 8 + i);
    });
    TPngImage decoded;
    decoded.LoadFromBytes(encoded.data(), encoded.size());
    ASSERT_EQ(decoded.Height(), 3);
    for (size_t i = 0; i < decoded.Pixels().size(); ++i)
        EXPECT_EQ(decoded.Pixels()[i], i);
    EXPECT_THROW(EncodePngRows(2, 3,
                               [](int y, uint8_t*) {
                                   if (y == 1)
                                       throw std::bad_alloc();
                               }),
                 ECompressionError);
}

TEST(PngCodec, DamagedDataIsRejected) {
    const std::vector<uint8_t> bytes = test::FixtureBytes("png-rgb16.png");
    TPngImage png;
    for (size_t keep : {size_t{4}, size_t{20}, bytes.size() - 20}) {
        // Only the kept bytes are on the heap, so ASan catches a read past them.
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(keep));
        cut.shrink_to_fit();
        EXPECT_THROW(png.LoadFromBytes(cut.data(), cut.size()), EInvalidGraphic) << keep;
    }
    const uint8_t mng[8] = {0x8A, 'M', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(HasPngSignature(mng, 8));
    EXPECT_THROW(png.LoadFromBytes(mng, 8), EInvalidGraphic);
}

TEST(PngCodec, ImageLargerThanItsDataIsRejectedBeforeAllocating) {
    // A valid header claiming 16384 x 16384 RGBA with almost no image data.
    std::vector<uint8_t> bytes = test::FixtureBytes("png-rgb16.png");
    StoreU32(bytes.data() + 16, 0); // width and height are big-endian at 16 and 20
    bytes[16 + 2] = 0x40;
    bytes[20] = 0;
    bytes[21] = 0;
    bytes[22] = 0x40;
    bytes[23] = 0;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, bytes.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    TPngImage png;
    try {
        png.LoadFromBytes(bytes.data(), bytes.size());
        FAIL() << "decoded";
    } catch (const EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "PNG image is larger than its data");
    }
}

TEST(PngCodec, DrawScalesAndBlendsOverTheCanvas) {
    TPngImage png;
    png.SetPixels(2, 1, {255, 0, 0, 255, 0, 0, 255, 128});
    auto canvas = platform::Surface::Create(4, 2);
    canvas->SetBrushColor(clWhite);
    canvas->FillRect({0, 0, 4, 2});
    png.Draw(*canvas, {0, 0, 4, 2});
    EXPECT_EQ(canvas->PixelAt(1, 1), 0xFFFF0000u); // opaque red
    // Blue at alpha 128 over white: red and green (255 * 127 + 127) / 255 = 127.
    EXPECT_EQ(canvas->PixelAt(3, 0), 0xFF7F7FFFu);
}

} // namespace
} // namespace pictavo

namespace pictavo {
namespace {

TEST(PngCodec, ChunkLengthBeyondTheDataIsNotAllocated) {
    // IHDR of the fixture, then a text chunk whose length field claims 1.8 GB.
    std::vector<uint8_t> bytes = test::FixtureBytes("png-rgb16.png");
    bytes.resize(33);
    const uint8_t chunk[12] = {0x6C, 0, 0, 0, 't', 'E', 'X', 't', 'a', 'b', 'c', 'd'};
    bytes.insert(bytes.end(), chunk, chunk + sizeof chunk);
    TPngImage png;
    EXPECT_THROW(png.LoadFromBytes(bytes.data(), bytes.size()), EInvalidGraphic);
}

} // namespace
} // namespace pictavo
