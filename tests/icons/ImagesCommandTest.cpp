// pictavo-cli images, run as the user runs it.

#include "IconTestSupport.h"
#include "tests/CliRunner.h"
#include "tests/CraftedFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pictavo {
namespace {

using testsupport::RunCli;

class ImagesCommand : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(PICTAVO_BIN_DIR) + "/pictavo-cli"))
            GTEST_SKIP() << "pictavo-cli is not built";
    }
};

TEST_F(ImagesCommand, ListsEveryImage) {
    const testsupport::CliRun result = RunCli({"images", test::IconFixture("png256.ico")});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, "[0] 256x256 - 32bit png\n[1] 16x16 - 4bit\n");
    EXPECT_EQ(RunCli({"images", test::IconFixture("cursor.cur")}).Out,
              "[0] 32x32 - 1bit\n[1] 16x16 - 8bit\n");
}

// An RGBA picture whose entry says 8 bits is listed at its own 32, as its size is.
TEST_F(ImagesCommand, PngImageShowsThePicturesOwnDepth) {
    const std::string file = testing::TempDir() + "rgba-listed-as-8-bits.ico";
    WriteFileBytes(file,
                   crafted::IconFileOfPngs({test::FixtureBytes("png-rgba-interlaced.png")}, 8));
    const testsupport::CliRun result = RunCli({"images", file});
    std::filesystem::remove(file);
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, "[0] 5x3 - 32bit png\n");
}

TEST_F(ImagesCommand, ReportsTheContainersErrorAfterTheFileNameAndExitsWithOne) {
    const std::string file = test::IconFixture("short-palette.ico");
    const testsupport::CliRun result = RunCli({"images", file});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "pictavo-cli: " + file + ": Invalid icon format\n");
}

} // namespace
} // namespace pictavo
