#include "peres/BitmapResources.h"
#include "peres/IconGroupResources.h"
#include "peres/PEResourceModule.h"
#include "tests/peres/IconFixtures.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

#include <ostream>

namespace pictavo {
namespace {

using test::Find;

std::vector<uint8_t> BitmapFileHeader(uint32_t fileSize, uint32_t bitsOffset) {
    MemoryStream out;
    out.WriteU16(0x4D42);
    out.WriteU32(fileSize);
    out.WriteU32(0);
    out.WriteU32(bitsOffset);
    return out.TakeBytes();
}

// A BITMAPINFOHEADER with `colors` table entries of grey, then `bits` as given.
std::vector<uint8_t> BitmapInfo(int width, int height, int bitCount, uint32_t compression,
                                uint32_t colors, const std::vector<uint8_t>& bits) {
    MemoryStream out;
    out.WriteU32(40);
    out.WriteI32(width);
    out.WriteI32(height);
    out.WriteU16(1);
    out.WriteU16(static_cast<uint16_t>(bitCount));
    out.WriteU32(compression);
    out.WriteU32(static_cast<uint32_t>(bits.size()));
    out.WriteZeros(8);
    out.WriteU32(colors);
    out.WriteU32(0);
    for (uint32_t i = 0; i < colors; ++i)
        out.WriteU32(i * 0x010101);
    out.WriteBuffer(bits.data(), bits.size());
    return out.TakeBytes();
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(BitmapResources, RtBitmapBytesSurviveReadAndWrite) {
    const std::vector<uint8_t> image = test::PeFixtureBytes("icons32.dll");
    TPEResourceModule module;
    module.ParseImage(image.data(), image.size());
    auto* bitmap = dynamic_cast<TBitmapResourceDetails*>(Find(module, "2", "300"));
    ASSERT_NE(bitmap, nullptr);
    const std::vector<uint8_t> tiny = test::PeFixtureBytes("tiny.bmp");
    const std::vector<uint8_t> expected(tiny.begin() + 14, tiny.end());
    EXPECT_EQ(bitmap->Data().Bytes(), expected);
    EXPECT_EQ(bitmap->ImageWidth(), 8);
    EXPECT_EQ(bitmap->ImageHeight(), 6);
    EXPECT_EQ(bitmap->ImagePixelFormat(), TPixelFormat::pf24bit);

    MemoryStream out;
    module.WriteToStream(out);
    TPEResourceModule reread;
    reread.ParseImage(out.Memory(), static_cast<size_t>(out.Size()));
    TResourceDetails* again = Find(reread, "2", "300");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(dynamic_cast<TBitmapResourceDetails*>(again), nullptr);
    EXPECT_EQ(again->Data().Bytes(), expected);
}

struct DibCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    bool Dib;
};

void PrintTo(const DibCase& c, std::ostream* os) {
    *os << c.Name;
}

std::vector<uint8_t> WithHeaderSize(uint32_t size) {
    std::vector<uint8_t> bytes = BitmapFileHeader(200, 54);
    bytes.resize(18);
    StoreU32(bytes.data() + 14, size);
    return bytes;
}

class DibRecognition : public testing::TestWithParam<DibCase> {};

TEST_P(DibRecognition, TheFactoryTakesOnlyBitmapFiles) {
    const DibCase& c = GetParam();
    const auto resource =
        MakeResourceDetails(nullptr, 0, "1", "MYDATA", c.Bytes.size(), c.Bytes.data());
    EXPECT_EQ(dynamic_cast<TDIBResourceDetails*>(resource.get()) != nullptr, c.Dib);
    EXPECT_EQ(resource->Data().Bytes(), c.Bytes);
}

std::vector<uint8_t> Reserved(std::vector<uint8_t> bytes) {
    bytes[6] = 1;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DibRecognition,
    testing::Values(DibCase{"Header40", WithHeaderSize(40), true},
                    DibCase{"Header108", WithHeaderSize(108), true},
                    DibCase{"Header124", WithHeaderSize(124), true},
                    DibCase{"Header12", WithHeaderSize(12), false},
                    DibCase{"ReservedWordSet", Reserved(WithHeaderSize(40)), false},
                    DibCase{"TenBytes", BitmapFileHeader(10, 0), false},
                    DibCase{"WholeFile", test::PeFixtureBytes("tiny.bmp"), true}));

TEST(BitmapResources, DefaultContent) {
    auto bitmap = CreateEmpty<TBitmapResourceDetails>(0, "1");
    const std::vector<uint8_t>& data = bitmap->Data().Bytes();
    ASSERT_EQ(data.size(), 40u + 36864u);
    EXPECT_EQ(LoadU32(&data[20]), 36864u);
    EXPECT_EQ(bitmap->ImageWidth(), 128);
    EXPECT_EQ(bitmap->ImageHeight(), 96);
    EXPECT_EQ(bitmap->ImagePixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap->Type(), "2");

    auto dib = CreateEmpty<TDIBResourceDetails>(0, "1");
    const std::vector<uint8_t>& file = dib->Data().Bytes();
    ASSERT_EQ(file.size(), 14u + 40u + 36864u);
    EXPECT_EQ(LoadU16(&file[0]), 0x4D42);
    EXPECT_EQ(LoadU32(&file[10]), 54u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.end()), data);
    EXPECT_TRUE(TDIBResourceDetails::RecognisesData(file.size(), file.data()));
    // Size and format come from the header behind the file header.
    EXPECT_EQ(dib->ImageWidth(), 128);
    EXPECT_EQ(dib->ImageHeight(), 96);
    EXPECT_EQ(dib->ImagePixelFormat(), TPixelFormat::pf24bit);
}

TEST(BitmapResources, ShortDataIsRefused) {
    const uint8_t bytes[20] = {40};
    auto bitmap = CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", 20, bytes);
    EXPECT_THROW(bitmap->ImageWidth(), EInvalidGraphic);
    TPicture picture;
    EXPECT_THROW(bitmap->ReadPicture(picture), EInvalidGraphic);
}

TEST(BitmapResources, PicturesOfUncompressedBitmaps) {
    // 4 x 2, 4 bits: bottom row indexes 1 2 3 4, top row 5 6 7 8.
    const std::vector<uint8_t> info =
        BitmapInfo(4, 2, 4, 0, 16, {0x12, 0x34, 0, 0, 0x56, 0x78, 0, 0});
    auto bitmap =
        CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", info.size(), info.data());
    TPicture picture;
    bitmap->ReadPicture(picture);
    ASSERT_TRUE(picture.Bitmap);
    EXPECT_EQ(picture.BitmapPixelFormat, TPixelFormat::pf4bit);
    EXPECT_EQ(picture.Bitmap->RawPixel(0, 1), 1u);
    EXPECT_EQ(picture.Bitmap->RawPixel(3, 0), 8u);
    EXPECT_EQ(picture.Bitmap->PixelBGRA(1, 0) & 0xFFFFFF, 0x060606u);

    // Written back: the same header fields, a full table and the same bits.
    auto copy = CreateEmpty<TBitmapResourceDetails>(0, "2");
    copy->WritePicture(picture);
    EXPECT_EQ(copy->ImageWidth(), 4);
    EXPECT_EQ(copy->ImagePixelFormat(), TPixelFormat::pf4bit);
    TPicture again;
    copy->ReadPicture(again);
    EXPECT_EQ(again.Bitmap->Bits()[0], 0x12);
    EXPECT_EQ(again.Bitmap->Bits()[4], 0x56);

    auto dib = CreateEmpty<TDIBResourceDetails>(0, "3");
    dib->WritePicture(picture);
    EXPECT_TRUE(TDIBResourceDetails::RecognisesData(dib->Data().Bytes().size(),
                                                    dib->Data().Bytes().data()));
    EXPECT_EQ(dib->ImageHeight(), 2);

    TPicture none;
    EXPECT_THROW(copy->WritePicture(none), EInvalidGraphic);
}

TEST(BitmapResources, TopDownAndThirtyTwoBitPictures) {
    // 1 x 2, 32 bits, top-down: the first row in the file is the top row.
    const std::vector<uint8_t> info = BitmapInfo(1, -2, 32, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<uint8_t> file = Join(BitmapFileHeader(14 + 48, 54), info);
    auto dib =
        CreateWithData<TDIBResourceDetails>(nullptr, 0, "1", "DIB", file.size(), file.data());
    TPicture picture;
    dib->ReadPicture(picture);
    ASSERT_TRUE(picture.Bitmap);
    EXPECT_EQ(picture.Bitmap->PixelBGRA(0, 0), 0x04030201u);
    EXPECT_EQ(picture.Bitmap->PixelBGRA(0, 1), 0x08070605u);
    EXPECT_EQ(picture.BitmapPixelFormat, TPixelFormat::pf24bit);
}

TEST(BitmapResources, RleBitmapsAreExpanded) {
    // 4 x 2 RLE8: bottom row 3 x index 9 and one literal 5; top row a run of 2, then end.
    const std::vector<uint8_t> codes = {3, 9, 0, 3, 5, 6, 7, 0, 0, 0, 2, 4, 0, 1};
    const std::vector<uint8_t> info = BitmapInfo(4, 2, 8, 1, 256, codes);
    auto bitmap =
        CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", info.size(), info.data());
    TPicture picture;
    bitmap->ReadPicture(picture);
    ASSERT_TRUE(picture.Bitmap);
    EXPECT_EQ(picture.BitmapPixelFormat, TPixelFormat::pf8bit);
    const platform::Bitmap& b = *picture.Bitmap;
    EXPECT_EQ(b.BitsPerPixel(), 8);
    EXPECT_EQ((std::vector<uint32_t>{b.RawPixel(0, 1), b.RawPixel(2, 1), b.RawPixel(3, 1)}),
              (std::vector<uint32_t>{9, 9, 5}));
    EXPECT_EQ((std::vector<uint32_t>{b.RawPixel(0, 0), b.RawPixel(1, 0), b.RawPixel(2, 0)}),
              (std::vector<uint32_t>{4, 4, 0}));

    // A literal run longer than the data left is refused, not read past.
    const std::vector<uint8_t> cut = BitmapInfo(4, 2, 8, 1, 256, {0, 40, 1, 2});
    auto broken =
        CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", cut.size(), cut.data());
    EXPECT_THROW(broken->ReadPicture(picture), EInvalidGraphic);

    // Four bytes of codes claiming 3 000 000 x 85 pixels (243 MB): refused before any
    // memory is taken.
    const std::vector<uint8_t> huge = BitmapInfo(3000000, 85, 8, 1, 256, {0, 0, 0, 1});
    auto large =
        CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", huge.size(), huge.data());
    try {
        large->ReadPicture(picture);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bitmap too large: its pixels need more than 64 MB");
    }
}

TEST(BitmapResources, BitsShorterThanTheHeaderNeedsAreRefused) {
    const std::vector<uint8_t> info = BitmapInfo(64, 64, 24, 0, 0, {1, 2, 3});
    auto bitmap =
        CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", info.size(), info.data());
    TPicture picture;
    EXPECT_THROW(bitmap->ReadPicture(picture), EInvalidGraphic);
    std::vector<uint8_t> hugeTable = BitmapInfo(4, 4, 8, 0, 1, std::vector<uint8_t>(16));
    StoreU32(hugeTable.data() + 32, 0x40000000); // biClrUsed
    auto table = CreateWithData<TBitmapResourceDetails>(nullptr, 0, "1", "2", hugeTable.size(),
                                                        hugeTable.data());
    EXPECT_THROW(table->ReadPicture(picture), EInvalidGraphic);
}

TEST(BitmapResources, AnIconPictureIsDrawnIntoA32BitBitmap) {
    const std::vector<uint8_t> bytes = test::IconImageBytes(16, 16, 4); // grey index 1
    auto icon =
        CreateWithData<TIconResourceDetails>(nullptr, 0, "1", "3", bytes.size(), bytes.data());
    TPicture picture;
    icon->ReadPicture(picture);
    auto bitmap = CreateEmpty<TBitmapResourceDetails>(0, "1");
    bitmap->WritePicture(picture);
    EXPECT_EQ(bitmap->ImageWidth(), 16);
    EXPECT_EQ(bitmap->ImageHeight(), 16);
    EXPECT_EQ(bitmap->ImagePixelFormat(), TPixelFormat::pf32bit);
    TPicture drawn;
    bitmap->ReadPicture(drawn);
    EXPECT_EQ(drawn.Bitmap->PixelBGRA(3, 5) & 0xFFFFFF, 0x111111u);
}

} // namespace
} // namespace pictavo
