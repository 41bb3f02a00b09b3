// Small files that decode into gigabytes: what one icon and one pass over a file may
// decode is bounded, a picture named again is shared, and counting decodes nothing.

#include "icons/DecodeBudget.h"
#include "icons/ModuleIcons.h"
#include "tests/CraftedFiles.h"
#include "tests/peres/PeFixtures.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace pictavo {
namespace {

using crafted::BlankPng;

// 2048 x 2048 pictures: 16 MB each once decoded, from about 2 KB of PNG.
constexpr uint32_t Side = 2048;
constexpr uint64_t PictureBytes = uint64_t{Side} * Side * 4;

std::vector<std::vector<uint8_t>> DistinctPictures(int count) {
    std::vector<std::vector<uint8_t>> pngs;
    for (int i = 0; i < count; ++i)
        pngs.push_back(BlankPng(Side, Side, static_cast<uint8_t>(i + 1)));
    return pngs;
}

// The module is written to a file, as the program meets it; removed with the object.
struct ModuleFile {
    std::string Path;
    ModuleFile(const std::string& name, const std::map<uint16_t, std::vector<uint8_t>>& images,
               const std::vector<std::vector<uint8_t>>& groups)
        : Path(testing::TempDir() + name) {
        WriteFileBytes(Path,
                       crafted::ModuleWith(test::PeFixtureBytes("noicons32.dll"), images, groups));
    }
    ~ModuleFile() { ::unlink(Path.c_str()); }
};

std::string LoadError(TMultiIcon& icon, const std::function<void()>& load) {
    try {
        load();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "no error (" + std::to_string(icon.IconCount()) + " images)";
}

TEST(DecodeBudget, EntriesNamingTheSamePictureShareOneDecoding) {
    const std::vector<uint8_t> png = BlankPng(Side, Side);
    const ModuleFile module(
        "shared-picture.dll", {{1, png}},
        {crafted::IconGroup(std::vector<uint16_t>(64, 1), static_cast<uint32_t>(png.size()))});
    TMultiIcon icon;
    icon.LoadFromModule(module.Path, 0);
    ASSERT_EQ(icon.IconCount(), 64);
    for (int i = 0; i < icon.IconCount(); ++i) {
        EXPECT_EQ(icon.GetIconData(i).Png, icon.GetIconData(0).Png) << i;
        EXPECT_EQ(icon.GetIconData(i).Width, static_cast<int>(Side)) << i; // the picture's own
    }
    EXPECT_EQ(icon.GetIconData(0).Png->Width(), static_cast<int>(Side));
}

// Five different 16 MB pictures are more than one icon may need, in a module and in an
// icon file alike; the error comes before they are decoded.
TEST(DecodeBudget, IconWhosePicturesExceedTheLimitIsTooLarge) {
    const std::vector<std::vector<uint8_t>> pngs = DistinctPictures(5);
    ASSERT_GT(5 * PictureBytes, IconDecodeLimit);
    std::map<uint16_t, std::vector<uint8_t>> images;
    for (uint16_t id = 1; id <= 5; ++id)
        images[id] = pngs[id - 1];
    const ModuleFile module(
        "five-pictures.dll", images,
        {crafted::IconGroup({1, 2, 3, 4, 5}, static_cast<uint32_t>(pngs[0].size()))});
    const std::vector<uint8_t> iconFile = crafted::IconFileOfPngs(pngs);
    const std::string tooLarge = "Icon too large: its images need more than 64 MB";

    TMultiIcon fromModule;
    EXPECT_EQ(LoadError(fromModule, [&] { fromModule.LoadFromModule(module.Path, 0); }), tooLarge);
    TMultiIcon fromFile;
    EXPECT_EQ(LoadError(fromFile,
                        [&] {
                            ByteViewStream stream(iconFile.data(), iconFile.size());
                            fromFile.LoadFromStream(&stream);
                        }),
              tooLarge);
    // Four of them fit.
    const std::vector<uint8_t> four = crafted::IconFileOfPngs({pngs.begin(), pngs.begin() + 4});
    ByteViewStream stream(four.data(), four.size());
    fromFile.LoadFromStream(&stream);
    EXPECT_EQ(fromFile.IconCount(), 4);
}

// Many groups naming one picture: each load shares nothing with the others, so the pass
// over the file as a whole is bounded, relative to the file's size.
TEST(DecodeBudget, PassOverAFileThatNamesOnePictureAgainAndAgainEnds) {
    const std::vector<uint8_t> png = BlankPng(Side, Side);
    const std::vector<uint8_t> group = crafted::IconGroup({1}, static_cast<uint32_t>(png.size()));
    const ModuleFile module("one-picture-many-groups.dll", {{1, png}},
                            std::vector<std::vector<uint8_t>>(40, group));
    TModuleIcons icons(module.Path);
    ASSERT_EQ(icons.Count(), 40);
    int loaded = 0;
    std::string error;
    for (int n = 0; n < icons.Count() && error.empty(); ++n) {
        TMultiIcon icon;
        error = LoadError(icon, [&] { icons.Load(icon, n); });
        if (error.rfind("no error", 0) == 0) {
            error.clear();
            ++loaded;
        }
    }
    const uint64_t budget = FileDecodeBase + FileDecodePerByte * ReadFileBytes(module.Path).size();
    EXPECT_EQ(static_cast<uint64_t>(loaded), budget / PictureBytes);
    EXPECT_EQ(error.rfind("File too large: its icons need more than ", 0), 0u) << error;
}

// The scan's probe of an icon file reads its structure only.
TEST(DecodeBudget, IconStreamHasImagesJudgesWithoutDecoding) {
    std::vector<uint8_t> damaged = BlankPng(64, 64);
    damaged[damaged.size() - 20] ^= 0xFF; // inside the compressed data: only decoding notices
    std::vector<uint8_t> truncated = crafted::IconFileOfPngs({BlankPng(64, 64)});
    truncated.resize(truncated.size() - 1);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        bool hasImages;
    } cases[] = {
        {"two pictures", crafted::IconFileOfPngs({BlankPng(64, 64), BlankPng(32, 32)}), true},
        {"damaged compressed data", crafted::IconFileOfPngs({damaged}), true},
        {"more than an icon may decode", crafted::IconFileOfPngs(DistinctPictures(5)), false},
        {"cut short", truncated, false},
        {"no images", crafted::IconFileOfPngs({}), false},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}, false},
    };
    for (const auto& c : cases) {
        ByteViewStream stream(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(IconStreamHasImages(stream), c.hasImages) << c.what;
    }
}

} // namespace
} // namespace pictavo
