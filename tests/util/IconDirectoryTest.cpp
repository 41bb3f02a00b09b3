#include "util/IconDirectory.h"

#include <gtest/gtest.h>

namespace pictavo {

namespace {

std::vector<uint8_t> Header(uint16_t type, uint16_t count) {
    return {0,
            0,
            static_cast<uint8_t>(type),
            static_cast<uint8_t>(type >> 8),
            static_cast<uint8_t>(count),
            static_cast<uint8_t>(count >> 8)};
}

std::vector<uint8_t> Entry(uint8_t width, uint8_t height, uint16_t at4, uint16_t at6, uint32_t size,
                           uint32_t offset, uint8_t colors = 16) {
    return {width,
            height,
            colors,
            0,
            static_cast<uint8_t>(at4),
            static_cast<uint8_t>(at4 >> 8),
            static_cast<uint8_t>(at6),
            static_cast<uint8_t>(at6 >> 8),
            static_cast<uint8_t>(size),
            static_cast<uint8_t>(size >> 8),
            static_cast<uint8_t>(size >> 16),
            static_cast<uint8_t>(size >> 24),
            static_cast<uint8_t>(offset),
            static_cast<uint8_t>(offset >> 8),
            static_cast<uint8_t>(offset >> 16),
            static_cast<uint8_t>(offset >> 24)};
}

std::vector<uint8_t> Join(std::vector<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const std::vector<uint8_t>& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

} // namespace

TEST(IconDirectory, SidesAndColourCountsAsEntriesStoreThem) {
    struct Case {
        int side;
        uint8_t byte;
        int readBack;
    };
    for (const Case& c : std::vector<Case>{
             {1, 1, 1}, {48, 48, 48}, {255, 255, 255}, {256, 0, 256}, {512, 0, 256}}) {
        EXPECT_EQ(IconSideByte(c.side), c.byte) << c.side;
        EXPECT_EQ(IconSideOfByte(c.byte), c.readBack) << c.side;
    }
    for (const auto& [bits, colors] : std::vector<std::pair<int, int>>{
             {0, 1}, {1, 2}, {4, 16}, {8, 0}, {16, 0}, {24, 0}, {32, 0}})
        EXPECT_EQ(IconColorCountByte(bits), colors) << bits;
}

TEST(IconDirectory, ReadsHeaderAndEntriesOrSaysWhereTheBytesEnd) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool header;
        bool complete;
        uint16_t count;
        int64_t positionAfter;
    };
    const std::vector<Case> cases = {
        {"no bytes", {}, false, false, 0, 0},
        {"header cut short", {0, 0, 1, 0, 1}, false, false, 0, 5},
        {"no images", Header(1, 0), true, true, 0, 6},
        {"one entry, whole", Join({Header(1, 1), Entry(16, 16, 1, 4, 296, 22)}), true, true, 1, 22},
        {"last entry cut short", Join({Header(1, 1), std::vector<uint8_t>(15, 0)}), true, false, 1,
         6},
        {"two counted, one there", Join({Header(2, 2), Entry(32, 32, 3, 4, 10, 38)}), true, false,
         2, 6},
        {"count far beyond the data", Header(1, 0xFFFF), true, false, 0xFFFF, 6},
    };
    for (const Case& c : cases) {
        MemoryStream stream(c.bytes);
        const std::optional<IconDirectory> directory = ReadIconDirectory(stream);
        ASSERT_EQ(directory.has_value(), c.header) << c.what;
        EXPECT_EQ(stream.Position(), c.positionAfter) << c.what;
        if (!directory)
            continue;
        EXPECT_EQ(directory->Count, c.count) << c.what;
        EXPECT_EQ(directory->Complete(), c.complete) << c.what;
        EXPECT_EQ(directory->Entries.size(), c.complete ? c.count : 0u) << c.what;
    }
}

TEST(IconDirectory, EntryFieldsZeroSidesAndCursorHotspots) {
    const std::vector<uint8_t> icon =
        Join({Header(1, 2), Entry(0, 0, 1, 32, 5000, 38), Entry(16, 24, 1, 8, 1384, 5038)});
    MemoryStream iconStream(icon);
    const IconDirectory icons = *ReadIconDirectory(iconStream);
    EXPECT_FALSE(icons.IsCursor());
    ASSERT_EQ(icons.Entries.size(), 2u);
    EXPECT_EQ(IconSideOfByte(icons.Entries[0].Width), 256);
    EXPECT_EQ(IconSideOfByte(icons.Entries[0].Height), 256);
    EXPECT_EQ(icons.Entries[0].BitCount, 32);
    EXPECT_EQ(icons.Entries[1].Width, 16);
    EXPECT_EQ(icons.Entries[1].Height, 24);
    EXPECT_EQ(icons.Entries[1].Colors, 16);
    EXPECT_EQ(icons.Entries[1].Planes, 1);
    EXPECT_EQ(icons.Entries[1].Size, 1384u);
    EXPECT_EQ(icons.Entries[1].Offset, 5038u);

    MemoryStream cursorStream(Join({Header(2, 1), Entry(32, 32, 7, 300, 326, 22)}));
    const IconDirectory cursor = *ReadIconDirectory(cursorStream);
    EXPECT_TRUE(cursor.IsCursor());
    EXPECT_EQ(cursor.Entries[0].HotspotX(), 7);
    EXPECT_EQ(cursor.Entries[0].HotspotY(), 300);
}

TEST(IconDirectory, WriterLaysImagesOutBehindTheDirectory) {
    IconDirectoryEntry big;
    big.Width = IconSideByte(256);
    big.Height = IconSideByte(256);
    big.Colors = 0;
    big.SetHotspot(5, 9);
    big.Size = 5000;
    big.Offset = 12345; // not the writer's concern
    IconDirectoryEntry small;
    small.Width = 16;
    small.Height = 16;
    small.Colors = 16;
    small.SetHotspot(0, 15);
    small.Size = 296;

    const std::vector<uint8_t> bytes = EncodeIconDirectory(CursorFileType, {big, small});
    EXPECT_EQ(bytes, Join({Header(2, 2), Entry(0, 0, 5, 9, 5000, 38, 0),
                           Entry(16, 16, 0, 15, 296, 5038)}));

    MemoryStream stream(bytes);
    const IconDirectory read = *ReadIconDirectory(stream);
    ASSERT_EQ(read.Entries.size(), 2u);
    EXPECT_EQ(read.Entries[0].HotspotX(), 5);
    EXPECT_EQ(read.Entries[0].HotspotY(), 9);
    EXPECT_EQ(read.Entries[1].Offset, 5038u);
    EXPECT_EQ(EncodeIconDirectory(IconFileType, {}), Header(1, 0));
}

} // namespace pictavo
