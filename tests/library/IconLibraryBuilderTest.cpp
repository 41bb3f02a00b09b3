// The icon-library builder and icon removal. Every library written is read back with
// our own module code: its groups and images are numbered as described, each group's
// icon loads and equals its source icon image by image, and the checksum is valid.

#include "library/IconLibraryBuilder.h"
#include "icons/ModuleIcons.h"
#include "icons/MultiIcon.h"
#include "library/PrivateTempFolder.h"
#include "peres/IconGroupResources.h"
#include "peres/PEResourceModule.h"
#include "util/AtomicFile.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include "LibraryTestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace pictavo {
namespace {

std::string LibraryFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/library/" + name;
}

// The source icon as the builder takes it: from the module, else the whole file; the
// classic build leaves out the images 255 pixels high or more.
std::unique_ptr<TMultiIcon> SourceIcon(const TIconSource& source, bool classic = false) {
    auto loaded = std::make_unique<TMultiIcon>();
    TMultiIcon& icon = *loaded;
    try {
        icon.LoadFromModule(source.FileName, source.IconIndex);
    } catch (const std::exception&) {
        icon.LoadFromFile(source.FileName);
    }
    for (int i = icon.IconCount() - 1; i >= 0; --i)
        if (classic && icon.GetIconHeight(i) >= 255)
            icon.DeleteIcon(i);
    return loaded;
}

void ExpectSameImages(const TMultiIcon& actual, const TMultiIcon& expected,
                      const std::string& what) {
    ASSERT_EQ(actual.IconCount(), expected.IconCount()) << what;
    for (int i = 0; i < expected.IconCount(); ++i) {
        const TMultiIconImage a = actual.GetIconData(i), e = expected.GetIconData(i);
        EXPECT_EQ(a.Width, e.Width) << what << " image " << i;
        EXPECT_EQ(a.Height, e.Height) << what << " image " << i;
        EXPECT_EQ(a.BitsPerPixel, e.BitsPerPixel) << what << " image " << i;
        ASSERT_EQ(a.IsPng, e.IsPng) << what << " image " << i;
        if (e.IsPng) {
            EXPECT_EQ(a.Png->Pixels(), e.Png->Pixels()) << what << " PNG pixels of image " << i;
            continue;
        }
        ASSERT_EQ(a.HeaderSize, e.HeaderSize) << what << " image " << i;
        ASSERT_EQ(a.ColorBitsSize, e.ColorBitsSize) << what << " image " << i;
        ASSERT_EQ(a.MaskBitsSize, e.MaskBitsSize) << what << " image " << i;
        // The colour table follows the 40-byte header.
        EXPECT_TRUE(
            std::equal(a.Header.get() + 40, a.Header.get() + a.HeaderSize, e.Header.get() + 40))
            << what << " palette of image " << i;
        EXPECT_TRUE(std::equal(a.ColorBits, a.ColorBits + a.ColorBitsSize, e.ColorBits))
            << what << " colour bits of image " << i;
        EXPECT_TRUE(std::equal(a.MaskBits, a.MaskBits + a.MaskBitsSize, e.MaskBits))
            << what << " mask bits of image " << i;
    }
}

void ExpectValidChecksum(const std::string& fileName) {
    const std::vector<uint8_t> bytes = ReadFileBytes(fileName);
    ASSERT_GE(bytes.size(), 64u);
    const size_t checksumOffset = LoadU32(bytes.data() + 60) + 24 + 64;
    ASSERT_LT(checksumOffset + 4, bytes.size());
    EXPECT_EQ(LoadU32(bytes.data() + checksumOffset),
              ImageChecksum(bytes.data(), bytes.size(), checksumOffset));
}

// The library's icons, in icon order, are the given sources' icons; the checksum is valid.
void ExpectLibraryHolds(const std::string& library, const std::vector<TIconSource>& sources) {
    ExpectValidChecksum(library);
    ASSERT_EQ(GetModuleIconCount(library), static_cast<int>(sources.size()));
    for (size_t k = 0; k < sources.size(); ++k) {
        TMultiIcon icon;
        icon.LoadFromModule(library, static_cast<int>(k));
        ExpectSameImages(icon, *SourceIcon(sources[k]),
                         sources[k].FileName + ":" + std::to_string(sources[k].IconIndex));
    }
}

struct ResourceId {
    std::string Type;
    std::string Name;
    int32_t Language;
    bool operator==(const ResourceId&) const = default;
};
std::ostream& operator<<(std::ostream& os, const ResourceId& id) {
    return os << id.Type << "/" << id.Name << "/" << id.Language;
}

std::vector<ResourceId> ResourcesOf(const std::string& library, const std::string& type) {
    TPEResourceModule module;
    module.ReadFromFile(library);
    std::vector<ResourceId> ids;
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == type)
            ids.push_back(
                {module.Item(i)->Type(), module.Item(i)->Name(), module.Item(i)->Language()});
    return ids;
}

std::vector<ResourceId> Numbered(const std::string& type, int first, int last,
                                 int32_t language = 0) {
    std::vector<ResourceId> ids;
    for (int n = first; n <= last; ++n)
        ids.push_back({type, std::to_string(n), language});
    return ids;
}

int ImagesIn(const std::vector<TIconSource>& sources) {
    int total = 0;
    for (const TIconSource& source : sources)
        total += SourceIcon(source)->IconCount();
    return total;
}

std::vector<TIconSource> Join(std::vector<TIconSource> a, const std::vector<TIconSource>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class IconLibraryBuilder : public testing::Test {
protected:
    TPrivateTempFolder folder;
    std::string library = folder.Path() + "lib.icl";
    std::vector<TIconSource> threeIcons = EveryIconOf(PeFixture("icons32.dll"), 3);
    std::vector<TIconSource> twoIcons = EveryIconOf(LibraryFixture("two.dll"), 2);
};

TEST_F(IconLibraryBuilder, NewLibraryFromTwoFilesNumbersGroupsAndImagesWithoutGaps) {
    for (TGroupCreation creation : {TGroupCreation::BeforeLoad, TGroupCreation::AfterSave}) {
        ::unlink(library.c_str());
        const std::vector<TIconSource> sources = Join(threeIcons, twoIcons);
        EXPECT_EQ(BuildIconLibrary({library, sources, false, creation, {}, {}, false, {}, {}}), 5);
        EXPECT_EQ(ResourcesOf(library, "14"), Numbered("14", 1, 5));
        EXPECT_EQ(ResourcesOf(library, "16"), (std::vector<ResourceId>{{"16", "1", 0x0405}}));
        EXPECT_EQ(ResourcesOf(library, "3"), Numbered("3", 1, ImagesIn(sources)));
        ExpectLibraryHolds(library, sources);
        EXPECT_FALSE(Exists(folder.Path() + "lib.~icl")); // nothing to back up
    }
}

TEST_F(IconLibraryBuilder, UpdatingAppendsAfterTheExistingGroupsAndKeepsTheBackup) {
    const std::vector<TIconSource> first = Join(threeIcons, {twoIcons[0]});
    BuildLibraryFromList(library, first, false);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    const int imagesBefore = ImagesIn(first);

    EXPECT_EQ(BuildLibraryFromView(library, twoIcons, false), 2);
    EXPECT_EQ(ResourcesOf(library, "14"), Numbered("14", 1, 6));
    EXPECT_EQ(ResourcesOf(library, "3"), Numbered("3", 1, imagesBefore + ImagesIn(twoIcons)));
    ExpectLibraryHolds(library, Join(first, twoIcons));
    EXPECT_EQ(ReadFileBytes(folder.Path() + "lib.~icl"), before);
}

TEST_F(IconLibraryBuilder, RebuildStartsFromTheTemplateAndKeepsTheOldLibraryAsBackup) {
    BuildLibraryFromList(library, threeIcons, false);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    EXPECT_EQ(BuildLibraryFromList(library, twoIcons, true), 2);
    EXPECT_EQ(ResourcesOf(library, "14"), Numbered("14", 1, 2));
    ExpectLibraryHolds(library, twoIcons);
    EXPECT_EQ(ReadFileBytes(folder.Path() + "lib.~icl"), before);
}

TEST_F(IconLibraryBuilder, FailedRebuildLeavesTheOldLibraryInPlace) {
    BuildLibraryFromList(library, threeIcons, false);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    const std::string notAnIcon = folder.Path() + "notes.txt";
    MemoryStream(std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}).SaveToFile(notAnIcon);
    for (bool rebuild : {true, false}) {
        EXPECT_THROW(BuildLibraryFromList(library, {twoIcons[0], {notAnIcon, 0}}, rebuild),
                     std::exception);
        EXPECT_EQ(ReadFileBytes(library), before);
        EXPECT_FALSE(Exists(folder.Path() + "lib.~icl"));
    }
}

TEST_F(IconLibraryBuilder, TargetThatIsNotAModuleIsRefusedUnchanged) {
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'P', 'E'};
    MemoryStream(text).SaveToFile(library);
    try {
        BuildLibraryFromList(library, twoIcons, false);
        FAIL() << "no error";
    } catch (const EPEException& error) {
        EXPECT_STREQ(error.what(), "Invalid DOS signature");
    }
    EXPECT_EQ(ReadFileBytes(library), text);
}

// Every image goes in: 256-pixel bitmaps, PNG images first, between and last, PNG-only
// icons, a cursor. Once a PNG image made the whole group empty and the build said success.
TEST_F(IconLibraryBuilder, EveryImageGoesInPngAndTallOnesToo) {
    const std::vector<TIconSource> sources = {
        {IconFixture("large256.ico"), 0},        {IconFixture("png256.ico"), 0},
        {IconFixture("mixed-png-between.ico"), 0}, {IconFixture("mixed-png-first.ico"), 0},
        {IconFixture("mixed-png-last.ico"), 0},  {IconFixture("png-only.ico"), 0},
        {IconFixture("cursor.cur"), 0},          {IconFixture("bitmaps.ico"), 0}};
    for (TGroupCreation creation : {TGroupCreation::BeforeLoad, TGroupCreation::AfterSave}) {
        ::unlink(library.c_str());
        EXPECT_EQ(BuildIconLibrary({library, sources, false, creation, {}, {}, false, {}, {}}),
                  static_cast<int>(sources.size()));
        EXPECT_EQ(ResourcesOf(library, "3"), Numbered("3", 1, ImagesIn(sources)));
        ExpectLibraryHolds(library, sources);
    }
}

// The classic build leaves out images 256 pixels high and an icon left with none, and
// says so; the other icons keep their numbers without a gap.
TEST_F(IconLibraryBuilder, ClassicLeavesOutTallImagesAndIconsLeftEmpty) {
    const std::vector<TIconSource> sources = {{IconFixture("large256.ico"), 0},
                                              {IconFixture("png256.ico"), 0}};
    for (TGroupCreation creation : {TGroupCreation::BeforeLoad, TGroupCreation::AfterSave}) {
        ::unlink(library.c_str());
        std::vector<std::string> skipped;
        TIconLibraryBuild build;
        build.FileName = library;
        build.Sources = sources;
        build.GroupCreation = creation;
        build.Classic = true;
        build.OnSkip = [&skipped](const std::string& message) { skipped.push_back(message); };
        EXPECT_EQ(BuildIconLibrary(build), 1);
        ASSERT_EQ(skipped.size(), 1u);
        EXPECT_NE(skipped[0].find("large256.ico: icon 0 is left out"), std::string::npos);
        EXPECT_EQ(ResourcesOf(library, "14"), Numbered("14", 1, 1));
        EXPECT_EQ(ResourcesOf(library, "3"), Numbered("3", 1, 1)); // the 16 x 16 image only
        TMultiIcon icon;
        icon.LoadFromModule(library, 0);
        ExpectSameImages(icon, *SourceIcon(sources[1], true), "png256.ico");
        ExpectValidChecksum(library);
    }
}

// A library whose images are numbered up to 65534: the next icon's images would need
// numbers a group entry cannot hold. Once the group said 2 images, held 1 entry, and the
// build reported success.
TEST_F(IconLibraryBuilder, NoImageNumbersLeftEndsTheBuildWithTheLibraryUnchanged) {
    BuildLibraryFromList(library, {{PeFixture("one.ico"), 0}}, false);
    {
        TPEResourceModule module;
        module.ReadFromFile(library);
        for (int i = 0; i < module.Count(); ++i)
            if (auto* group = dynamic_cast<TIconGroupResourceDetails*>(module.Item(i))) {
                // Its images become 65534 - n + 1 ... 65534.
                std::vector<uint8_t> bytes = group->Data().Bytes();
                const int n = group->EntryCount();
                for (int e = 0; e < n; ++e) {
                    const uint16_t id = static_cast<uint16_t>(65534 - n + 1 + e);
                    group->ImageOfEntry(e)->Rename(std::to_string(id));
                    StoreU16(&bytes[6 + 14 * e + 12], id);
                }
                MemoryStream edited(bytes);
                group->ReplaceData(edited);
            }
        module.WriteToFile(library);
    }
    const std::vector<uint8_t> before = ReadFileBytes(library);
    ASSERT_EQ(SourceIcon({PeFixture("app.ico"), 0})->IconCount(), 2);
    for (TGroupCreation creation : {TGroupCreation::BeforeLoad, TGroupCreation::AfterSave}) {
        EXPECT_THROW(BuildIconLibrary({library, {{PeFixture("app.ico"), 0}}, false, creation, {}, {}, false, {}, {}}),
                     EImageNumbersExhausted);
        // The error names the source icon, not the build's scratch file.
        try {
            BuildIconLibrary({library, {{PeFixture("app.ico"), 0}}, false, creation, {}, {}, false, {}, {}});
        } catch (const EImageNumbersExhausted& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(PeFixture("app.ico") + ": icon 0 ", 0), 0u) << message;
            EXPECT_EQ(message.find("temp.ico"), std::string::npos) << message;
        }
    }
    EXPECT_EQ(ReadFileBytes(library), before);
}

TEST_F(IconLibraryBuilder, NoSourcesWritesTheTemplateAlone) {
    EXPECT_EQ(BuildLibraryFromView(library, {}, false), 0);
    TPEResourceModule module;
    module.ReadFromFile(library);
    ASSERT_EQ(module.Count(), 1);
    EXPECT_EQ(module.Item(0)->Type(), "16");
    EXPECT_EQ(ReadFileBytes(library).size(), 17920u);
    ExpectValidChecksum(library);
}

TEST_F(IconLibraryBuilder, TemporaryIconFileStaysInAPrivateFolderThatIsRemoved) {
    const std::string tmp = folder.Path() + "tmp/";
    ASSERT_EQ(::mkdir(tmp.c_str(), 0755), 0);
    // A link planted at the fixed name in the shared folder must not be followed.
    const std::string victim = folder.Path() + "victim.txt";
    const std::vector<uint8_t> victimBytes = {'k', 'e', 'e', 'p'};
    MemoryStream(victimBytes).SaveToFile(victim);
    ASSERT_EQ(::symlink(victim.c_str(), (tmp + "temp.ico").c_str()), 0);
    {
        TempFolderOverride override(tmp);
        BuildLibraryFromList(library, twoIcons, false);
    }
    EXPECT_EQ(ReadFileBytes(victim), victimBytes);
    EXPECT_EQ(FolderEntries(tmp), std::vector<std::string>{"temp.ico"}); // only the planted link
    ExpectLibraryHolds(library, twoIcons);
    ::unlink((tmp + "temp.ico").c_str());
    ::rmdir(tmp.c_str());
    ::unlink(victim.c_str());
}

// A temporary folder where nothing can be made (even by root). A TMPDIR that names no
// folder is not that: /tmp stands in for it.
TEST_F(IconLibraryBuilder, UnusableTemporaryFolderEndsTheBuildBeforeWriting) {
    TempFolderOverride override("/proc/");
    EXPECT_THROW(BuildLibraryFromList(library, twoIcons, false), EFCreateError);
    EXPECT_FALSE(Exists(library));
}

TEST(PrivateTempFolder, IsOwnerOnlyAndRemovedWithItsFiles) {
    std::string path;
    {
        TPrivateTempFolder folder;
        path = folder.Path();
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        MemoryStream(std::vector<uint8_t>{1, 2, 3}).SaveToFile(path + "temp.ico");
    }
    EXPECT_FALSE(Exists(path));
}

TEST_F(IconLibraryBuilder, RemovingIconTwoOfFourRemovesGroupThreeAndItsImages) {
    const std::vector<TIconSource> sources = Join(threeIcons, {twoIcons[0]});
    BuildLibraryFromList(library, sources, false);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    TPEResourceModule original;
    original.ReadFromFile(library);
    std::vector<std::string> imagesOfGroup3;
    for (int i = 0; i < original.Count(); ++i)
        if (original.Item(i)->Type() == "14" && original.Item(i)->Name() == "3") {
            auto& group = dynamic_cast<TIconGroupResourceDetails&>(*original.Item(i));
            for (int e = 0; e < group.EntryCount(); ++e)
                imagesOfGroup3.push_back(group.ImageOfEntry(e)->Name());
        }
    ASSERT_FALSE(imagesOfGroup3.empty());

    EXPECT_TRUE(RemoveIconGroupFromLibrary(library, 2));
    EXPECT_EQ(ResourcesOf(library, "14"),
              (std::vector<ResourceId>{{"14", "1", 0}, {"14", "2", 0}, {"14", "4", 0}}));
    for (const ResourceId& image : ResourcesOf(library, "3"))
        EXPECT_EQ(std::count(imagesOfGroup3.begin(), imagesOfGroup3.end(), image.Name), 0) << image;
    EXPECT_EQ(static_cast<int>(ResourcesOf(library, "3").size() + imagesOfGroup3.size()),
              ImagesIn(sources));
    ExpectLibraryHolds(library, {sources[0], sources[1], sources[3]});
    EXPECT_EQ(ReadFileBytes(folder.Path() + "lib.~icl"), before);

    const std::vector<uint8_t> after = ReadFileBytes(library);
    EXPECT_FALSE(RemoveIconGroupFromLibrary(library, 3)); // only three icons left
    EXPECT_EQ(ReadFileBytes(library), after);
}

} // namespace
} // namespace pictavo
