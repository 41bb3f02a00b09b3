#include "util/Stream.h"
#include "platform/CodePage.h"
#include "util/DateTime.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pictavo {

TEST(StreamTest, LittleEndianFieldsRoundTrip) {
    MemoryStream stream;
    stream.WriteU16(0x1234);
    stream.WriteU32(0xA1B2C3D4);
    stream.WriteU8(7);
    ASSERT_EQ(stream.Size(), 7);
    EXPECT_EQ(stream.Bytes()[0], 0x34);
    EXPECT_EQ(stream.Bytes()[2], 0xD4);
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadU16(), 0x1234);
    EXPECT_EQ(stream.ReadU32(), 0xA1B2C3D4u);
    EXPECT_EQ(stream.ReadU8(), 7);
    EXPECT_THROW(stream.ReadU8(), EReadError);
}

TEST(StreamTest, ShortReadRaisesAndSeekBeforeStartIsRefused) {
    const uint8_t bytes[3] = {1, 2, 3};
    ByteViewStream view(bytes, sizeof bytes);
    uint8_t buffer[4];
    EXPECT_THROW(view.ReadBuffer(buffer, 4), EReadError);
    EXPECT_THROW(view.Seek(-1, SeekOrigin::Begin), EStreamError);
    EXPECT_THROW(view.WriteU8(1), EWriteError);
}

TEST(StreamTest, CopyFromZeroCopiesTheWholeSource) {
    MemoryStream source(std::vector<uint8_t>{1, 2, 3, 4});
    source.SetPosition(3);
    MemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 4);
    EXPECT_EQ(target.Bytes(), source.Bytes());
}

TEST(StreamTest, FileStreamWritesReadsAndReportsMissingFiles) {
    const auto path = std::filesystem::temp_directory_path() / "pictavo-stream-test.bin";
    WriteFileBytes(path, {9, 8, 7});
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{9, 8, 7}));
    std::filesystem::remove(path);
    try {
        FileStream missing(path, FileMode::OpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot open file"), std::string::npos);
    }
}

// Readers take regular files only; a FIFO would wait for a writer, a device be read.
TEST(StreamTest, FileStreamReadsRegularFilesOnly) {
    const std::string fifo = std::filesystem::temp_directory_path() / "pictavo-stream-fifo";
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {fifo, "Not a regular file"},
        {"/dev/null", "Not a regular file"},
        {std::filesystem::temp_directory_path(), "Is a directory"},
    };
    for (const auto& c : cases) {
        for (FileMode mode : {FileMode::OpenRead, FileMode::OpenReadWrite}) {
            try {
                FileStream stream(c.path, mode);
                ADD_FAILURE() << "opened " << c.path;
            } catch (const EFOpenError& error) {
                EXPECT_EQ(error.Message(),
                          "Cannot open file \"" + c.path + "\". " + std::string(c.reason));
            }
        }
    }
    std::filesystem::remove(fifo);
}

TEST(FileErrorTextTest, PutsTheFileFirstUnlessTheMessageNamesIt) {
    EXPECT_EQ(FileErrorText("a.dll", "Invalid DOS signature"), "a.dll: Invalid DOS signature");
    EXPECT_EQ(FileErrorText("图标.ico", "图像无效"), "图标.ico: 图像无效");
    EXPECT_EQ(FileErrorText("a.dll", "Cannot open file \"a.dll\". Not a regular file"),
              "Cannot open file \"a.dll\". Not a regular file");
    EXPECT_EQ(FileErrorText("a.dll", "a.dll: no icons"), "a.dll: no icons");
    EXPECT_EQ(FileErrorText("", "Stream read error"), "Stream read error");
}

TEST(CodePageTest, Utf8AndUtf16RoundTripAndRepairBadInput) {
    const std::string text = "图标 icon \xF0\x9F\x98\x80";
    const std::u16string wide = platform::Utf8ToUtf16(text);
    EXPECT_EQ(wide.size(), 2u + 6u + 2u);
    EXPECT_EQ(platform::Utf16ToUtf8(wide), text);
    EXPECT_EQ(platform::Utf8ToUtf16("a\xFF"), u"a\uFFFD");
    EXPECT_EQ(platform::Utf8ToUtf16("\xE5\x9B"), u"\uFFFD\uFFFD");
}

TEST(CodePageTest, LanguageTable) {
    EXPECT_EQ(platform::CodePageOfLanguage(0x0409), 1252u);
    EXPECT_EQ(platform::CodePageOfLanguage(0x0405), 1250u);
    EXPECT_EQ(platform::CodePageOfLanguage(0x0804), 936u);
    EXPECT_EQ(platform::CodePageOfLanguage(0x0411), 932u);
    EXPECT_EQ(platform::CodePageOfLanguage(0x0419), 1251u);
}

TEST(DateTimeTest, EncodesAndDecodesCalendarDates) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDate(1970, 1, 1), UnixEpochDays);
    const TDateTime value = EncodeDate(2026, 12, 10) + EncodeTime(5, 33, 25, 0);
    EXPECT_EQ(FormatDateTimeIso(value), "2026-12-10 05:33:25");
    const DateTimeParts parts = DecodeDateTime(EncodeDate(2000, 2, 29));
    EXPECT_EQ(parts.month, 2);
    EXPECT_EQ(parts.day, 29);
}

} // namespace pictavo
