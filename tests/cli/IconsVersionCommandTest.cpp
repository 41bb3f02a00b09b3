// Runs the built pictavo-cli and checks what `icons` and `version` print.

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    std::string output; // stdout only
    int status = -1;
};

CliRun RunCli(const std::string& arguments) {
    const std::string command =
        std::string(PICTAVO_BIN_DIR) + "/pictavo-cli " + arguments + " 2>/dev/null";
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    size_t got = 0;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

} // namespace

TEST(IconsCommandTest, ModulePrintsOneBlockPerGroupInPositionOrder) {
    const CliRun run = RunCli("icons " + Fixture("pe/icons32.dll"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "icon 0: 2 images\n"
                          "[0] 16x16 - 4bit\n"
                          "[1] 32x32 - 32bit\n"
                          "icon 1: 2 images\n"
                          "[0] 32x32 - 8bit\n"
                          "[1] 16x16 - 32bit\n"
                          "icon 2: 2 images\n"
                          "[0] 32x32 - 32bit\n"
                          "[1] 256x256 - 32bit png\n");
}

TEST(IconsCommandTest, IconFileIsOneBlockWithTheImagesLines) {
    const CliRun icons = RunCli("icons " + Fixture("icons/png256.ico"));
    const CliRun images = RunCli("images " + Fixture("icons/png256.ico"));
    EXPECT_EQ(icons.status, 0);
    ASSERT_EQ(images.status, 0);
    EXPECT_EQ(icons.output.rfind("icon 0: ", 0), 0u) << icons.output;
    EXPECT_EQ(icons.output.substr(icons.output.find('\n') + 1), images.output);
}

TEST(IconsCommandTest, NeitherModuleNorIconFileFails) {
    for (const char* name : {"pe/icons32.rc", "pe/noicons32.dll", "pe/missing.dll"}) {
        const CliRun run = RunCli("icons " + Fixture(name));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.output, "") << name;
    }
}

TEST(VersionCommandTest, PrintsTheFieldsOfAModule) {
    const CliRun run = RunCli("version " + Fixture("pe/icons32.dll"));
    EXPECT_EQ(run.status, 0);
    for (const char* line : {"\nFileVersion: 1.2.3.4\n", "\nVersionText: 1.2.3.4\n",
                             "\nCompanyName: Vantrel\n", "\nBuild: 4\n", "\nPreRelease: false\n"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line;
}

TEST(VersionCommandTest, WithoutFilePrintsTheProgramsOwn) {
    const CliRun run = RunCli("version");
    EXPECT_EQ(run.status, 0);
    for (const char* line : {"\nProductName: Pictavo\n", "\nVersionText: 4.2.0.0\n",
                             "\nMajorVersion: 4\n", "\nMinorVersion: 2\n"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line;
    EXPECT_EQ(RunCli("version " + Fixture("pe/noicons32.dll")).status, 1);
}
