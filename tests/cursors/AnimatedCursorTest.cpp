// The ANI reader over tidy, untidy and hostile files.

#include "cursors/AnimatedCursor.h"
#include "AniBuilder.h"
#include "util/Exceptions.h"

#include "../CraftedFiles.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using namespace anitest;

struct ReadCase {
    const char* name;
    Bytes file;
    std::vector<int> frames;       // of each step
    std::vector<uint32_t> jiffies; // of each step
};

Bytes SeqChunk(const std::vector<uint32_t>& frames) {
    return Chunk("seq ", Words(frames));
}
Bytes RateChunk(const std::vector<uint32_t>& jiffies) {
    return Chunk("rate", Words(jiffies));
}

std::vector<ReadCase> ReadCases() {
    const std::vector<Bytes> f = Frames();
    const Bytes odd = Chunk("junk", {1, 2, 3}, /*pad=*/false);
    return {
        {"tidy", Riff({Header(3, 3, 5), FrameList(f)}), {0, 1, 2}, {5, 5, 5}},
        {"frames before the header", Riff({FrameList(f), Header(3, 3, 7)}), {0, 1, 2}, {7, 7, 7}},
        {"reused frames with rates",
         Riff({Header(3, 5, 10, 3), RateChunk({1, 2, 3, 4, 5}), SeqChunk({2, 0, 2, 1, 2}),
               FrameList(f)}),
         {2, 0, 2, 1, 2},
         {1, 2, 3, 4, 5}},
        {"sequence after the frames, no rate",
         Riff({FrameList(f), SeqChunk({1, 1, 0}), Header(3, 3, 4, 3)}),
         {1, 1, 0},
         {4, 4, 4}},
        {"rate without sequence",
         Riff({Header(2, 2, 9), RateChunk({20, 40}), FrameList({f[0], f[1]})}),
         {0, 1},
         {20, 40}},
        {"no step count: the sequence's length",
         Riff({Header(3, 0, 6, 3), SeqChunk({0, 2}), FrameList(f)}),
         {0, 2},
         {6, 6}},
        {"zero delays take the default",
         Riff({Header(2, 2, 8), RateChunk({0, 3}), FrameList({f[0], f[1]})}),
         {0, 1},
         {8, 3}},
        {"odd-sized chunk with pad byte",
         Riff({Chunk("junk", {1, 2, 3}), Header(1, 1, 2), FrameList({f[0]})}),
         {0},
         {2}},
        {"odd-sized chunk whose pad byte was left out",
         Riff({odd, Header(1, 1, 2), FrameList({f[0]})}),
         {0},
         {2}},
        {"RIFF size past the end", Riff({Header(1, 1, 2), FrameList({f[0]})}, 5000), {0}, {2}},
        {"RIFF size zero", Riff({Header(1, 1, 2), FrameList({f[0]})}, -1000000), {0}, {2}},
        {"cut inside a trailing unknown chunk",
         [&] {
             Bytes file = Riff({Header(1, 1, 2), FrameList({f[0]}), Chunk("junk", Bytes(100, 7))});
             file.resize(file.size() - 60);
             return file;
         }(),
         {0},
         {2}},
        {"header flags that do not say icon",
         Riff({Header(1, 1, 2, 0), FrameList({f[0]})}),
         {0},
         {2}},
        {"frames of an .ico file",
         Riff({Header(1, 1, 2), FrameList({crafted::IconFileOfPngs({crafted::BlankPng(16, 16)})})}),
         {0},
         {2}},
    };
}

TEST(AnimatedCursorRead, TakesTidyAndUntidyFiles) {
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.name);
        const TAnimatedCursor cursor = ReadAnimatedCursor(c.file.data(), c.file.size());
        ASSERT_EQ(cursor.Steps.size(), c.frames.size());
        for (size_t i = 0; i < c.frames.size(); ++i) {
            EXPECT_EQ(cursor.Steps[i].Frame, c.frames[i]) << "step " << i;
            EXPECT_EQ(cursor.Steps[i].Jiffies, c.jiffies[i]) << "step " << i;
        }
        for (const auto& frame : cursor.Frames)
            EXPECT_GT(frame->IconCount(), 0);
        EXPECT_EQ(AnimatedCursorFrameCount(c.file.data(), c.file.size()), cursor.Frames.size());
    }
}

TEST(AnimatedCursorRead, FramesKeepTheirImagesAndHotspots) {
    const Bytes file = Riff({Header(3, 3, 5), FrameList(Frames())});
    const TAnimatedCursor cursor = ReadAnimatedCursor(file.data(), file.size());
    ASSERT_EQ(cursor.Frames.size(), 3u);
    EXPECT_TRUE(cursor.Frames[0]->IsCursor());
    EXPECT_EQ(cursor.Frames[0]->GetIconData(0).HotspotX, 10u);
    EXPECT_EQ(cursor.Frames[1]->GetIconWidth(0), 16);
    EXPECT_EQ(cursor.Frames[1]->GetIconData(0).HotspotY, 8u);
    EXPECT_EQ(cursor.Frames[2]->GetIconData(0).HotspotX, 15u);
}

TEST(AnimatedCursorRead, FixturePackFiles) {
    const TAnimatedCursor busy =
        LoadAnimatedCursor(std::string(PICTAVO_FIXTURES) + "/cursors/pack/Busy.ani");
    EXPECT_EQ(busy.Title, "Busy");
    EXPECT_EQ(busy.Author, "Pictavo tests");
    ASSERT_EQ(busy.Steps.size(), 5u);
    EXPECT_EQ(busy.Steps[3].Frame, 1);
    EXPECT_EQ(busy.Steps[3].DelayMs(), 1000u);
    EXPECT_EQ(busy.Steps[0].DelayMs(), 100u);
    EXPECT_EQ(busy.Steps[2].DelayMs(), 50u);
    EXPECT_EQ(AnimationLengthMs(busy), 100u + 200 + 50 + 1000 + 500);

    const TAnimatedCursor working = LoadAnimatedCursor(std::string(PICTAVO_FIXTURES) +
                                                       "/cursors/pack/Working in Background.ani");
    EXPECT_EQ(working.Title, "Arbeit im Hintergrund \xC3\xA4"); // Latin-1 read as such
    EXPECT_EQ(working.Author, "");
    ASSERT_EQ(working.Steps.size(), 2u);
    EXPECT_EQ(working.Steps[1].DelayMs(), 150u);
}

TEST(AnimatedCursorRead, OneJiffyIsSeventeenMilliseconds) {
    EXPECT_EQ((TAniStep{0, 1}).DelayMs(), 17u);
    EXPECT_EQ((TAniStep{0, 60}).DelayMs(), 1000u);
    EXPECT_EQ((TAniStep{0, 3}).DelayMs(), 50u);
}

struct RefuseCase {
    const char* name;
    Bytes file;
    const char* message; // a part of the error's text
    // Whether the scan's count, which decodes nothing, sees the fault too.
    bool counted0 = true;
};

std::vector<RefuseCase> RefuseCases() {
    const std::vector<Bytes> f = Frames();
    Bytes cutFrame = Riff({Header(2, 2, 2), FrameList({f[0], f[1]})});
    cutFrame.resize(cutFrame.size() - 200);
    return {
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'A', 'C', 'O', 'N'},
         "Not an animated cursor"},
        {"empty", Bytes{}, "Not an animated cursor"},
        {"no header", Riff({FrameList(f)}), "no header"},
        {"short header", Riff({Chunk("anih", Words({36, 1, 1})), FrameList(f)}), "too short"},
        {"no frames", Riff({Header(1, 1, 1)}), "no frames"},
        {"empty frame list", Riff({Header(1, 1, 1), FrameList({})}), "no frames"},
        {"a step names a missing frame",
         Riff({Header(2, 2, 1, 3), SeqChunk({0, 5}), FrameList({f[0], f[1]})}), "names frame 5"},
        {"more steps than frames, no sequence",
         Riff({Header(2, 4000000000u, 1), FrameList({f[0], f[1]})}), "counts 4000000000 steps"},
        {"sequence shorter than the steps",
         Riff({Header(2, 1000, 1, 3), SeqChunk({0, 1}), FrameList({f[0], f[1]})}),
         "sequence chunk holds 2 steps"},
        {"rate shorter than the steps",
         Riff({Header(2, 2, 1), RateChunk({1}), FrameList({f[0], f[1]})}),
         "rate chunk holds 1 steps"},
        {"a frame that is no icon", Riff({Header(1, 1, 1), FrameList({Bytes(40, 0x55)})}),
         "Frame 0"},
        {"a frame cut short", cutFrame, "Frame 1", false},
    };
}

TEST(AnimatedCursorRead, RefusesWhatCannotBeRight) {
    for (const RefuseCase& c : RefuseCases()) {
        SCOPED_TRACE(c.name);
        if (c.counted0) {
            EXPECT_EQ(AnimatedCursorFrameCount(c.file.data(), c.file.size()), 0u);
        }
        try {
            ReadAnimatedCursor(c.file.data(), c.file.size());
            ADD_FAILURE() << "read without error";
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

// Frames that name huge pictures in few bytes end in the file's decode budget before
// they are decoded, not in gigabytes of memory.
TEST(AnimatedCursorRead, FramesStayWithinTheDecodeBudget) {
    const Bytes big = crafted::IconFileOfPngs({crafted::BlankPng(4096, 4096)});
    const Bytes file = Riff({Header(8, 8, 1), FrameList(std::vector<Bytes>(8, big))});
    EXPECT_THROW(ReadAnimatedCursor(file.data(), file.size()), EInvalidGraphic);
}

TEST(AnimatedCursorRead, StaticCursorAsOneStep) {
    const TAnimatedCursor cursor =
        LoadCursorAnimation(std::string(PICTAVO_FIXTURES) + "/cursors/pack/Normal Select.cur");
    ASSERT_EQ(cursor.Frames.size(), 1u);
    ASSERT_EQ(cursor.Steps.size(), 1u);
    EXPECT_EQ(cursor.Steps[0].DelayMs(), 0u);
    EXPECT_EQ(cursor.Frames[0]->IconCount(), 2);
    EXPECT_TRUE(IsAnimatedCursorFile(std::string(PICTAVO_FIXTURES) + "/cursors/pack/Busy.ani"));
    EXPECT_FALSE(
        IsAnimatedCursorFile(std::string(PICTAVO_FIXTURES) + "/cursors/pack/Normal Select.cur"));
}

} // namespace
} // namespace pictavo
