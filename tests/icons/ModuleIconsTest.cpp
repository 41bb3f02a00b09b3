#include "icons/ModuleIcons.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pictavo {

namespace {

using test::PeFixture;
using test::PeFixtureBytes;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "no error";
}

struct ImageShape {
    int width;
    int height;
    int bitsPerPixel;
    bool isPng;
};

std::vector<ImageShape> Shapes(const TMultiIcon& icon) {
    std::vector<ImageShape> shapes;
    for (int i = 0; i < icon.IconCount(); ++i) {
        const TMultiIconImage image = icon.GetIconData(i);
        shapes.push_back({image.Width, image.Height, image.BitsPerPixel, image.IsPng});
    }
    return shapes;
}

bool operator==(const ImageShape& a, const ImageShape& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.isPng == b.isPng;
}

// Where the bytes of a resource of the fixture lie in the file.
size_t FileOffsetOf(const std::vector<uint8_t>& file, uint32_t id, uint32_t type) {
    const auto reader = ModuleReader::FromMemory(file);
    const std::optional<ResourceBytes> resource = reader->FindResource(id, type);
    EXPECT_TRUE(resource);
    const auto found =
        std::search(file.begin(), file.end(), resource->Data, resource->Data + resource->Size);
    EXPECT_NE(found, file.end());
    return static_cast<size_t>(found - file.begin());
}

void LoadFromBytes(TMultiIcon& icon, std::vector<uint8_t> bytes, int n) {
    const auto reader = ModuleReader::FromMemory(std::move(bytes));
    ASSERT_NE(reader, nullptr);
    icon.LoadModuleIcon(*reader, n);
}

} // namespace

// icons32.dll: APPICON (app.ico), 100 (one.ico), 101 (big.ico with a 256x256 PNG).
struct PositionCase {
    int position;
    std::vector<ImageShape> shapes;
};

void PrintTo(const PositionCase& c, std::ostream* out) {
    *out << "position " << c.position;
}

class ModuleIconPositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(ModuleIconPositionTest, NamedGroupFirstThenIdsInOrder) {
    TMultiIcon icon;
    icon.LoadFromModule(PeFixture("icons32.dll"), GetParam().position);
    EXPECT_EQ(Shapes(icon), GetParam().shapes);
    EXPECT_GE(icon.CurrentIndex(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Fixture, ModuleIconPositionTest,
    ::testing::Values(PositionCase{0, {{16, 16, 4, false}, {32, 32, 32, false}}},
                      PositionCase{1, {{32, 32, 8, false}, {16, 16, 32, false}}},
                      PositionCase{2, {{32, 32, 32, false}, {256, 256, 32, true}}}));

TEST(ModuleIconsTest, CountsIconGroupsOfBothFormats) {
    EXPECT_EQ(GetModuleIconCount(PeFixture("icons32.dll")), 3);
    EXPECT_EQ(GetModuleIconCount(PeFixture("icons64.dll")), 2);
    EXPECT_EQ(GetModuleIconCount(PeFixture("app32.exe")), 1);

    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(CountResources(*reader, pe::RtGroupCursor), 1);
    EXPECT_EQ(CountResources(*reader, pe::RtIcon), 6);
}

TEST(ModuleIconsTest, GroupIsFoundByHashNumberText) {
    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    TMultiIcon byText;
    byText.LoadGroupResource(*reader, "#100");
    TMultiIcon byPosition;
    byPosition.LoadModuleIcon(*reader, 1);
    EXPECT_EQ(Shapes(byText), Shapes(byPosition));
    EXPECT_EQ(byText.IconCount(), 2);
}

TEST(ModuleIconsTest, PositionOutsideTheGroupsIsAnInvalidIndex) {
    for (int position : {3, -1, 1000}) {
        TMultiIcon icon;
        EXPECT_EQ(ErrorOf([&] { icon.LoadFromModule(PeFixture("icons32.dll"), position); }),
                  "Invalid icon resource index")
            << position;
    }
}

TEST(ModuleIconsTest, FilesWithoutIconGroupsHaveNone) {
    for (const char* name : {"noicons32.dll", "noicons.rc", "app.ico", "missing.dll"}) {
        EXPECT_EQ(GetModuleIconCount(PeFixture(name)), 0) << name;
        TMultiIcon icon;
        EXPECT_EQ(ErrorOf([&] { icon.LoadFromModule(PeFixture(name), 0); }),
                  "Invalid module or no icon resources")
            << name;
    }
}

TEST(ModuleIconsTest, PngImageTakesItsSizeFromTheResource) {
    TMultiIcon icon;
    icon.LoadFromModule(PeFixture("icons32.dll"), 2);
    const TMultiIconImage image = icon.GetIconData(1);
    ASSERT_TRUE(image.IsPng);
    ASSERT_NE(image.Png, nullptr);
    EXPECT_EQ(image.Width, 256);
    EXPECT_EQ(image.Height, 256);

    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    TGroupEntry entry;
    entry.Id = 6; // the PNG image of big.ico
    entry.BytesInRes = 1;
    EXPECT_EQ(static_cast<uint32_t>(image.BytesInRes), reader->FindResource(6, pe::RtIcon)->Size);
    EXPECT_EQ(GetIconResourceSize(*reader, entry), reader->FindResource(6, pe::RtIcon)->Size);
}

TEST(ModuleIconsTest, MissingImageResourceTakesTheEntrysByteCount) {
    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    TGroupEntry entry;
    entry.Id = 999;
    entry.BytesInRes = 1234;
    EXPECT_EQ(GetIconResourceSize(*reader, entry), 1234u);
}

TEST(ModuleIconsTest, PE32PlusIconsLoad) {
    TMultiIcon named;
    named.LoadFromModule(PeFixture("icons64.dll"), 0);
    EXPECT_EQ(Shapes(named), (std::vector<ImageShape>{{16, 16, 4, false}, {32, 32, 32, false}}));
    TMultiIcon numbered;
    numbered.LoadFromModule(PeFixture("icons64.dll"), 1);
    EXPECT_EQ(numbered.IconCount(), 2);
}

// Group 100 names image resources 3 and 4; pointing its second entry elsewhere leaves
// the first image loaded and the second empty.
TEST(ModuleIconsTest, MissingImageResourceKeepsTheImagesBefore) {
    std::vector<uint8_t> file = PeFixtureBytes("icons32.dll");
    const size_t group = FileOffsetOf(file, 100, pe::RtGroupIcon);
    StoreU16(file.data() + group + 6 + 14 + 12, 999);

    TMultiIcon icon;
    EXPECT_EQ(ErrorOf([&] { LoadFromBytes(icon, file, 1); }), "Invalid icon resource");
    ASSERT_EQ(icon.IconCount(), 2);
    EXPECT_EQ(icon.GetIconData(0).Width, 32);
    EXPECT_NE(icon.GetIconData(0).ColorBitmap, nullptr);
    EXPECT_EQ(icon.GetIconData(1).Width, 0);
    EXPECT_EQ(icon.GetIconData(1).Header, nullptr);
    EXPECT_EQ(icon.CurrentIndex(), -1);
}

struct DamagedGroupCase {
    const char* name;
    size_t offset; // of a 16-bit field in group 100
    uint16_t value;
};

void PrintTo(const DamagedGroupCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedGroupTest : public ::testing::TestWithParam<DamagedGroupCase> {};

// Refused before the container changes: it keeps the icon it held.
TEST_P(DamagedGroupTest, RefusedWithContainerUnchanged) {
    std::vector<uint8_t> file = PeFixtureBytes("icons32.dll");
    const size_t group = FileOffsetOf(file, 100, pe::RtGroupIcon);
    StoreU16(file.data() + group + GetParam().offset, GetParam().value);

    TMultiIcon icon;
    icon.LoadFromModule(PeFixture("icons32.dll"), 0);
    EXPECT_EQ(ErrorOf([&] { LoadFromBytes(icon, file, 1); }), "Invalid icon resource");
    EXPECT_EQ(Shapes(icon), (std::vector<ImageShape>{{16, 16, 4, false}, {32, 32, 32, false}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedGroupTest,
                         ::testing::Values(DamagedGroupCase{"CursorType", 2, 2},
                                           DamagedGroupCase{"CountBeyondResource", 4, 500}),
                         [](const auto& p) { return std::string(p.param.name); });

// An image resource shorter than its header, colour table and bits is refused, not
// read past its end: image 3 (32x32, 8 bits) claims 64x64.
TEST(ModuleIconsTest, ImageShorterThanItsHeaderSaysIsRefused) {
    std::vector<uint8_t> file = PeFixtureBytes("icons32.dll");
    const size_t image = FileOffsetOf(file, 3, pe::RtIcon);
    StoreU32(file.data() + image + 4, 64);
    StoreU32(file.data() + image + 8, 128);

    TMultiIcon icon;
    EXPECT_EQ(ErrorOf([&] { LoadFromBytes(icon, file, 1); }), "Invalid icon resource");
    EXPECT_EQ(icon.GetIconData(0).Header, nullptr);
}

// A container that last held a cursor reads cursor groups by name: group 200 of the
// fixture (arrow.cur, hotspot 3,5) loads with its hotspot. Icon n of the module is an
// icon group whatever the container held before: it loads, and the container is an icon.
TEST(ModuleIconsTest, CursorContainerReadsCursorGroups) {
    TMultiIcon cursor;
    cursor.LoadFromFile(std::string(PICTAVO_FIXTURES) + "/icons/cursor.cur");
    ASSERT_TRUE(cursor.IsCursor());

    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    cursor.LoadGroupResource(*reader, "#200");
    ASSERT_EQ(cursor.IconCount(), 1);
    const TMultiIconImage image = cursor.GetIconData(0);
    EXPECT_EQ(image.Width, 32);
    EXPECT_EQ(image.Height, 32);
    EXPECT_EQ(image.BitsPerPixel, 1);
    EXPECT_EQ(image.HotspotX, 3u);
    EXPECT_EQ(image.HotspotY, 5u);

    cursor.LoadModuleIcon(*reader, 0);
    EXPECT_FALSE(cursor.IsCursor());
    TMultiIcon fresh;
    fresh.LoadModuleIcon(*reader, 0);
    EXPECT_EQ(cursor.IconCount(), fresh.IconCount());
}

// The kind of the container comes from what is loaded, never from the load before:
// cursor, then a module's icon, through the file loader the window and builder use.
TEST(ModuleIconsTest, EveryLoadTakesItsOwnKind) {
    const std::string cur = std::string(PICTAVO_FIXTURES) + "/icons/cursor.cur";
    const std::string ico = std::string(PICTAVO_FIXTURES) + "/icons/bitmaps.ico";
    const std::string dll = PeFixture("icons32.dll");
    struct Step {
        std::string File;
        bool Cursor;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{cur, true}, {dll, false}},
        {{cur, true}, {ico, false}},
        {{ico, false}, {cur, true}, {dll, false}},
        {{dll, false}, {cur, true}, {dll, false}, {cur, true}},
    };
    for (const std::vector<Step>& sequence : sequences) {
        TMultiIcon shared;
        for (const Step& step : sequence) {
            TModuleIcons module(step.File);
            if (module.Count() > 0)
                module.Load(shared, 0);
            else
                shared.LoadFromFile(step.File);
            EXPECT_EQ(shared.IsCursor(), step.Cursor) << step.File;
            EXPECT_GT(shared.IconCount(), 0) << step.File;
        }
    }
}

} // namespace pictavo
