#include "util/Bytes.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace pictavo {

namespace {

struct OutsideWindow : std::runtime_error {
    OutsideWindow() : std::runtime_error("outside") {}
};

[[noreturn]] void RaiseOutside() {
    throw OutsideWindow();
}

} // namespace

TEST(ByteView, ReadsInsideTheWindowAndFailsWithTheCallersErrorOutside) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    const ByteView view(bytes, sizeof bytes, RaiseOutside);
    EXPECT_EQ(view.U8(5), 0x06);
    EXPECT_EQ(view.U16(4), 0x0605);
    EXPECT_EQ(view.U32(2), 0x06050403u);
    EXPECT_EQ(view.I32(0), 0x04030201);

    const ByteView sub = view.Sub(2, 3);
    EXPECT_EQ(sub.Size(), 3u);
    EXPECT_EQ(sub.U16(1), 0x0504);
    EXPECT_EQ(view.From(6).Size(), 0u);

    struct Case {
        const char* what;
        void (*read)(const ByteView&);
    };
    const std::vector<Case> outside = {
        {"U8 at the end", [](const ByteView& v) { v.U8(6); }},
        {"U16 across the end", [](const ByteView& v) { v.U16(5); }},
        {"U32 at a huge offset", [](const ByteView& v) { v.U32(UINT64_MAX - 1); }},
        {"Sub longer than the rest", [](const ByteView& v) { v.Sub(4, 3); }},
        {"Sub's read past its own end", [](const ByteView& v) { v.Sub(0, 3).U16(2); }},
        {"From beyond the end", [](const ByteView& v) { v.From(7); }},
    };
    for (const Case& c : outside)
        EXPECT_THROW(c.read(view), OutsideWindow) << c.what;

    const ByteView none(nullptr, 10, RaiseOutside);
    EXPECT_EQ(none.Size(), 0u);
    EXPECT_THROW(none.U8(0), OutsideWindow);
}

} // namespace pictavo
