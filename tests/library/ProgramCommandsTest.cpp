// The commands that write into Windows programs and 64-bit libraries, run as a user
// runs them: set-icon, version --set, and build --update / remove on a PE32+ library.

#include "icons/ModuleIcons.h"
#include "library/PrivateTempFolder.h"
#include "peres/PEResourceModule.h"
#include "tests/CliRunner.h"
#include "tests/library/ProgramChecks.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using testsupport::CliRun;

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

class ProgramCommands : public testing::Test {
protected:
    std::string Copy(const std::string& fixture, const std::string& name) {
        const std::string target = work.Path() + name;
        WriteFileBytes(target, ReadFileBytes(Fixture(fixture)));
        return target;
    }
    CliRun Run(const std::vector<std::string>& args) { return testsupport::RunCli(args); }

    TPrivateTempFolder work;
};

TEST_F(ProgramCommands, SetIconReplacesTheFirstGroupAndKeepsABackup) {
    const std::string program = Copy("program/prog64s.exe", "game.exe");
    const std::vector<uint8_t> original = ReadFileBytes(program);
    const CliRun run = Run({"set-icon", program, Fixture("pe/big.ico")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, program + ": icon group 1 replaced (images: 2); the previous file is " +
                           work.Path() + "game.~exe\n");
    EXPECT_EQ(ReadFileBytes(work.Path() + "game.~exe"), original);
    test::ExpectTheRestKept(original, ReadFileBytes(program));

    // An icon of a module, by number; a group by number.
    EXPECT_EQ(Run({"set-icon", program, Fixture("pe/icons32.dll") + ":1", "-i", "1"}).Status, 0);
    EXPECT_EQ(GetModuleIconCount(program), 2);
}

TEST_F(ProgramCommands, SetIconRefusals) {
    const std::string program = Copy("program/signed64.exe", "signed.exe");
    const std::vector<uint8_t> original = ReadFileBytes(program);
    CliRun run = Run({"set-icon", program, Fixture("pe/big.ico")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("--strip-signature"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFileBytes(program), original);
    EXPECT_EQ(Run({"set-icon", program, Fixture("pe/big.ico"), "--strip-signature"}).Status, 0);

    EXPECT_EQ(Run({"set-icon", program}).Status, 2);
    EXPECT_EQ(Run({"set-icon", program, Fixture("pe/big.ico"), "--id", "1", "-i", "0"}).Status, 2);
    EXPECT_EQ(Run({"set-icon", program, Fixture("pe/big.ico"), "-i", "x"}).Status, 2);
    EXPECT_EQ(Run({"set-icon", Fixture("pe/big.ico"), Fixture("pe/big.ico")}).Status, 1);
}

TEST_F(ProgramCommands, VersionSetTakesPairsAndNumbers) {
    const std::string program = Copy("program/prog32.exe", "tool.exe");
    CliRun run = Run({"version", "--set", "ProductName=Tool", "--set", "Comments=a=b",
                      "--file-version", "3.1.4.1", program});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, program + ": version information changed (string tables: 2); the "
                                 "previous file is " + work.Path() + "tool.~exe\n");
    run = Run({"version", program});
    EXPECT_NE(run.Out.find("ProductName: Tool\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("Comments: a=b\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("VersionText: 3.1.4.1\n"), std::string::npos) << run.Out;

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"version", "--set", program},
          {"version", "--set", "NoEquals", program},
          {"version", "--file-version", "1.2.3.4.5", program},
          {"version", "--set", "A=B", "--json", program}})
        EXPECT_EQ(Run(bad).Status, 2) << bad.back();
}

// A 64-bit library is updated and shrunk as a 32-bit one is, and stays 64-bit.
TEST_F(ProgramCommands, BuildUpdateAndRemoveOnAPe32PlusLibrary) {
    const std::string library = Copy("pe/icons64.dll", "lib64.dll");
    const std::vector<uint8_t> original = ReadFileBytes(library);
    CliRun run = Run({"build", library, "--update", Fixture("pe/one.ico")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(GetModuleIconCount(library), 3);
    test::ExpectTheRestKept(original, ReadFileBytes(library));
    run = Run({"remove", library, "0"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(GetModuleIconCount(library), 2);
    TPEResourceModule module;
    module.ReadFromFile(library);
    EXPECT_TRUE(module.IsPe32Plus());
}

} // namespace
} // namespace pictavo
