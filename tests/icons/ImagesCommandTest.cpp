// pictavo-cli images, run as the user runs it.

#include "IconTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace pictavo {
namespace {

struct CommandResult {
    std::string output; // stdout and stderr together
    int exitCode = -1;
};

CommandResult RunCli(const std::string& arguments) {
    const std::string command =
        std::string(PICTAVO_BIN_DIR) + "/pictavo-cli " + arguments + " 2>&1";
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        result.output += buffer;
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class ImagesCommand : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(PICTAVO_BIN_DIR) + "/pictavo-cli"))
            GTEST_SKIP() << "pictavo-cli is not built";
    }
};

TEST_F(ImagesCommand, ListsEveryImage) {
    const CommandResult result = RunCli("images " + test::IconFixture("png256.ico"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "[0] 256x256 - 32bit png\n[1] 16x16 - 4bit\n");
    EXPECT_EQ(RunCli("images " + test::IconFixture("cursor.cur")).output,
              "[0] 32x32 - 1bit\n[1] 16x16 - 8bit\n");
}

TEST_F(ImagesCommand, ReportsTheContainersErrorAndExitsWithOne) {
    const CommandResult result = RunCli("images " + test::IconFixture("short-palette.ico"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, "Invalid icon format\n");
}

} // namespace
} // namespace pictavo
