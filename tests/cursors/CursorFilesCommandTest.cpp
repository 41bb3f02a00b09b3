// Animated cursors in `icons`, `extract` and the thumbnailer.

#include "../CliRunner.h"
#include "icons/MultiIcon.h"
#include "util/Stream.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace pictavo {
namespace {

using testsupport::Lines;
using testsupport::RunCli;
using testsupport::RunProgram;

const std::string Busy = std::string(PICTAVO_FIXTURES) + "/cursors/pack/Busy.ani";

using OutputFolder = cursortest::ScratchFolder;

TEST(AnimatedCursorCommands, IconsListsFramesAndJsonAddsTheSteps) {
    const auto text = RunCli({"icons", Busy});
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(Lines(text.Out).size(), 6u); // three frames of one image each
    EXPECT_EQ(Lines(text.Out)[2], "icon 1: 1 images");

    const auto json = RunCli({"icons", "--json", Busy});
    ASSERT_EQ(json.Status, 0) << json.Err;
    const std::vector<std::string> lines = Lines(json.Out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "{\"title\": \"Busy\", \"author\": \"Pictavo tests\", \"steps\": ["
                        "{\"frame\": 0, \"delay_ms\": 100}, {\"frame\": 1, \"delay_ms\": 200}, "
                        "{\"frame\": 2, \"delay_ms\": 50}, {\"frame\": 1, \"delay_ms\": 1000}, "
                        "{\"frame\": 0, \"delay_ms\": 500}]}");
}

TEST(AnimatedCursorCommands, ExtractWritesFramesAsCursorsWithTheirHotspots) {
    OutputFolder out;
    const auto run = RunCli({"extract", Busy, "-o", out.Path()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    ASSERT_EQ(Lines(run.Out).size(), 3u);
    TMultiIcon frame;
    frame.LoadFromFile(out.Path() + "/Busy_2.cur");
    EXPECT_TRUE(frame.IsCursor());
    EXPECT_EQ(frame.GetIconData(0).HotspotX, 16u);

    const auto png = RunCli({"extract", Busy, "--png", "-i", "1", "-o", out.Path()});
    ASSERT_EQ(png.Status, 0) << png.Err;
    EXPECT_TRUE(fs::exists(out.Path() + "/Busy_1_32x32_32bit.png"));
    EXPECT_EQ(RunCli({"extract", Busy, "-i", "3", "-o", out.Path()}).Status, 1);
}

TEST(AnimatedCursorCommands, ThumbnailIsTheFirstFrame) {
    OutputFolder out;
    const std::string png = out.Path() + "/thumb.png";
    const auto run = RunProgram("pictavo-thumbnailer", {"-s", "24", Busy, png});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<uint8_t> bytes = ReadFileBytes(png);
    ASSERT_GT(bytes.size(), 24u);
    // The width in the PNG header chunk, big-endian.
    EXPECT_EQ((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19], 24);
}

TEST(AnimatedCursorCommands, DamagedFileIsAnError) {
    OutputFolder out;
    const std::string bad = out.Path() + "/bad.ani";
    WriteFileBytes(bad, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'});
    const auto run = RunCli({"icons", bad});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("no header"), std::string::npos) << run.Err;
    EXPECT_EQ(RunProgram("pictavo-thumbnailer", {"-s", "24", bad, out.Path() + "/t.png"}).Status,
              1);
}

} // namespace
} // namespace pictavo
