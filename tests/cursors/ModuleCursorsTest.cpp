// Cursors inside modules: groups with their hotspots, animated cursors and icons
// (fixture cursors32.dll, made by tests/fixtures/cursors/build.sh from cursors.rc).

#include "cursors/ModuleCursors.h"
#include "../CliRunner.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace pictavo {
namespace {

const std::string Fixtures = std::string(PICTAVO_FIXTURES) + "/cursors/";
const std::string Dll = Fixtures + "cursors32.dll";

TEST(ModuleCursors, GroupsThenAnimatedCursorsThenAnimatedIcons) {
    TModuleCursors cursors(Dll);
    ASSERT_EQ(cursors.Count(), 4);
    EXPECT_EQ(cursors.Name(0), "HANDCURSOR"); // named entries come first
    EXPECT_EQ(cursors.Name(1), "#100");
    EXPECT_EQ(cursors.Kind(1), TModuleCursorKind::Cursor);
    EXPECT_EQ(cursors.Kind(2), TModuleCursorKind::AnimatedCursor);
    EXPECT_EQ(cursors.Kind(3), TModuleCursorKind::AnimatedIcon);

    const TAnimatedCursor hand = cursors.Load(0);
    ASSERT_EQ(hand.Frames.size(), 1u);
    EXPECT_TRUE(hand.Frames[0]->IsCursor());
    EXPECT_EQ(hand.Frames[0]->GetIconData(0).HotspotX, 10u);
    const TAnimatedCursor arrow = cursors.Load(1);
    ASSERT_EQ(arrow.Frames[0]->IconCount(), 2);
    EXPECT_EQ(arrow.Frames[0]->GetIconData(1).HotspotX, 4u);
    EXPECT_EQ(arrow.Frames[0]->GetIconData(1).HotspotY, 3u);
    EXPECT_EQ(cursors.Load(2).Steps.size(), 5u);
    EXPECT_EQ(cursors.Load(3).Steps.size(), 2u);
    EXPECT_THROW(cursors.Load(4), Exception);

    EXPECT_EQ(TModuleCursors(Fixtures + "pack/Busy.ani").Count(), 0);
    EXPECT_FALSE(TModuleCursors(Fixtures + "pack/Busy.ani").IsModule());
}

TEST(ModuleCursors, ListedAndExtractedWithTheirHotspots) {
    using testsupport::Lines;
    using testsupport::RunCli;
    const auto list = RunCli({"icons", "--cursors", Dll});
    ASSERT_EQ(list.Status, 0) << list.Err;
    EXPECT_EQ(Lines(list.Out)[5], "cursor 2: animated, 3 frames, 5 steps");
    const auto json = RunCli({"icons", "--cursors", "--json", Dll});
    ASSERT_EQ(Lines(json.Out).size(), 4u);
    EXPECT_NE(json.Out.find("\"name\": \"#300\", \"animated\": true"), std::string::npos);

    const cursortest::ScratchFolder scratch;
    const std::string& out = scratch.Path();
    const auto run = RunCli({"extract", "--cursors", Dll, "-o", out});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out).size(), 4u);
    TMultiIcon arrow;
    arrow.LoadFromFile(out + "/cursors32_cursor_1.cur");
    EXPECT_TRUE(arrow.IsCursor());
    EXPECT_EQ(arrow.GetIconData(0).HotspotX, 3u);
    EXPECT_EQ(arrow.GetIconData(0).HotspotY, 2u);
    EXPECT_EQ(ReadFileBytes(out + "/cursors32_cursor_2.ani"),
              ReadFileBytes(Fixtures + "pack/Busy.ani"));
    EXPECT_EQ(RunCli({"extract", "--cursors", "--png", Dll, "-o", out}).Status, 2);
    EXPECT_EQ(RunCli({"icons", "--cursors", Fixtures + "pack/Busy.ani"}).Status, 1);
}

} // namespace
} // namespace pictavo
