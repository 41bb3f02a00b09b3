#include "IconTestSupport.h"
#include "tests/CraftedFiles.h"

#include "icons/MultiIcon.h"
#include "util/Exceptions.h"

#include <array>
#include <cctype>
#include <gtest/gtest.h>

namespace pictavo {
namespace {

using test::FixtureBytes;
using test::LoadBytes;
using test::SaveBytes;

struct RoundTripCase {
    const char* file;
    bool isCursor;
    std::vector<std::array<int, 5>> images; // width, height, bpp, hotspot x, hotspot y
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.file;
}

class IconRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(IconRoundTrip, LoadsEveryImageAndSavesTheSameBytes) {
    const RoundTripCase& c = GetParam();
    const std::vector<uint8_t> original = FixtureBytes(c.file);
    TMultiIcon icon;
    icon.LoadFromFile(test::IconFixture(c.file));
    EXPECT_EQ(icon.IsCursor(), c.isCursor);
    ASSERT_EQ(icon.IconCount(), static_cast<int>(c.images.size()));
    for (int i = 0; i < icon.IconCount(); ++i) {
        const TMultiIconImage image = icon.GetIconData(i);
        const auto& want = c.images[static_cast<size_t>(i)];
        EXPECT_EQ(image.Width, want[0]) << i;
        EXPECT_EQ(image.Height, want[1]) << i;
        EXPECT_EQ(image.BitsPerPixel, want[2]) << i;
        EXPECT_EQ(image.HotspotX, static_cast<uint32_t>(want[3])) << i;
        EXPECT_EQ(image.HotspotY, static_cast<uint32_t>(want[4])) << i;
        EXPECT_EQ(LoadI32(image.Header.get() + 8), image.Height) << "stored header height";
        EXPECT_EQ(image.HeaderSize, 40 + 4 * PaletteColors(image.BitsPerPixel));
        EXPECT_EQ(image.ColorBitsSize, RowSize(image.Width, image.BitsPerPixel) * image.Height);
        EXPECT_EQ(image.MaskBitsSize, RowSize(image.Width, 1) * image.Height);
    }
    EXPECT_EQ(SaveBytes(icon), original);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, IconRoundTrip,
    testing::Values(RoundTripCase{"bitmaps.ico",
                                  false,
                                  {{16, 16, 4, 0, 0}, {32, 32, 8, 0, 0}, {32, 32, 32, 0, 0}}},
                    RoundTripCase{"cursor.cur", true, {{32, 32, 1, 5, 7}, {16, 16, 8, 3, 4}}},
                    RoundTripCase{"large256.ico", false, {{256, 256, 1, 0, 0}}}),
    [](const testing::TestParamInfo<RoundTripCase>& p) {
        std::string name = p.param.file;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(IconStream, WritesColourCountsAndDoubledHeaderHeight) {
    TMultiIcon icon;
    icon.LoadFromFile(test::IconFixture("bitmaps.ico"));
    const std::vector<uint8_t> saved = SaveBytes(icon);
    EXPECT_EQ(saved[6 + 2], 16); // 4 bits
    EXPECT_EQ(saved[22 + 2], 0); // 8 bits
    EXPECT_EQ(saved[38 + 2], 0); // 32 bits
    const uint32_t secondOffset = LoadU32(saved.data() + 22 + 12);
    EXPECT_EQ(LoadI32(saved.data() + secondOffset + 8), 64);
    EXPECT_EQ(LoadU32(saved.data() + secondOffset + 20), 0u);
    EXPECT_EQ(icon.GetIconHeight(1), 32);
}

TEST(IconStream, PngImageIsReencodedAndLaterOffsetsMove) {
    const std::vector<uint8_t> original = FixtureBytes("png256.ico");
    TMultiIcon icon;
    LoadBytes(icon, original);
    ASSERT_EQ(icon.IconCount(), 2);
    const TMultiIconImage png = icon.GetIconData(0);
    EXPECT_TRUE(png.IsPng);
    EXPECT_EQ(png.Width, 256);
    EXPECT_EQ(png.Height, 256);
    const int32_t oldLength = png.BytesInRes;
    EXPECT_EQ(static_cast<uint32_t>(oldLength), LoadU32(original.data() + 6 + 8));
    ASSERT_NE(png.Png, nullptr);
    EXPECT_EQ(png.Png->Width(), 256);

    const std::vector<uint8_t> saved = SaveBytes(icon);
    const int32_t newLength = icon.GetIconData(0).BytesInRes;
    EXPECT_NE(newLength, oldLength);
    EXPECT_EQ(LoadU32(saved.data() + 6 + 8), static_cast<uint32_t>(newLength));
    EXPECT_EQ(saved[6], 0); // 256 is written as 0
    EXPECT_EQ(LoadU16(saved.data() + 6 + 4), 1);
    EXPECT_EQ(LoadU16(saved.data() + 6 + 6), 32);
    EXPECT_EQ(LoadU32(saved.data() + 22 + 12),
              LoadU32(original.data() + 22 + 12) + (newLength - oldLength));

    TMultiIcon reloaded;
    LoadBytes(reloaded, saved);
    ASSERT_EQ(reloaded.IconCount(), 2);
    EXPECT_EQ(reloaded.GetIconData(0).Png->Pixels(), png.Png->Pixels());
    const TMultiIconImage bitmap = reloaded.GetIconData(1);
    EXPECT_EQ(std::vector<uint8_t>(bitmap.ColorBits, bitmap.ColorBits + bitmap.ColorBitsSize),
              std::vector<uint8_t>(icon.GetIconData(1).ColorBits,
                                   icon.GetIconData(1).ColorBits + bitmap.ColorBitsSize));
}

// A PNG image's bit count is the picture's own depth, whatever its entry says; a saved
// file states the depth of the picture it writes (always RGBA).
TEST(IconStream, PngImageStatesThePicturesOwnDepth) {
    for (const auto& [name, ownBits] : {std::pair{"png-gray1.png", 1},
                                        {"png-palette-trns.png", 8},
                                        {"png-rgb-trns.png", 24},
                                        {"png-rgba-interlaced.png", 32},
                                        {"png-gray-alpha16.png", 32},
                                        {"png-rgb16.png", 48}}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> png = FixtureBytes(name);
        EXPECT_EQ(ReadPngBitsPerPixel(png.data(), png.size()), ownBits);
        TMultiIcon icon;
        LoadBytes(icon, crafted::IconFileOfPngs({png}, 8));
        EXPECT_EQ(icon.GetIconData(0).BitsPerPixel, ownBits);
        const std::vector<uint8_t> saved = SaveBytes(icon);
        EXPECT_EQ(LoadU16(saved.data() + 6 + 6), 32);
        EXPECT_EQ(icon.GetIconData(0).BitsPerPixel, 32);
    }
    const uint8_t notPng[26] = {};
    EXPECT_EQ(ReadPngBitsPerPixel(notPng, sizeof notPng), 0);
}

TEST(IconStream, EightBitBlockWithSixteenColoursIsInvalid) {
    TMultiIcon icon;
    try {
        icon.LoadFromFile(test::IconFixture("short-palette.ico"));
        FAIL() << "loaded";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Invalid icon format");
    }
    EXPECT_EQ(icon.IconCount(), 1);
    EXPECT_EQ(icon.CurrentIndex(), -1);
    EXPECT_EQ(icon.GetIconData(0).Header, nullptr);
}

// The offsets in the directory are right, but the blocks are stored in the other
// order: the loader reads them in directory order behind the directory and refuses.
TEST(IconStream, BlocksStoredOutOfDirectoryOrderAreMisread) {
    test::BlockRecipe second;
    second.width = second.height = 32;
    second.bpp = 8;
    const std::vector<uint8_t> first = test::MakeBitmapBlock(test::BlockRecipe{});
    const std::vector<uint8_t> later = test::MakeBitmapBlock(second);
    std::vector<uint8_t> bytes =
        test::MakeIconStream(1, {{16, 16, 1, 4, first}, {32, 32, 1, 8, later}});
    const size_t data = 6 + 2 * 16;
    std::copy(later.begin(), later.end(), bytes.begin() + data);
    std::copy(first.begin(), first.end(), bytes.begin() + data + later.size());
    StoreU32(bytes.data() + 6 + 12, static_cast<uint32_t>(data + later.size()));
    StoreU32(bytes.data() + 22 + 12, static_cast<uint32_t>(data));

    TMultiIcon icon;
    try {
        LoadBytes(icon, bytes);
        FAIL() << "loaded";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Invalid icon format");
    }
    EXPECT_EQ(icon.GetIconData(0).Header, nullptr);
}

TEST(IconStream, MngBlockGoesToTheDecoderAndItsErrorPropagates) {
    TMultiIcon icon;
    EXPECT_THROW(icon.LoadFromFile(test::IconFixture("mng.ico")), EInvalidGraphic);
}

TEST(IconStream, FailedLoadKeepsEarlierImagesAndEmptiesTheRest) {
    std::vector<uint8_t> bytes = FixtureBytes("bitmaps.ico");
    StoreU32(bytes.data() + 6 + 16 + 8, LoadU32(bytes.data() + 6 + 16 + 8) + 4);
    TMultiIcon icon;
    EXPECT_THROW(LoadBytes(icon, bytes), Exception);
    ASSERT_EQ(icon.IconCount(), 3);
    EXPECT_EQ(icon.CurrentIndex(), -1);
    EXPECT_NE(icon.GetIconData(0).ColorBitmap, nullptr);
    EXPECT_EQ(icon.GetIconData(1).Width, 0);
    EXPECT_EQ(icon.GetIconData(2).Width, 0);
    // The empty records are skipped on saving.
    const std::vector<uint8_t> saved = SaveBytes(icon);
    EXPECT_EQ(LoadU16(saved.data() + 4), 1);
}

TEST(IconStream, CountZeroIsAnEmptyIconAndAnEmptyIconSavesNothing) {
    TMultiIcon icon;
    LoadBytes(icon, {0, 0, 1, 0, 0, 0});
    EXPECT_TRUE(icon.GetEmpty());
    EXPECT_EQ(icon.CurrentIndex(), -1);
    EXPECT_EQ(icon.ScreenDepth(), 0);
    EXPECT_TRUE(SaveBytes(icon).empty());
}

struct TruncationCase {
    const char* name;
    size_t keep; // bytes of bitmaps.ico left; 0 means "all but the last"
};

void PrintTo(const TruncationCase& c, std::ostream* os) {
    *os << c.name;
}

class IconTruncated : public testing::TestWithParam<TruncationCase> {};

TEST_P(IconTruncated, StreamEndingEarlyIsRejected) {
    std::vector<uint8_t> bytes = FixtureBytes("bitmaps.ico");
    const size_t keep = GetParam().keep ? GetParam().keep : bytes.size() - 1;
    bytes.resize(keep);
    // Exactly the kept bytes live on the heap, so a read past them is caught by ASan.
    auto exact = std::make_unique<uint8_t[]>(keep);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    ByteViewStream stream(exact.get(), keep);
    TMultiIcon icon;
    EXPECT_THROW(icon.LoadFromStream(&stream), EReadError);
    EXPECT_EQ(icon.CurrentIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(Cuts, IconTruncated,
                         testing::Values(TruncationCase{"InsideHeader", 4},
                                         TruncationCase{"InsideDirectory", 6 + 20},
                                         TruncationCase{"InsideFirstBlockHeader", 54 + 20},
                                         TruncationCase{"InsideFirstBlockBits", 54 + 150},
                                         TruncationCase{"InsideLastMask", 0}),
                         [](const testing::TestParamInfo<TruncationCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(IconStream, HugeCountsAndSizesFailFastWithoutAllocating) {
    // 65535 images of 256 x 256 at 32 bits claimed by 6 bytes.
    TMultiIcon icon;
    EXPECT_THROW(LoadBytes(icon, {0, 0, 1, 0, 0xFF, 0xFF}), EReadError);
    // One PNG entry that claims 2 GB.
    std::vector<uint8_t> png =
        test::MakeIconStream(1, {{0, 0, 1, 32, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}}});
    StoreU32(png.data() + 6 + 8, 0x7FFFFFFF);
    EXPECT_THROW(LoadBytes(icon, png), EReadError);
    // A bitmap header of 65535 x 65535 at 32 bits with a byte count to match.
    std::vector<uint8_t> block(40);
    StoreI32(block.data() + 4, 65535);
    StoreI32(block.data() + 8, 2 * 65535);
    StoreU16(block.data() + 14, 32);
    std::vector<uint8_t> big = test::MakeIconStream(1, {{0, 0, 1, 32, block}});
    StoreU32(big.data() + 6 + 8, 0x7FFFFFF0);
    try {
        LoadBytes(icon, big);
        FAIL() << "loaded";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Invalid icon format");
    }
}

} // namespace
} // namespace pictavo
