// Runs the built pictavo-cli and checks what `icons` and `version` print.

#include "tests/CliRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

using pictavo::testsupport::CliRun;

// The arguments split at spaces (the tests' paths have none).
CliRun RunCli(const std::string& arguments) {
    std::vector<std::string> args;
    size_t start = 0;
    for (size_t end; (end = arguments.find(' ', start)) != std::string::npos; start = end + 1)
        args.push_back(arguments.substr(start, end - start));
    args.push_back(arguments.substr(start));
    return pictavo::testsupport::RunCli(args);
}

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

} // namespace

TEST(IconsCommandTest, ModulePrintsOneBlockPerGroupInPositionOrder) {
    const CliRun run = RunCli("icons " + Fixture("pe/icons32.dll"));
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "icon 0: 2 images\n"
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
    EXPECT_EQ(icons.Status, 0);
    ASSERT_EQ(images.Status, 0);
    EXPECT_EQ(icons.Out.rfind("icon 0: ", 0), 0u) << icons.Out;
    EXPECT_EQ(icons.Out.substr(icons.Out.find('\n') + 1), images.Out);
}

TEST(IconsCommandTest, NeitherModuleNorIconFileFails) {
    for (const char* name : {"pe/icons32.rc", "pe/noicons32.dll", "pe/missing.dll"}) {
        const CliRun run = RunCli("icons " + Fixture(name));
        EXPECT_EQ(run.Status, 1) << name;
        EXPECT_EQ(run.Out, "") << name;
    }
}

// The fixture's last type (a named one) has one resource; its entry starts 174 bytes
// into the resource table. Its length made to run past the end of the file hides
// nothing else: the three icons are listed, the damaged entry is named on stderr.
TEST(IconsCommandTest, DamagedUnrelatedResourceHidesNoIcon) {
    std::ifstream in(Fixture("ne/icons16.dll"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto u16 = [&bytes](size_t at) {
        return static_cast<unsigned>(static_cast<uint8_t>(bytes[at])) |
               (static_cast<unsigned>(static_cast<uint8_t>(bytes[at + 1])) << 8);
    };
    const size_t entry = 64 + u16(64 + 0x24) + 174;
    bytes[entry + 2] = '\xFF';
    bytes[entry + 3] = '\x7F';
    char path[] = "/tmp/pictavo-damaged-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    const CliRun damaged = RunCli(std::string("icons ") + path);
    const CliRun intact = RunCli("icons " + Fixture("ne/icons16.dll"));
    ::unlink(path);
    EXPECT_EQ(damaged.Status, 0);
    EXPECT_EQ(damaged.Out, intact.Out);
    EXPECT_NE(damaged.Err.find("data past the end of the file"), std::string::npos) << damaged.Err;
}

TEST(IconsCommandTest, ModuleWithoutIconsSaysSo) {
    for (const char* name : {"pe/noicons32.dll", "ne/cursors16.dll"}) {
        const CliRun run = RunCli("icons " + Fixture(name));
        EXPECT_EQ(run.Status, 1) << name;
        EXPECT_NE(run.Err.find("the module holds no icons"), std::string::npos) << run.Err;
    }
}

TEST(IconsCommandTest, SixteenBitModuleListsAsThePEModuleWithTheSameIcons) {
    // ne/icons16.dll packs the .ico files of pe/icons32.dll in the same order.
    const CliRun ne = RunCli("icons " + Fixture("ne/icons16.dll"));
    const CliRun pe = RunCli("icons " + Fixture("pe/icons32.dll"));
    EXPECT_EQ(ne.Status, 0);
    EXPECT_EQ(ne.Out, pe.Out);
    const CliRun cursorsOnly = RunCli("icons " + Fixture("ne/cursors16.dll"));
    EXPECT_EQ(cursorsOnly.Status, 1);
    EXPECT_EQ(cursorsOnly.Out, "");
}

TEST(VersionCommandTest, PrintsTheFieldsOfAModule) {
    const CliRun run = RunCli("version " + Fixture("pe/icons32.dll"));
    EXPECT_EQ(run.Status, 0);
    for (const char* line : {"\nFileVersion: 1.2.3.4\n", "\nVersionText: 1.2.3.4\n",
                             "\nCompanyName: Vantrel\n", "\nBuild: 4\n", "\nPreRelease: false\n"})
        EXPECT_NE(run.Out.find(line), std::string::npos) << line;
}

TEST(VersionCommandTest, WithoutFilePrintsTheProgramsOwn) {
    const CliRun run = RunCli("version");
    EXPECT_EQ(run.Status, 0);
    for (const char* line : {"\nProductName: Pictavo\n", "\nVersionText: 4.2.0.0\n",
                             "\nMajorVersion: 4\n", "\nMinorVersion: 2\n"})
        EXPECT_NE(run.Out.find(line), std::string::npos) << line;
    EXPECT_EQ(RunCli("version " + Fixture("pe/noicons32.dll")).Status, 1);
}
