#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {
namespace {

using test::PeFixture;
using test::PeFixtureBytes;

std::vector<std::string> GroupNames(const ModuleReader& reader, uint32_t type) {
    std::vector<std::string> names;
    reader.EnumResourceNames(type, [&](const ResourceName& name) {
        names.push_back(name.IsNumeric ? "#" + std::to_string(name.Id) : name.Text);
        return true;
    });
    return names;
}

TEST(ModuleReader, EnumeratesNamedGroupsFirstThenIdsInBothFormats) {
    const auto reader32 = ModuleReader::Open(PeFixture("icons32.dll"));
    ASSERT_NE(reader32, nullptr);
    EXPECT_FALSE(reader32->Is64Bit());
    EXPECT_EQ(GroupNames(*reader32, pe::RtGroupIcon),
              (std::vector<std::string>{"APPICON", "#100", "#101"}));
    EXPECT_EQ(GroupNames(*reader32, pe::RtGroupCursor), (std::vector<std::string>{"#200"}));

    const auto reader64 = ModuleReader::Open(PeFixture("icons64.dll"));
    ASSERT_NE(reader64, nullptr);
    EXPECT_TRUE(reader64->Is64Bit());
    EXPECT_EQ(GroupNames(*reader64, pe::RtGroupIcon), (std::vector<std::string>{"X64ICON", "#7"}));
}

TEST(ModuleReader, CallbackStopsTheEnumeration) {
    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    ASSERT_NE(reader, nullptr);
    int calls = 0;
    reader->EnumResourceNames(pe::RtGroupIcon, [&](const ResourceName&) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

TEST(ModuleReader, FindsByIdByNameAndByHashText) {
    const auto reader = ModuleReader::Open(PeFixture("icons32.dll"));
    ASSERT_NE(reader, nullptr);
    const auto byId = reader->FindResource(100, pe::RtGroupIcon);
    const auto byHash = reader->FindResource("#100", pe::RtGroupIcon);
    ASSERT_TRUE(byId && byHash);
    EXPECT_EQ(byId->FileOffset, byHash->FileOffset);
    EXPECT_EQ(std::memcmp(byId->Data, byHash->Data, byId->Size), 0);
    // A group of two images: 6-byte header and two 14-byte entries.
    EXPECT_EQ(byId->Size, 6u + 2 * 14);
    EXPECT_EQ(LoadU16(byId->Data + 4), 2);

    const auto named = reader->FindResource("appicon", pe::RtGroupIcon);
    ASSERT_TRUE(named);
    EXPECT_EQ(LoadU16(named->Data + 2), 1); // an icon group

    // The 256x256 PNG image of group 101: the last entry's id names an RT_ICON.
    const auto group101 = reader->FindResource(101, pe::RtGroupIcon);
    ASSERT_TRUE(group101);
    const uint8_t* last = group101->Data + 6 + 14;
    EXPECT_EQ(last[0], 0); // width 256
    const auto image = reader->FindResource(LoadU16(last + 12), pe::RtIcon);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Size, LoadU32(last + 8));
    EXPECT_EQ(std::memcmp(image->Data, "\x89PNG", 4), 0);

    EXPECT_FALSE(reader->FindResource(102, pe::RtGroupIcon));
    EXPECT_FALSE(reader->FindResource("NOSUCH", pe::RtGroupIcon));
    EXPECT_FALSE(reader->FindResource("#", pe::RtGroupIcon));
    EXPECT_FALSE(reader->FindResource(100, 999));
}

TEST(ModuleReader, NonModulesAreRefused) {
    EXPECT_EQ(ModuleReader::Open(PeFixture("missing.dll")), nullptr);
    EXPECT_EQ(ModuleReader::Open(PeFixture("icons32.rc")), nullptr);
    EXPECT_EQ(ModuleReader::Open(PeFixture("app.ico")), nullptr);
    EXPECT_EQ(ModuleReader::Open(PeFixture("")), nullptr); // a folder
    EXPECT_EQ(ModuleReader::FromMemory({}), nullptr);
}

TEST(ModuleReader, FifoIsRefusedWithoutWaiting) {
    const std::string fifo = testing::TempDir() + "pictavo-reader-fifo";
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ModuleReader::Open(fifo), nullptr);
    ::unlink(fifo.c_str());
}

// Another program may truncate a file while it is read: the bytes that are gone and not
// read yet make the resource absent, never a signal (reading a mapping past the new end
// raises SIGBUS).
TEST(ModuleReader, FileTruncatedWhileOpenLacksTheBytesInsteadOfCrashing) {
    const std::string copy = testing::TempDir() + "pictavo-truncated.dll";
    const std::vector<uint8_t> bytes = PeFixtureBytes("icons32.dll");
    WriteFileBytes(copy, bytes);
    const auto reader = ModuleReader::Open(copy);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(GroupNames(*reader, pe::RtGroupIcon).size(), 3u); // name table read and kept

    ASSERT_EQ(::truncate(copy.c_str(), 1024), 0);
    EXPECT_FALSE(reader->FindResource(100, pe::RtGroupIcon));
    // Bytes read before the cut serve as they were read; those not read yet are absent.
    int absent = 0;
    for (const std::string& name : GroupNames(*reader, pe::RtIcon)) {
        const std::optional<ResourceBytes> image = reader->FindResource(name, pe::RtIcon);
        absent += image ? 0 : 1;
        if (image) {
            EXPECT_TRUE(std::equal(image->Data, image->Data + image->Size,
                                   bytes.begin() + static_cast<ptrdiff_t>(image->FileOffset)));
        }
    }
    EXPECT_GT(absent, 0);

    // Restored in place, the same reader finds the bytes again.
    {
        FileStream file(copy, FileMode::OpenReadWrite);
        file.WriteBuffer(bytes.data(), bytes.size());
    }
    EXPECT_TRUE(reader->FindResource(100, pe::RtGroupIcon));
    ::unlink(copy.c_str());
}

TEST(ModuleReader, ModuleWithoutIconGroupsEnumeratesNothing) {
    const auto reader = ModuleReader::Open(PeFixture("noicons32.dll"));
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(GroupNames(*reader, pe::RtGroupIcon).empty());
    EXPECT_EQ(GroupNames(*reader, 6).size(), 1u); // its string table
}

} // namespace
} // namespace pictavo
