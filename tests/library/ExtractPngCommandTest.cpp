// Runs the built pictavo-cli on 16-bit NE modules and with extract --png.

#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "library/PrivateTempFolder.h"
#include "tests/CliRunner.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using testsupport::CliRun;
using testsupport::Lines;
using testsupport::RunCli;

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

// The data block of directory entry i of an ICO file.
std::vector<uint8_t> IcoBlock(const std::vector<uint8_t>& ico, int i) {
    const uint8_t* entry = ico.data() + 6 + 16 * i;
    const auto begin = ico.begin() + LoadU32(entry + 12);
    return {begin, begin + LoadU32(entry + 8)};
}

// Each test writes into its own folder, removed with everything in it.
class ExtractPng : public testing::Test {
protected:
    CliRun Extract(const std::vector<std::string>& args) { return RunCli(args); }
    TPrivateTempFolder work;
};

TEST_F(ExtractPng, StoredPngUnchangedAndBitmapAsRgbaFromAnNEModule) {
    // Icon 2 of icons16.dll is pe/big.ico: 32x32 at 32 bits, then a 256x256 PNG that
    // the module stores padded to 16 bytes.
    const CliRun run =
        Extract({"extract", Fixture("ne/icons16.dll"), "--png", "-i", "2", "-o", work.Path()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string base = work.Path() + "icons16_2_";
    ASSERT_EQ(Lines(run.Out),
              (std::vector<std::string>{base + "32x32_32bit.png", base + "256x256_32bit.png"}));

    const std::vector<uint8_t> ico = ReadFileBytes(Fixture("pe/big.ico"));
    EXPECT_EQ(ReadFileBytes(base + "256x256_32bit.png"), IcoBlock(ico, 1));

    TMultiIcon source;
    source.LoadFromFile(Fixture("pe/big.ico"));
    const std::vector<uint8_t> png = ReadFileBytes(base + "32x32_32bit.png");
    TPngImage written32;
    written32.LoadFromBytes(png.data(), png.size());
    EXPECT_EQ(written32.Pixels(), IconImageToRgba(source.GetIconData(0)).Pixels);
}

TEST_F(ExtractPng, ImagesOfOneSizeAndDepthKeepApartNames) {
    // app.ico's first image (16x16 at 4 bits) twice.
    const std::vector<uint8_t> app = ReadFileBytes(Fixture("pe/app.ico"));
    const std::vector<uint8_t> block = IcoBlock(app, 0);
    std::vector<uint8_t> twice = {0, 0, 1, 0, 2, 0};
    for (uint32_t i = 0; i < 2; ++i) {
        twice.insert(twice.end(), app.begin() + 6, app.begin() + 14); // size, colours, planes, bits
        AppendU32(twice, static_cast<uint32_t>(block.size()));
        AppendU32(twice, static_cast<uint32_t>(6 + 32 + i * block.size()));
    }
    twice.insert(twice.end(), block.begin(), block.end());
    twice.insert(twice.end(), block.begin(), block.end());
    const std::string file = work.Path() + "twice.ico";
    WriteFileBytes(file, twice);

    const CliRun run = Extract({"extract", file, "--png", "-o", work.Path()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{work.Path() + "twice_0_16x16_4bit.png",
                                                        work.Path() + "twice_0_16x16_4bit-2.png"}));
}

// A 48-pixel PNG whose directory entry says 16 x 16 is named and listed by its picture.
TEST_F(ExtractPng, PngImageIsNamedByItsPicturesSize) {
    std::vector<uint8_t> lying = ReadFileBytes(Fixture("icons/mixed-png-between.ico"));
    lying[6 + 16] = 16; // the second entry: the PNG
    lying[6 + 16 + 1] = 16;
    const std::string file = work.Path() + "lying.ico";
    WriteFileBytes(file, lying);
    const CliRun run = Extract({"extract", file, "--png", "-o", work.Path()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out)[1], work.Path() + "lying_0_48x48_32bit.png");
    const CliRun images = RunCli({"images", file});
    EXPECT_NE(images.Out.find("[1] 48x48"), std::string::npos) << images.Out;
}

TEST(NEModuleCommands, ScanListsModulesWithIconGroupsOnly) {
    const CliRun run = RunCli({"scan", "-m", "*.dll", Fixture("ne")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 1u) << run.Out;
    EXPECT_EQ(lines[0].substr(0, 2), "3\t");
    EXPECT_NE(lines[0].find("icons16.dll"), std::string::npos);
}

TEST(NEModuleCommands, BuilderTakesTheIconsOfAnNEModule) {
    // icons16.dll holds the icons of icons32.dll: the libraries built from them agree.
    TPrivateTempFolder work;
    const CliRun ne = RunCli({"build", work.Path() + "ne.icl", Fixture("ne/icons16.dll")});
    const CliRun pe = RunCli({"build", work.Path() + "pe.icl", Fixture("pe/icons32.dll")});
    ASSERT_EQ(ne.Status, 0) << ne.Err;
    ASSERT_EQ(pe.Status, 0) << pe.Err;
    EXPECT_EQ(ne.Out, "3\n");
    EXPECT_EQ(RunCli({"icons", work.Path() + "ne.icl"}).Out,
              RunCli({"icons", work.Path() + "pe.icl"}).Out);
}

} // namespace
} // namespace pictavo
