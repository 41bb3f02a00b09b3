#include "cursors/CursorDisplay.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

// Busy.ani of the fixture pack: steps of 100, 200, 50, 1000 and 500 ms (6, 12, 3, 60 and
// 30 jiffies), 1850 ms a round.
std::vector<TAniStep> BusySteps() {
    return {{0, 6}, {1, 12}, {2, 3}, {1, 60}, {0, 30}};
}

TEST(CursorPlayback, EachStepShowsForItsOwnDelayInOrderThenAgain) {
    const struct {
        uint64_t elapsed;
        size_t step;
        uint32_t toNext;
    } cases[] = {
        {0, 0, 100},     {99, 0, 1},     {100, 1, 200},   {299, 1, 1},
        {300, 2, 50},    {350, 3, 1000}, {1349, 3, 1},    {1350, 4, 500},
        {1849, 4, 1},    {1850, 0, 100}, {1850 * 1000 + 320, 2, 30},
    };
    for (const auto& c : cases) {
        const TPlaybackPosition at = PlaybackPositionAt(BusySteps(), c.elapsed);
        EXPECT_EQ(at.Step, c.step) << c.elapsed;
        EXPECT_EQ(at.MsToNext, c.toNext) << c.elapsed;
    }
}

TEST(CursorPlayback, OneStepOrNoTimeStaysOnTheFirstStep) {
    for (const std::vector<TAniStep>& steps :
         {std::vector<TAniStep>{}, std::vector<TAniStep>{{0, 30}},
          std::vector<TAniStep>{{0, 0}, {1, 0}}}) {
        const TPlaybackPosition at = PlaybackPositionAt(steps, 12345);
        EXPECT_EQ(at.Step, 0u);
        EXPECT_EQ(at.MsToNext, 0u);
    }
}

TEST(CursorHotspot, ScalesWithTheDrawnImageToThePixelsCentre) {
    const struct {
        uint32_t x, y;
        int width, height, drawnWidth, drawnHeight;
        double drawnX, drawnY;
    } cases[] = {
        {16, 16, 32, 32, 32, 32, 16.5, 16.5}, // own size
        {0, 0, 32, 32, 64, 64, 1, 1},         // doubled: the middle of a 2 x 2 pixel
        {7, 8, 16, 16, 48, 48, 22.5, 25.5},   // tripled
        {31, 0, 32, 32, 16, 16, 15.75, 0.25}, // halved
        {10, 3, 32, 16, 64, 32, 21, 7},       // not square
        {500, 70, 32, 32, 32, 32, 31.5, 31.5}, // outside: the nearest pixel
        {5, 5, 0, 0, 32, 32, 0, 0},           // no image
    };
    for (const auto& c : cases) {
        const TDrawnPoint at =
            HotspotInDrawnImage(c.x, c.y, c.width, c.height, c.drawnWidth, c.drawnHeight);
        EXPECT_DOUBLE_EQ(at.X, c.drawnX) << c.x << "," << c.y << " " << c.drawnWidth;
        EXPECT_DOUBLE_EQ(at.Y, c.drawnY) << c.x << "," << c.y << " " << c.drawnWidth;
    }
}

} // namespace
} // namespace pictavo
