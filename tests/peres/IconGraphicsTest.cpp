#include "peres/IconGraphics.h"
#include "tests/peres/IconFixtures.h"
#include "tests/peres/PeFixtures.h"
#include "util/Exceptions.h"
#include "util/PngSignature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace pictavo {
namespace {

using test::Container;
using test::ContainerImage;
using test::IconImage;
using test::IconImageBytes;
using test::TempFile;

const std::string kInvalid = "无效的图标或光标";
const std::string kBadFormat = "图标或光标像素格式无效";
const std::string kInvalidCursor = "无效的光标";

template <class F> std::string ErrorOf(F&& action) {
    try {
        action();
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "no error";
}

// ---- pixel formats ----

struct FormatCase {
    int BitCount;
    uint32_t Compression;
    int Code; // -1: refused
    int Bits;
    int Colors;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.BitCount << "bit_c" << c.Compression;
}

class PixelFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(PixelFormats, FollowTheBitCountAndCompression) {
    const FormatCase& c = GetParam();
    if (c.Code < 0) {
        EXPECT_EQ(ErrorOf([&] { PixelFormatOfBitCount(c.BitCount, c.Compression); }), kBadFormat);
        return;
    }
    const TPixelFormat format = PixelFormatOfBitCount(c.BitCount, c.Compression);
    EXPECT_EQ(static_cast<int>(format), c.Code);
    EXPECT_EQ(PixelFormatBits(format), c.Bits);
    EXPECT_EQ(PixelFormatColors(format), c.Colors);
}

INSTANTIATE_TEST_SUITE_P(Table, PixelFormats,
                         testing::Values(FormatCase{1, 0, 1, 1, 2}, FormatCase{4, 0, 2, 4, 16},
                                         FormatCase{8, 0, 3, 8, 256}, FormatCase{16, 0, 4, 16, 0},
                                         FormatCase{16, 3, 5, 16, 0}, FormatCase{24, 0, 6, 24, 0},
                                         FormatCase{32, 0, 7, 32, 0}, FormatCase{16, 1, -1, 0, 0},
                                         FormatCase{2, 0, -1, 0, 0}, FormatCase{0, 0, -1, 0, 0},
                                         FormatCase{64, 0, -1, 0, 0}));

TEST(PixelFormats, DeviceFormatAndColourTableEntries) {
    EXPECT_EQ(PixelFormatBits(TPixelFormat::pfDevice), 0);
    EXPECT_EQ(PixelFormatColors(TPixelFormat::pfDevice), 0);
    std::vector<uint8_t> header = IconImageBytes(16, 16, 8);
    EXPECT_EQ(ColorTableEntries(header.data()), 256u);
    StoreU32(header.data() + 32, 20); // biClrUsed
    EXPECT_EQ(ColorTableEntries(header.data()), 20u);
    EXPECT_EQ(ColorTableEntries(IconImageBytes(16, 16, 24).data()), 0u);
    EXPECT_EQ(ColorTableEntries(IconImageBytes(16, 16, 1).data()), 2u);
    EXPECT_EQ(ErrorOf([&] { PixelFormatOfHeader(header.data(), 39); }), kInvalid);
}

TEST(PlatformPalettes, HoldTheDescribedColours) {
    const std::vector<TColor>& two = PlatformPalette(TPixelFormat::pf1bit);
    EXPECT_EQ(two, (std::vector<TColor>{RGB(0, 0, 0), RGB(255, 255, 255)}));
    const std::vector<TColor>& sixteen = PlatformPalette(TPixelFormat::pf4bit);
    ASSERT_EQ(sixteen.size(), 16u);
    EXPECT_EQ(sixteen[1], RGB(128, 0, 0));
    EXPECT_EQ(sixteen[7], RGB(192, 192, 192));
    EXPECT_EQ(sixteen[8], RGB(128, 128, 128));
    EXPECT_EQ(sixteen[12], RGB(0, 0, 255));
    const std::vector<TColor>& big = PlatformPalette(TPixelFormat::pf8bit);
    ASSERT_EQ(big.size(), 256u);
    EXPECT_EQ(big[36 * 5 + 6 * 2 + 1], RGB(255, 102, 51));
    EXPECT_EQ(big[215], RGB(255, 255, 255));
    EXPECT_EQ(big[216], RGB(10, 10, 10));
    EXPECT_EQ(big[239], RGB(240, 240, 240));
    EXPECT_EQ(std::vector<TColor>(big.begin() + 240, big.end()), sixteen);
    EXPECT_TRUE(PlatformPalette(TPixelFormat::pf24bit).empty());
    EXPECT_EQ(&PlatformPalette(TPixelFormat::pf8bit), &big); // made once
}

// ---- loading and saving ----

TEST(ExIcon, NewGraphicsHoldOneEmptyImageOfThePlatformSize) {
    TExIcon icon;
    ASSERT_EQ(icon.ImageCount(), 1);
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_EQ(icon.GetHeight(), 32);
    EXPECT_EQ(icon.Image(0).PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_TRUE(icon.GetEmpty());
    EXPECT_TRUE(icon.GetTransparent());
    TExCursor cursor;
    EXPECT_EQ(cursor.Image(0).PixelFormat(), TPixelFormat::pf1bit);
    // No data to write: refused rather than written as nothing.
    MemoryStream out;
    EXPECT_EQ(ErrorOf([&] { icon.SaveToStream(out); }), kInvalid);
    EXPECT_EQ(out.Size(), 0);
    EXPECT_THROW(icon.Image(1), EListError);
}

TEST(ExIcon, LoadKeepsTheImagesInResourceFormWithImageSizeCleared) {
    const std::vector<uint8_t> file = test::PeFixtureBytes("app.ico"); // biSizeImage set
    TExIcon icon;
    MemoryStream stream(file);
    icon.LoadFromStream(stream);
    ASSERT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(icon.CurrentImage(), 0);
    const uint32_t offsets[] = {LoadU32(file.data() + 6 + 12), LoadU32(file.data() + 22 + 12)};
    const uint32_t sizes[] = {LoadU32(file.data() + 6 + 8), LoadU32(file.data() + 22 + 8)};
    for (int i = 0; i < 2; ++i) {
        const TExIconImage& image = icon.Image(i);
        EXPECT_TRUE(image.IsIcon());
        std::vector<uint8_t> expected(file.begin() + offsets[i],
                                      file.begin() + offsets[i] + sizes[i]);
        StoreU32(expected.data() + 20, 0);
        EXPECT_EQ(image.ResourceData().Bytes(), expected) << i;
    }
    EXPECT_EQ(icon.Image(0).Width(), 16);
    EXPECT_EQ(icon.Image(0).PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(icon.Image(1).PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(icon.GetPalette().size(), 16u);
}

TEST(ExIcon, SaveWritesTheContainerWithTheDataUnchanged) {
    const std::vector<uint8_t> file = test::ThreeImageIcon();
    TExIcon icon;
    MemoryStream in(file);
    icon.LoadFromStream(in);
    EXPECT_EQ(icon.Image(2).Width(), 0); // 256 is stored as 0 and stays 0
    MemoryStream out;
    icon.SaveToStream(out);
    std::vector<uint8_t> expected = file;
    expected[6 + 2] = 16; // the 4-bit entry: colour count 16, bit count 0
    StoreU16(expected.data() + 6 + 6, 0);
    EXPECT_EQ(out.Bytes(), expected);
}

TEST(ExIcon, OffsetsCountFromTheStreamPositionOnEntry) {
    std::vector<uint8_t> bytes(7, 0xAA);
    const std::vector<uint8_t> file = Container(1, {IconImage(16, 16, 1)});
    bytes.insert(bytes.end(), file.begin(), file.end());
    MemoryStream stream(bytes);
    stream.SetPosition(7);
    TExIcon icon;
    icon.LoadFromStream(stream);
    EXPECT_EQ(icon.Image(0).ResourceData().Bytes(), IconImageBytes(16, 16, 1));
}

struct RefusedCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    bool Icon;
    std::string Error;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.Name;
}

std::vector<uint8_t> Edited(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
    StoreU32(bytes.data() + at, value);
    return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

class RefusedStreams : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedStreams, RaiseTheDescribedError) {
    const RefusedCase& c = GetParam();
    MemoryStream stream(c.Bytes);
    std::unique_ptr<TExIconCursor> graphic;
    if (c.Icon)
        graphic = std::make_unique<TExIcon>();
    else
        graphic = std::make_unique<TExCursor>();
    EXPECT_EQ(ErrorOf([&] { graphic->LoadFromStream(stream); }), c.Error);
}

const std::vector<uint8_t> kTwoIcons = Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 8)});

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedStreams,
    testing::Values(
        RefusedCase{"Empty", {}, true, kInvalid},
        RefusedCase{"ShortHeader", Cut(kTwoIcons, 5), true, kInvalid},
        RefusedCase{"ShortDirectory", Cut(kTwoIcons, 6 + 16 + 15), true, kInvalid},
        RefusedCase{"OffsetPastTheEnd", Edited(kTwoIcons, 22 + 12, 0x7FFFFFF0), true, kInvalid},
        RefusedCase{"SizePastTheEnd", Edited(kTwoIcons, 22 + 8, 0xFFFFFFF0), true, kInvalid},
        RefusedCase{"ImageShorterThanItsHeader", Edited(kTwoIcons, 22 + 8, 39), true, kInvalid},
        RefusedCase{"CursorKindIntoIcon", Container(2, {IconImage(16, 16, 4)}), true, kInvalid},
        RefusedCase{"IconKindIntoCursor", Container(1, {IconImage(16, 16, 4)}), false, kInvalid},
        RefusedCase{"TwoBitImage", Container(1, {IconImage(16, 16, 2)}), true, kBadFormat}));

TEST(ExIcon, AFailedLoadKeepsTheImagesMadeSoFar) {
    TExIcon icon;
    MemoryStream stream(Container(1, {IconImage(16, 16, 4), IconImage(16, 16, 2)}));
    EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic);
    ASSERT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(icon.Image(0).PixelFormat(), TPixelFormat::pf4bit);
}

// A PNG-compressed image is kept as its PNG bytes, with the picture's own size (0
// standing for 256, as in a directory entry) and 32 bits: libraries take today's 256-pixel images so.
TEST(ExIcon, KeepsPngImagesAsTheirBytes) {
    const std::vector<uint8_t> file = test::PeFixtureBytes("big.ico");
    TExIcon icon;
    MemoryStream stream(file);
    icon.LoadFromStream(stream);
    bool sawPng = false;
    for (int i = 0; i < icon.ImageCount(); ++i) {
        const std::vector<uint8_t>& bytes = icon.Image(i).ResourceData().Bytes();
        if (bytes.size() < 8 || bytes[0] != 0x89 || bytes[1] != 'P')
            continue;
        sawPng = true;
        EXPECT_EQ(icon.Image(i).PixelFormat(), TPixelFormat::pf32bit);
        uint32_t width = 0, height = 0;
        ASSERT_TRUE(ReadPngSize(bytes.data(), bytes.size(), width, height));
        // As a directory entry holds it: 0 for 256.
        EXPECT_EQ(icon.Image(i).Width(), static_cast<int>(width % 256));
        EXPECT_EQ(icon.Image(i).Height(), static_cast<int>(height % 256));
        EXPECT_TRUE(std::search(file.begin(), file.end(), bytes.begin(), bytes.end()) != file.end());
    }
    EXPECT_TRUE(sawPng);
    MemoryStream saved;
    icon.SaveToStream(saved);
    MemoryStream again(saved.Bytes());
    TExIcon reloaded;
    reloaded.LoadFromStream(again);
    EXPECT_EQ(reloaded.ImageCount(), icon.ImageCount());
}

TEST(ExIcon, FifteenBitImagesLoadButAreNotWritten) {
    const std::vector<uint8_t> file = Container(1, {IconImage(16, 16, 16)});
    TExIcon icon;
    MemoryStream in(file);
    icon.LoadFromStream(in);
    EXPECT_EQ(icon.Image(0).PixelFormat(), TPixelFormat::pf15bit);
    MemoryStream out;
    EXPECT_EQ(ErrorOf([&] { icon.SaveToStream(out); }), kInvalid);
}

// ---- cursors ----

TEST(ExCursor, LoadFromFilePutsTheHotSpotInFrontOfEachImage) {
    const std::vector<uint8_t> file = test::PeFixtureBytes("arrow.cur");
    TExCursor cursor;
    cursor.LoadFromFile(test::PeFixture("arrow.cur"));
    ASSERT_EQ(cursor.ImageCount(), 1);
    const std::vector<uint8_t>& data = cursor.Image(0).ResourceData().Bytes();
    EXPECT_EQ(LoadU16(data.data()), LoadU16(file.data() + 6 + 4)); // hot spot x
    EXPECT_EQ(LoadU16(data.data() + 2), LoadU16(file.data() + 6 + 6));
    EXPECT_EQ(data.size(), LoadU32(file.data() + 6 + 8) + 4);
    EXPECT_EQ(LoadU32(data.data() + 4 + 20), 0u); // biSizeImage
    EXPECT_FALSE(cursor.Image(0).IsIcon());
    EXPECT_EQ(cursor.Image(0).PixelFormat(), TPixelFormat::pf1bit);

    // Written back as a real cursor file: only biSizeImage differs.
    TempFile written(".cur");
    cursor.SaveToFile(written.Path());
    std::vector<uint8_t> expected = file;
    StoreU32(expected.data() + LoadU32(file.data() + 6 + 12) + 20, 0);
    EXPECT_EQ(ReadFileBytes(written.Path()), expected);
}

TEST(ExCursor, TheFileReadersRefuseTheOtherKind) {
    TExCursor cursor;
    EXPECT_EQ(ErrorOf([&] { cursor.LoadFromFile(test::PeFixture("one.ico")); }), kInvalidCursor);
    TExIcon icon;
    EXPECT_EQ(ErrorOf([&] { icon.LoadFromFile(test::PeFixture("arrow.cur")); }), kInvalid);
    TempFile empty(".cur");
    EXPECT_EQ(ErrorOf([&] { cursor.LoadFromFile(empty.Path()); }), kInvalidCursor);
}

TEST(ExCursor, StreamsCarryTheHotSpotInTheData) {
    std::vector<uint8_t> data = {7, 0, 9, 0};
    const std::vector<uint8_t> image = IconImageBytes(32, 32, 1);
    data.insert(data.end(), image.begin(), image.end());
    const std::vector<uint8_t> file = Container(2, {ContainerImage{32, 32, data, 7, 9}});
    TExCursor cursor;
    MemoryStream in(file);
    cursor.LoadFromStream(in);
    EXPECT_EQ(cursor.Image(0).ResourceData().Bytes(), data);
    MemoryStream out;
    cursor.SaveToStream(out);
    EXPECT_EQ(LoadU16(out.Memory() + 2), 2); // kind
    EXPECT_EQ(LoadU32(out.Memory() + 6 + 8), data.size());
}

// ---- sharing and drawing ----

TEST(ExIcon, AssignSharesTheImagesOfTheSameClassOnly) {
    TExIcon source;
    MemoryStream in(test::ThreeImageIcon());
    source.LoadFromStream(in);
    TExIcon copy;
    copy.Assign(source);
    ASSERT_EQ(copy.ImageCount(), 3);
    EXPECT_EQ(&copy.Image(1), &source.Image(1));
    TExCursor cursor;
    EXPECT_THROW(cursor.Assign(source), EConvertError);
    copy.SetWidth(48); // a new, empty current image; the source keeps its own
    EXPECT_EQ(copy.GetWidth(), 48);
    EXPECT_TRUE(copy.GetEmpty());
    EXPECT_EQ(source.GetWidth(), 16);
}

TEST(ExIcon, DrawsTheCurrentImageThroughItsMask) {
    // 4-bit 16 x 16, every pixel index 1 (grey 17) except the mask's transparent top row.
    std::vector<uint8_t> data = IconImageBytes(16, 16, 4);
    const size_t maskStart = data.size() - test::RowBytes(16, 1) * 16;
    const size_t topMaskRow = maskStart + test::RowBytes(16, 1) * 15; // bottom-up
    data[topMaskRow] = 0xFF;
    data[topMaskRow + 1] = 0xFF;
    const size_t topColorRow = 40 + 16 * 4 + test::RowBytes(16, 4) * 15;
    std::fill_n(data.begin() + static_cast<ptrdiff_t>(topColorRow), test::RowBytes(16, 4), 0);
    TExIcon icon;
    MemoryStream in(Container(1, {ContainerImage{16, 16, data, 1, 4}}));
    icon.LoadFromStream(in);
    auto canvas = platform::Surface::Create(20, 20);
    ASSERT_TRUE(canvas);
    canvas->SetBrushColor(RGB(0, 0, 200));
    canvas->FillRect({0, 0, 20, 20});
    icon.Draw(*canvas, {2, 2, 18, 18});
    EXPECT_EQ(canvas->PixelAt(5, 10) & 0xFFFFFF, 0x111111u);
    EXPECT_EQ(canvas->PixelAt(5, 2) & 0xFFFFFF, 0x0000C8u); // transparent: background kept
    EXPECT_EQ(canvas->PixelAt(0, 0) & 0xFFFFFF, 0x0000C8u);
}

} // namespace
} // namespace pictavo

namespace pictavo {
namespace {

TEST(PictureFormats, IconAndCursorExtensions) {
    const TPictureFormat* ico = FindPictureFormat(".ico");
    ASSERT_NE(ico, nullptr);
    EXPECT_EQ(ico->Description, "图标");
    EXPECT_TRUE(ico->Create()->IsIcon());
    const TPictureFormat* cur = FindPictureFormat("CUR");
    ASSERT_NE(cur, nullptr);
    EXPECT_EQ(cur->Description, "光标");
    EXPECT_FALSE(cur->Create()->IsIcon());
    EXPECT_EQ(FindPictureFormat("bmp"), nullptr);
}

} // namespace
} // namespace pictavo
