#include "IconTestSupport.h"

#include "icons/AlphaBitmap.h"
#include "util/Color.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

std::vector<uint8_t> Bmp(int width, int height, int bpp, uint32_t imageSize, size_t pixelBytes) {
    std::vector<uint8_t> bytes(54 + pixelBytes, 0x40);
    std::fill(bytes.begin(), bytes.begin() + 54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    StoreU32(bytes.data() + 14, 40);
    StoreI32(bytes.data() + 18, width);
    StoreI32(bytes.data() + 22, height);
    StoreU16(bytes.data() + 26, 1);
    StoreU16(bytes.data() + 28, static_cast<uint16_t>(bpp));
    StoreU32(bytes.data() + 34, imageSize);
    return bytes;
}

TEST(AlphaBitmap, SizesAndEmptiness) {
    TAlphaBitmap bitmap;
    EXPECT_TRUE(bitmap.GetEmpty());
    bitmap.SetSize(-5, 10);
    EXPECT_EQ(bitmap.GetWidth(), 0);
    EXPECT_EQ(bitmap.GetHeight(), 10);
    EXPECT_FALSE(bitmap.GetEmpty());
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    bitmap.SetSize(10, 30);
    bitmap.SetWidth(20);
    EXPECT_EQ(bitmap.GetWidth(), 20);
    EXPECT_EQ(bitmap.GetHeight(), 30);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.ScanLine(1), bitmap.Pixels() + 80);
    EXPECT_TRUE(bitmap.GetTransparent());
}

TEST(AlphaBitmap, SetAlphaOnlyIfAllZero) {
    TAlphaBitmap bitmap;
    bitmap.SetSize(2, 2);
    std::fill_n(bitmap.Pixels(), 16, 0);
    bitmap.Pixels()[7] = 1;
    bitmap.SetAlpha(255, true);
    EXPECT_EQ(bitmap.Pixels()[3], 0);
    bitmap.Pixels()[7] = 0;
    bitmap.SetAlpha(255, true);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bitmap.Pixels()[4 * i + 3], 255);
}

TEST(AlphaBitmap, SaveWritesSeventyBytesForTwoByTwo) {
    TAlphaBitmap bitmap;
    bitmap.SetSize(2, 2);
    for (int i = 0; i < 16; ++i)
        bitmap.Pixels()[i] = static_cast<uint8_t>(i);
    MemoryStream stream;
    bitmap.SaveToStream(&stream);
    const std::vector<uint8_t>& bytes = stream.Bytes();
    ASSERT_EQ(bytes.size(), 70u);
    EXPECT_EQ(LoadU32(bytes.data() + 2), 70u);
    EXPECT_EQ(LoadU32(bytes.data() + 10), 54u);
    EXPECT_EQ(LoadU16(bytes.data() + 28), 32);
    EXPECT_EQ(LoadU32(bytes.data() + 34), 16u);
    EXPECT_EQ(bytes[54 + 15], 15);

    stream.SetPosition(0);
    TAlphaBitmap loaded;
    loaded.LoadFromStream(&stream);
    ASSERT_EQ(loaded.GetWidth(), 2);
    EXPECT_TRUE(std::equal(loaded.Pixels(), loaded.Pixels() + 16, bitmap.Pixels()));
}

TEST(AlphaBitmap, LoadIgnoresOtherDepthsAndZeroAlphaBecomesOpaque) {
    TAlphaBitmap bitmap;
    std::vector<uint8_t> bytes = Bmp(2, 2, 24, 16, 16);
    MemoryStream bmp24(bytes);
    bitmap.LoadFromStream(&bmp24);
    EXPECT_TRUE(bitmap.GetEmpty());

    bytes = Bmp(2, 1, 32, 8, 8);
    MemoryStream zeroAlpha(bytes);
    bitmap.LoadFromStream(&zeroAlpha);
    EXPECT_EQ(bitmap.Pixels()[3], 0x40); // not all zero: kept

    bytes = Bmp(1, 1, 32, 4, 4);
    bytes[57] = 0;
    MemoryStream opaque(bytes);
    bitmap.LoadFromStream(&opaque);
    EXPECT_EQ(bitmap.Pixels()[3], 255);

    // A top-down (negative) height takes the size as SetSize does: 3 x 0, no pixels.
    MemoryStream topDown(Bmp(3, -2, 32, 24, 24));
    bitmap.LoadFromStream(&topDown);
    EXPECT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(bitmap.GetHeight(), 0);
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(topDown.Position(), 54);
}

TEST(AlphaBitmap, ImageSizeFieldNeverWritesPastThePixels) {
    // The field claims far more than 2 x 2 pixels; the stream holds more too.
    TAlphaBitmap bitmap;
    MemoryStream large(Bmp(2, 2, 32, 0x7FFFFFFF, 64));
    bitmap.LoadFromStream(&large);
    EXPECT_EQ(bitmap.GetWidth(), 2);
    EXPECT_EQ(large.Position(), 54 + 16);
    // A field of 0 still reads the pixels.
    MemoryStream zero(Bmp(2, 2, 32, 0, 16));
    bitmap.LoadFromStream(&zero);
    EXPECT_EQ(bitmap.Pixels()[15], 0x40);
}

TEST(AlphaBitmap, MissingPixelsAreRejected) {
    TAlphaBitmap bitmap;
    MemoryStream shortFile(Bmp(2, 2, 32, 16, 15));
    EXPECT_THROW(bitmap.LoadFromStream(&shortFile), EReadError);
    EXPECT_TRUE(bitmap.GetEmpty());
    for (const int side : {60000, 0x7FFFFFFF}) {
        MemoryStream huge(Bmp(side, side, 32, 16, 16));
        EXPECT_THROW(bitmap.LoadFromStream(&huge), EReadError) << side;
    }
    MemoryStream headerOnly(std::vector<uint8_t>(20, 0));
    EXPECT_THROW(bitmap.LoadFromStream(&headerOnly), EReadError);
}

TEST(AlphaBitmap, BlendRowShiftsByEight) {
    const uint8_t source[8] = {10, 20, 30, 0, 200, 100, 50, 128};
    uint8_t destination[8] = {255, 255, 255, 9, 255, 255, 255, 9};
    BlendRow(source, destination, 2);
    EXPECT_EQ(destination[0], 254); // alpha 0: 255 * 255 >> 8
    EXPECT_EQ(destination[3], 9);
    EXPECT_EQ(destination[4], (200 * 128 + 255 * 127) >> 8);
    EXPECT_EQ(destination[6], (50 * 128 + 255 * 127) >> 8);
    EXPECT_EQ(destination[7], 9);
}

TEST(AlphaBitmap, DrawBlendsOverTheCanvasAndScaledCanvasGivesItsBrush) {
    auto canvas = platform::Surface::Create(4, 4);
    canvas->SetBrushColor(clWhite);
    canvas->FillRect({0, 0, 4, 4});
    TAlphaBitmap bitmap;
    bitmap.SetSize(2, 2);
    for (int i = 0; i < 4; ++i) {
        uint8_t* p = bitmap.Pixels() + 4 * i;
        p[0] = 0, p[1] = 0, p[2] = 0, p[3] = 255;
    }
    bitmap.Draw(*canvas, {1, 1, 3, 3});
    EXPECT_EQ(canvas->PixelAt(1, 1), 0xFF000000u);
    EXPECT_EQ(canvas->PixelAt(0, 0), 0xFFFFFFFFu);

    canvas->SetMapMode(platform::MapMode::Scaled);
    canvas->SetBrushColor(RGB(5, 6, 7));
    EXPECT_TRUE(IsScaledCanvas(*canvas));
    TAlphaBitmap capture;
    capture.SetSize(1, 1);
    capture.CopyFromCanvas(*canvas, {0, 0, 1, 1});
    EXPECT_EQ(capture.Canvas()->PixelAt(0, 0), 0xFF050607u);
}

} // namespace
} // namespace pictavo
