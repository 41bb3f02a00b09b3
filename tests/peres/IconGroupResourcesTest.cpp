#include "peres/IconGroupResources.h"
#include "peres/BitmapResources.h"
#include "peres/PEResourceModule.h"
#include "tests/CraftedFiles.h"
#include "tests/peres/IconFixtures.h"
#include "tests/peres/PeFixtures.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace pictavo {
namespace {

using test::Container;
using test::Find;
using test::IconImage;
using test::IconImageBytes;
using test::TempFile;

// noicons32.dll with its resources removed: an empty module to fill.
std::unique_ptr<TPEResourceModule> EmptyModule() {
    auto module = std::make_unique<TPEResourceModule>();
    const std::vector<uint8_t> image = test::PeFixtureBytes("noicons32.dll");
    module->ParseImage(image.data(), image.size());
    while (module->Count() > 0)
        module->RemoveAt(0);
    return module;
}

std::vector<std::string> Names(const TResourceModule& module, const std::string& type) {
    std::vector<std::string> names;
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == type)
            names.push_back(module.Item(i)->Name());
    return names;
}

struct GroupEntry {
    int Width, Height, Colors, Planes, Bits;
    uint32_t Size;
    int Id;
    bool operator==(const GroupEntry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const GroupEntry& e) {
    return os << e.Width << "x" << e.Height << " c" << e.Colors << " p" << e.Planes << " b"
              << e.Bits << " s" << e.Size << " id" << e.Id;
}

std::vector<GroupEntry> IconEntries(const TResourceDetails& group) {
    const std::vector<uint8_t>& d = group.Data().Bytes();
    std::vector<GroupEntry> entries;
    for (size_t at = 6; at + 14 <= d.size(); at += 14)
        entries.push_back({d[at], d[at + 1], d[at + 2], LoadU16(&d[at + 4]), LoadU16(&d[at + 6]),
                           LoadU32(&d[at + 8]), LoadU16(&d[at + 12])});
    return entries;
}

TIconGroupResourceDetails* AddGroupFromFile(TPEResourceModule& module,
                                            const std::vector<uint8_t>& icoFile) {
    auto* group = CreateEmpty<TIconGroupResourceDetails>(module, 1033, module.NextFreeName("14"));
    TempFile file(".ico", icoFile);
    group->ReplaceFromFile(file.Path());
    return group;
}

std::vector<uint8_t> WithoutImageSize(std::vector<uint8_t> image) {
    StoreU32(image.data() + 20, 0);
    return image;
}

TEST(IconGroups, RegisteredInTheFixedOrder) {
    std::vector<std::string> names;
    for (const TResourceDetailsClass& cls : RegisteredDetailsClasses())
        names.push_back(cls.ClassName);
    const std::vector<std::string> expected = {
        "TBitmapResourceDetails",      "TDIBResourceDetails",  "TIconGroupResourceDetails",
        "TCursorGroupResourceDetails", "TIconResourceDetails", "TCursorResourceDetails"};
    ASSERT_GE(names.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6), expected);
}

TEST(IconGroups, ReadingAModuleGivesTheSpecialisedClasses) {
    TPEResourceModule module;
    module.ReadFromFile(test::PeFixture("icons32.dll"));
    int groups = 0, images = 0, cursors = 0, bitmaps = 0;
    for (int i = 0; i < module.Count(); ++i) {
        TResourceDetails* r = module.Item(i);
        groups += dynamic_cast<TIconGroupResourceDetails*>(r) != nullptr;
        images += dynamic_cast<TIconResourceDetails*>(r) != nullptr;
        cursors += dynamic_cast<TCursorGroupResourceDetails*>(r) != nullptr;
        bitmaps += dynamic_cast<TBitmapResourceDetails*>(r) != nullptr;
    }
    EXPECT_EQ(groups, 3);
    EXPECT_EQ(images, 6);
    EXPECT_EQ(cursors, 1);
    EXPECT_EQ(bitmaps, 1);
    auto* group = dynamic_cast<TIconCursorGroupResourceDetails*>(Find(module, "14", "100"));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->EntryCount(), 2);
    TIconCursorResourceDetails* first = group->ImageOfEntry(0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(group->HoldsImage(*first));
    EXPECT_EQ(first->ImageWidth(), 32);
    EXPECT_EQ(first->ImagePixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(group->ImageOfEntry(2), nullptr);
}

TEST(IconGroups, ANewGroupHoldsOneDefaultImage) {
    auto module = EmptyModule();
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 1033, "1");
    ASSERT_EQ(module->Count(), 2);
    auto* image = dynamic_cast<TIconResourceDetails*>(Find(*module, "3", "1"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Language(), 1033);
    const std::vector<uint8_t>& data = image->Data().Bytes();
    // header, 16 colours, 32 x 32 4-bit XOR bits, 32 x 32 mask
    ASSERT_EQ(data.size(), 40u + 64u + 512u + 128u);
    EXPECT_EQ(LoadI32(&data[4]), 32);
    EXPECT_EQ(LoadI32(&data[8]), 64);
    EXPECT_EQ(LoadU16(&data[14]), 4);
    EXPECT_EQ(LoadU32(&data[32]), 16u);
    EXPECT_EQ(LoadU32(&data[40 + 4 * 9]), 0x00FF0000u); // system red as blue, green, red, 0
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 104, data.begin() + 616),
              std::vector<uint8_t>(512, 0));
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 616, data.end()),
              std::vector<uint8_t>(128, 0xFF));
    EXPECT_EQ(image->ImageHeight(), 32);
    EXPECT_EQ(image->ImagePixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(LoadU16(&group->Data().Bytes()[2]), 1); // kind: icon
    EXPECT_EQ(IconEntries(*group),
              (std::vector<GroupEntry>{{32, 32, 16, 1, 4, static_cast<uint32_t>(data.size()), 1}}));
}

TEST(IconGroups, ANewCursorGroupHoldsOneDefaultCursorImage) {
    auto module = EmptyModule();
    auto* group = CreateEmpty<TCursorGroupResourceDetails>(*module, 0, "1");
    auto* image = dynamic_cast<TCursorResourceDetails*>(Find(*module, "1", "1"));
    ASSERT_NE(image, nullptr);
    const std::vector<uint8_t>& data = image->Data().Bytes();
    EXPECT_EQ(LoadU16(&data[0]), 16); // hot spot
    EXPECT_EQ(LoadU16(&data[2]), 16);
    EXPECT_EQ(image->ImageWidth(), 32);
    EXPECT_EQ(image->ImageHeight(), 32);
    const std::vector<uint8_t>& g = group->Data().Bytes();
    ASSERT_EQ(g.size(), 20u);
    EXPECT_EQ(LoadU16(&g[2]), 2);
    EXPECT_EQ(LoadU16(&g[6]), 32); // 16-bit width and height
    EXPECT_EQ(LoadU16(&g[8]), 32);
    EXPECT_EQ(LoadU16(&g[12]), 4);
    EXPECT_EQ(LoadU32(&g[14]), data.size());
    EXPECT_EQ(LoadU16(&g[18]), 1);
}

TEST(IconGroups, ReplaceFromFileNumbersTheNewImagesAfterTheHighest) {
    auto module = EmptyModule();
    AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4)}));
    AddGroupFromFile(
        *module, Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4), IconImage(48, 48, 4)}));
    ASSERT_EQ(Names(*module, "3"), (std::vector<std::string>{"1", "2", "3", "4", "5"}));

    // The new group's default image gets 6 and is removed again before the file's
    // images are added, so they get 6, 7 and 8.
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 1033, "3");
    EXPECT_EQ(Names(*module, "3").back(), "6");
    TempFile file(".ico", test::ThreeImageIcon());
    group->ReplaceFromFile(file.Path());
    EXPECT_EQ(Names(*module, "3"),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}));
    const std::vector<uint8_t> four = IconImageBytes(16, 16, 4);
    const std::vector<uint8_t> eight = IconImageBytes(32, 32, 8);
    const std::vector<uint8_t> big = IconImageBytes(256, 256, 32);
    EXPECT_EQ(IconEntries(*group),
              (std::vector<GroupEntry>{{16, 16, 16, 1, 4, static_cast<uint32_t>(four.size()), 6},
                                       {32, 32, 0, 1, 8, static_cast<uint32_t>(eight.size()), 7},
                                       {0, 0, 0, 1, 32, static_cast<uint32_t>(big.size()), 8}}));
    EXPECT_EQ(Find(*module, "3", "8")->Data().Bytes(), big);
    EXPECT_EQ(Find(*module, "3", "7")->Language(), 1033);
    EXPECT_NE(dynamic_cast<TIconResourceDetails*>(Find(*module, "3", "6")), nullptr);
    EXPECT_EQ(group->ImageOfEntry(1), Find(*module, "3", "7"));
}

TEST(IconGroups, ReplaceFromFileStoresImagesWithImageSizeCleared) {
    auto module = EmptyModule();
    auto* group = AddGroupFromFile(*module, test::PeFixtureBytes("app.ico"));
    const std::vector<uint8_t> file = test::PeFixtureBytes("app.ico");
    const uint32_t offset = LoadU32(&file[22 + 12]);
    const uint32_t size = LoadU32(&file[22 + 8]);
    EXPECT_EQ(group->ImageOfEntry(1)->Data().Bytes(),
              WithoutImageSize(
                  std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + size)));
}

// A library's group states a PNG image's own depth, not what the source's entry said.
TEST(IconGroups, PngEntryStatesThePicturesOwnDepth) {
    auto module = EmptyModule();
    const std::vector<uint8_t> rgba = ReadFileBytes(std::string(PICTAVO_FIXTURES) +
                                                    "/icons/png-rgba-interlaced.png");
    const std::vector<uint8_t> palette =
        ReadFileBytes(std::string(PICTAVO_FIXTURES) + "/icons/png-palette-trns.png");
    auto* group = AddGroupFromFile(*module, crafted::IconFileOfPngs({rgba}, 8));
    EXPECT_EQ(IconEntries(*group).at(0).Bits, 32);
    group = AddGroupFromFile(*module, crafted::IconFileOfPngs({palette}, 32));
    EXPECT_EQ(IconEntries(*group).at(0).Bits, 8);
    EXPECT_EQ(IconEntries(*group).at(0).Colors, 0);
}

TEST(IconGroups, RemovingAGroupRemovesExactlyItsImages) {
    auto module = EmptyModule();
    AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4)}));
    auto* group = AddGroupFromFile(*module, test::ThreeImageIcon());
    AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 1)}));
    ASSERT_EQ(Names(*module, "3"), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
    module->RemoveAt(module->IndexOf(group));
    EXPECT_EQ(Names(*module, "14"), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"1", "2", "6"}));
    EXPECT_TRUE(module->Modified());
}

TEST(IconGroups, RemovingAnImageTakesItOutOfItsGroup) {
    auto module = EmptyModule();
    auto* group = AddGroupFromFile(*module, test::ThreeImageIcon());
    auto* single = AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 1)}));
    ASSERT_EQ(single->ImageOfEntry(0)->Name(), "4");

    module->RemoveAt(module->IndexOf(Find(*module, "3", "2")));
    ASSERT_EQ(group->EntryCount(), 2);
    EXPECT_EQ(IconEntries(*group)[0].Id, 1);
    EXPECT_EQ(IconEntries(*group)[1].Id, 3);
    EXPECT_EQ(group->Data().Size(), 6 + 2 * 14);

    // The group goes with its last image.
    module->RemoveAt(module->IndexOf(Find(*module, "3", "4")));
    EXPECT_EQ(Names(*module, "14"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"1", "3"}));
}

// An entry that names a missing image once ended the removal with a list-index error,
// leaving a group nobody could remove.
TEST(IconGroups, AGroupWhoseEntryNamesAMissingImageIsRemovedWhole) {
    auto module = EmptyModule();
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 0, "1");
    std::vector<uint8_t> bytes = group->Data().Bytes();
    StoreU16(&bytes[6 + 12], 99); // no image 99
    MemoryStream edited(bytes);
    group->ReplaceData(edited);
    EXPECT_EQ(group->ImageOfEntry(0), nullptr);
    module->RemoveAt(module->IndexOf(group));
    EXPECT_TRUE(Names(*module, "14").empty());
    EXPECT_EQ(Names(*module, "3"), std::vector<std::string>{"1"}); // no group's image

    // Only images of the group's own kind count: cursor image 1 is not icon image 1.
    auto* iconGroup = CreateEmpty<TIconGroupResourceDetails>(*module, 0, "2");
    auto* cursorGroup = CreateEmpty<TCursorGroupResourceDetails>(*module, 0, "1");
    auto* cursor = cursorGroup->ImageOfEntry(0);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->Name(), "1");
    EXPECT_FALSE(iconGroup->HoldsImage(*cursor));
    EXPECT_TRUE(cursorGroup->HoldsImage(*cursor));
}

// ---- edits change only the group they are about ----

void SetEntryId(TResourceDetails& group, int entry, uint16_t id) {
    std::vector<uint8_t> bytes = group.Data().Bytes();
    StoreU16(&bytes[6 + 14 * entry + 12], id);
    MemoryStream edited(bytes);
    group.ReplaceData(edited);
}

std::vector<int> EntryIds(const TResourceDetails& group) {
    std::vector<int> ids;
    for (const GroupEntry& entry : IconEntries(group))
        ids.push_back(entry.Id);
    return ids;
}

// Groups 1 [1 2] and 2 [2 3]: image 2 is shared.
struct SharedImage : testing::Test {
    void SetUp() override {
        first =
            AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4)}));
        second =
            AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 1), IconImage(32, 32, 1)}));
        SetEntryId(*second, 0, 2);
        module->RemoveAt(module->IndexOf(Find(*module, "3", "3")));
        Find(*module, "3", "4")->Rename("3");
        SetEntryId(*second, 1, 3);
        ASSERT_EQ(EntryIds(*first), (std::vector<int>{1, 2}));
        ASSERT_EQ(EntryIds(*second), (std::vector<int>{2, 3}));
        ASSERT_EQ(Names(*module, "3"), (std::vector<std::string>{"1", "2", "3"}));
    }
    std::unique_ptr<TPEResourceModule> module = EmptyModule();
    TIconGroupResourceDetails* first = nullptr;
    TIconGroupResourceDetails* second = nullptr;
};

TEST_F(SharedImage, RemovingAGroupKeepsTheImagesAnotherGroupLists) {
    module->RemoveAt(module->IndexOf(first));
    EXPECT_EQ(Names(*module, "14"), std::vector<std::string>{"2"});
    EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(EntryIds(*second), (std::vector<int>{2, 3}));
}

TEST_F(SharedImage, ReplacingAGroupsImagesLeavesTheOtherGroupWhole) {
    TempFile file(".ico", Container(1, {IconImage(48, 48, 4)}));
    first->ReplaceFromFile(file.Path());
    EXPECT_EQ(EntryIds(*second), (std::vector<int>{2, 3}));
    EXPECT_EQ(EntryIds(*first), std::vector<int>{4}); // above the 3 the other group lists
    EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"2", "3", "4"}));
}

TEST_F(SharedImage, RemovingASharedImageTakesItOutOfEveryGroupThatListsIt) {
    module->RemoveAt(module->IndexOf(Find(*module, "3", "2")));
    EXPECT_EQ(EntryIds(*first), std::vector<int>{1});
    EXPECT_EQ(EntryIds(*second), std::vector<int>{3});
    module->RemoveAt(module->IndexOf(Find(*module, "3", "3")));
    EXPECT_EQ(Names(*module, "14"), std::vector<std::string>{"1"});
    EXPECT_EQ(EntryIds(*first), std::vector<int>{1});
}

// A group that names an image that is not there (7) must not take over a new image of
// that number, nor lose its entry when the new group drops its default image.
TEST(IconGroups, ANewGroupDoesNotTakeANumberAnotherGroupNames) {
    auto module = EmptyModule();
    auto* broken = AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 4)}));
    SetEntryId(*broken, 0, 2);
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 0, "2");
    EXPECT_EQ(group->ImageOfEntry(0)->Name(), "3");
    TempFile file(".ico", Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4)}));
    group->ReplaceFromFile(file.Path());
    EXPECT_EQ(EntryIds(*broken), std::vector<int>{2});
    EXPECT_EQ(EntryIds(*group), (std::vector<int>{3, 4}));
    EXPECT_EQ(Names(*module, "14"), (std::vector<std::string>{"1", "2"}));
    for (int i = 0; i < group->EntryCount(); ++i)
        EXPECT_NE(group->ImageOfEntry(i), nullptr);
}

// Entries name images with 16 bits. Too few numbers left: refused before any change.
TEST(IconGroups, ImageNumbersAbove65535AreRefusedBeforeTheGroupChanges) {
    auto module = EmptyModule();
    auto* high = AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 4)}));
    Find(*module, "3", "1")->Rename("65534");
    SetEntryId(*high, 0, 65534);
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 0, "2");
    ASSERT_EQ(group->ImageOfEntry(0)->Name(), "65535");
    const std::vector<uint8_t> before = group->Data().Bytes();
    TempFile file(".ico", test::ThreeImageIcon());
    EXPECT_THROW(group->ReplaceFromFile(file.Path()), EImageNumbersExhausted);
    EXPECT_EQ(group->Data().Bytes(), before);
    EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"65534", "65535"}));

    // No number left even for a new group's default image.
    EXPECT_THROW(CreateEmpty<TIconGroupResourceDetails>(*module, 0, "3"), EImageNumbersExhausted);
    EXPECT_EQ(Names(*module, "14"), (std::vector<std::string>{"1", "2"}));
}

// ---- the owner's index answers as a scan of the module would ----

// What the groups of the module name, found by reading every group's entries.
std::map<int, std::set<const TResourceDetails*>> ScannedNaming(const TResourceModule& module) {
    std::map<int, std::set<const TResourceDetails*>> naming;
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == "14")
            for (int id : EntryIds(*module.Item(i)))
                naming[id].insert(module.Item(i));
    return naming;
}

void ExpectIndexMatchesScan(const TResourceModule& module, const std::string& step) {
    SCOPED_TRACE(step);
    const auto scanned = ScannedNaming(module);
    for (int id = 0; id <= 12; ++id) {
        const std::vector<TResourceDetails*> found = module.ResourcesNaming("14", uint16_t(id));
        const std::set<const TResourceDetails*> indexed(found.begin(), found.end());
        const auto expected = scanned.find(id);
        EXPECT_EQ(indexed, expected == scanned.end() ? std::set<const TResourceDetails*>{}
                                                     : expected->second)
            << "id " << id;
    }
    EXPECT_EQ(module.HighestNamedNumber("14", nullptr), scanned.empty() ? 0 : scanned.rbegin()->first);
    int64_t highestImage = 0;
    for (const std::string& name : Names(module, "3"))
        highestImage = std::max<int64_t>(highestImage, NumericName(name));
    EXPECT_EQ(module.HighestNumericName("3"), highestImage);
}

TEST(IconGroups, TheIndexFollowsEveryEditAsAScanWould) {
    auto module = EmptyModule();
    ExpectIndexMatchesScan(*module, "empty");
    auto* a = AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4)}));
    auto* b = AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 1)}));
    auto* c = CreateEmpty<TIconGroupResourceDetails>(*module, 0, module->NextFreeName("14"));
    ExpectIndexMatchesScan(*module, "three groups");
    SetEntryId(*b, 0, 2); // b now shares a's image 2; image 3 is named by no group
    ExpectIndexMatchesScan(*module, "entry edited as bytes");
    TempFile file(".ico", Container(1, {IconImage(48, 48, 4), IconImage(24, 24, 4)}));
    c->ReplaceFromFile(file.Path());
    ExpectIndexMatchesScan(*module, "images replaced");
    module->RemoveAt(module->IndexOf(Find(*module, "3", "2")));
    ExpectIndexMatchesScan(*module, "shared image removed");
    EXPECT_EQ(Names(*module, "14"), (std::vector<std::string>{"1", "3"})); // b went with it
    Find(*module, "3", "3")->Rename("11");
    ExpectIndexMatchesScan(*module, "image renamed");
    module->Sort();
    module->RemoveAt(module->IndexOf(a));
    ExpectIndexMatchesScan(*module, "group removed after a sort");
    EXPECT_EQ(EntryIds(*c), (std::vector<int>{4, 5}));
    EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"4", "5", "11"}));
}

// A crafted group may name one image in several entries: the image goes once, with the
// group or on its own taking every such entry along.
TEST(IconGroups, AGroupNamingOneImageInSeveralEntries) {
    for (const bool removeTheImageFirst : {false, true}) {
        SCOPED_TRACE(removeTheImageFirst ? "image removed first" : "group removed");
        auto module = EmptyModule();
        auto* group = AddGroupFromFile(
            *module, Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 4), IconImage(48, 48, 4)}));
        SetEntryId(*group, 2, 1); // entries 1 2 1; image 3 is left to no group
        auto* other = AddGroupFromFile(*module, Container(1, {IconImage(16, 16, 1)}));
        if (removeTheImageFirst) {
            module->RemoveAt(module->IndexOf(Find(*module, "3", "1")));
            EXPECT_EQ(EntryIds(*group), std::vector<int>{2});
        }
        module->RemoveAt(module->IndexOf(group));
        EXPECT_EQ(Names(*module, "3"), (std::vector<std::string>{"3", "4"}));
        EXPECT_EQ(EntryIds(*other), std::vector<int>{4});
        ExpectIndexMatchesScan(*module, "after the removals");
    }
}

// The same image number in two languages: an entry names the first in the list, as
// when every resource was looked at in turn.
TEST(IconGroups, AnEntryNamesTheFirstImageOfItsNumberInTheList) {
    auto module = EmptyModule();
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 0, "1");
    TIconCursorResourceDetails* english = group->ImageOfEntry(0);
    const std::vector<uint8_t> bytes = IconImageBytes(16, 16, 4);
    module->InsertAt(0, CreateWithData<TIconResourceDetails>(module.get(), 1031, "001", "3",
                                                             bytes.size(), bytes.data()));
    EXPECT_NE(module->Item(0), english);
    EXPECT_EQ(group->ImageOfEntry(0), module->Item(0));
}

TEST(IconGroups, AFileWithoutImagesLeavesAnEmptyGroup) {
    auto module = EmptyModule();
    auto* group = AddGroupFromFile(*module, Container(1, {}));
    EXPECT_EQ(group->Data().Bytes(), (std::vector<uint8_t>{0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(Names(*module, "3").empty());
    EXPECT_EQ(Names(*module, "14"), (std::vector<std::string>{"1"}));
}

TEST(IconGroups, AFailedReplaceLeavesTheGroupWithoutImages) {
    auto module = EmptyModule();
    auto* group = AddGroupFromFile(*module, test::ThreeImageIcon());
    const std::vector<uint8_t> twoBitImage = Container(1, {IconImage(16, 16, 2)});
    TempFile refused(".ico", twoBitImage);
    try {
        group->ReplaceFromFile(refused.Path());
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "图标或光标像素格式无效");
    }
    EXPECT_EQ(group->Data().Bytes(), (std::vector<uint8_t>{0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(Names(*module, "3").empty());
    EXPECT_THROW(group->ReplaceFromFile(test::PeFixture("no-such.ico")), Exception);
}

// Icons made since 2007 hold PNG-compressed images beside bitmaps: every one goes in,
// the PNG ones as their PNG bytes with the picture's size (0 meaning 256) in the entry.
TEST(IconGroups, PngImagesGoInBesideBitmaps) {
    auto module = EmptyModule();
    auto* group = CreateEmpty<TIconGroupResourceDetails>(*module, 1033, "1");
    group->ReplaceFromFile(test::PeFixture("big.ico"));
    TExIcon source;
    source.LoadFromFile(test::PeFixture("big.ico"));
    ASSERT_EQ(group->EntryCount(), source.ImageCount());
    for (int i = 0; i < source.ImageCount(); ++i) {
        const uint8_t* entry = group->Data().Bytes().data() + 6 + 14 * static_cast<size_t>(i);
        EXPECT_EQ(entry[0], static_cast<uint8_t>(source.Image(i).Width())) << i;
        EXPECT_EQ(entry[1], static_cast<uint8_t>(source.Image(i).Height())) << i;
        EXPECT_EQ(group->ImageOfEntry(i)->Data().Bytes(), source.Image(i).ResourceData().Bytes())
            << i;
    }
}

TEST(IconGroups, CursorGroupsReadRealCursorFiles) {
    auto module = EmptyModule();
    auto* group = CreateEmpty<TCursorGroupResourceDetails>(*module, 0, "1");
    group->ReplaceFromFile(test::PeFixture("arrow.cur"));
    ASSERT_EQ(Names(*module, "1"), (std::vector<std::string>{"1"}));
    auto* image = dynamic_cast<TCursorResourceDetails*>(group->ImageOfEntry(0));
    ASSERT_NE(image, nullptr);
    const std::vector<uint8_t> file = test::PeFixtureBytes("arrow.cur");
    const std::vector<uint8_t>& data = image->Data().Bytes();
    EXPECT_EQ(LoadU32(&data[0]), LoadU32(&file[6 + 4])); // the hot spot leads the data
    EXPECT_EQ(image->ImagePixelFormat(), TPixelFormat::pf1bit);
    const std::vector<uint8_t>& g = group->Data().Bytes();
    EXPECT_EQ(LoadU16(&g[6]), 32);
    EXPECT_EQ(LoadU16(&g[12]), 1);
    EXPECT_EQ(LoadU32(&g[14]), data.size());
    // An icon file is not a cursor file.
    EXPECT_THROW(group->ReplaceFromFile(test::PeFixture("one.ico")), EInvalidGraphic);
}

TEST(IconGroups, AnAddedGroupSurvivesWritingTheModule) {
    TPEResourceModule module;
    module.ReadFromFile(test::PeFixture("icons32.dll"));
    auto* group = AddGroupFromFile(module, test::ThreeImageIcon());
    const std::string name = group->Name();
    const std::vector<uint8_t> groupBytes = group->Data().Bytes();
    module.Sort();
    MemoryStream out;
    module.WriteToStream(out);

    TPEResourceModule reread;
    reread.ParseImage(out.Memory(), static_cast<size_t>(out.Size()));
    auto* again = dynamic_cast<TIconGroupResourceDetails*>(Find(reread, "14", name));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Data().Bytes(), groupBytes);
    ASSERT_NE(again->ImageOfEntry(2), nullptr);
    EXPECT_EQ(again->ImageOfEntry(2)->Data().Bytes(), IconImageBytes(256, 256, 32));
}

// ---- image resources ----

TEST(IconImages, HeaderFaultsAreRefused) {
    const std::vector<uint8_t> twoBit = IconImageBytes(16, 16, 2);
    auto image =
        CreateWithData<TIconResourceDetails>(nullptr, 0, "1", "3", twoBit.size(), twoBit.data());
    EXPECT_EQ(image->ImageWidth(), 16);
    try {
        image->ImagePixelFormat();
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "图标或光标像素格式无效");
    }
    const uint8_t shortData[10] = {40};
    auto cut = CreateWithData<TIconResourceDetails>(nullptr, 0, "1", "3", 10, shortData);
    EXPECT_THROW(cut->ImageHeight(), EInvalidGraphic);
    EXPECT_THROW(cut->ImagePixelFormat(), EInvalidGraphic);
}

TEST(IconImages, PicturesRoundTrip) {
    const std::vector<uint8_t> bytes = IconImageBytes(48, 48, 8);
    auto image =
        CreateWithData<TIconResourceDetails>(nullptr, 0, "1", "3", bytes.size(), bytes.data());
    TPicture picture;
    image->ReadPicture(picture);
    ASSERT_TRUE(picture.IconGraphic);
    EXPECT_TRUE(picture.IconGraphic->IsIcon());
    EXPECT_EQ(picture.IconGraphic->GetWidth(), 48);
    EXPECT_EQ(picture.IconGraphic->GetPalette().size(), 256u);

    auto other = CreateEmpty<TIconResourceDetails>(0, "2");
    other->WritePicture(picture);
    EXPECT_EQ(other->Data().Bytes(), bytes);

    // A cursor image keeps its hot spot through the picture.
    auto cursor = CreateEmpty<TCursorResourceDetails>(0, "1");
    TPicture cursorPicture;
    cursor->ReadPicture(cursorPicture);
    ASSERT_TRUE(cursorPicture.IconGraphic);
    EXPECT_FALSE(cursorPicture.IconGraphic->IsIcon());
    const std::vector<uint8_t> before = cursor->Data().Bytes();
    cursor->WritePicture(cursorPicture);
    EXPECT_EQ(cursor->Data().Bytes(), before);

    TPicture none;
    EXPECT_THROW(other->WritePicture(none), EInvalidGraphic);
}

} // namespace
} // namespace pictavo
