// pictavo-cli cursor-theme, run as a user runs it; the theme is read back by libXcursor.

#include "../CliRunner.h"
#include "cursors/AnimatedCursor.h"
#include "cursors/CursorRoles.h"
#include "cursors/CursorScheme.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include "XcursorTestSupport.h"

namespace pictavo {
namespace {

using namespace xcursortest;
using testsupport::RunCli;

const std::string Pack = std::string(PICTAVO_FIXTURES) + "/cursors/pack";

TEST(CursorThemeCommand, EveryRoleOfThePackLoadsByEachName) {
    const auto run =
        RunCli({"cursor-theme", Pack, "-o", ThemeRoot(), "--name", "FromCli", "--sizes", "32,40"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, ThemeRoot() + "/FromCli\n");
    const TCursorScheme scheme = ReadCursorScheme(Pack);
    const auto& roles = CursorRoles();
    int checked = 0;
    for (size_t r = 0; r < roles.size(); ++r) {
        if (scheme.RoleFiles[r].empty())
            continue;
        const size_t steps = LoadCursorAnimation(scheme.RoleFiles[r]).Steps.size();
        std::vector<std::string> names = {roles[r].ThemeName};
        names.insert(names.end(), roles[r].Aliases.begin(), roles[r].Aliases.end());
        for (const std::string& name : names) {
            const Loaded images = Load(name, "FromCli", 40);
            ASSERT_TRUE(images) << name;
            EXPECT_EQ(images->nimage, static_cast<int>(steps)) << name;
            EXPECT_EQ(images->images[0]->size, 40u) << name;
            ++checked;
        }
    }
    EXPECT_GE(checked, 6 * 2); // six roles, each by two names or more
}

TEST(CursorThemeCommand, FolderWithoutInfNamesWhatMatchedNoRole) {
    const std::string source = ThemeRoot() + "/source-folder";
    fs::create_directories(source);
    fs::copy_file(Pack + "/Busy.ani", source + "/04 Busy.ani");
    fs::copy_file(Pack + "/Link Select.cur", source + "/Sparkle.cur");
    const auto run = RunCli({"cursor-theme", source, "-o", ThemeRoot(), "--name", "Named"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Err.find("Sparkle.cur: matched no cursor role"), std::string::npos) << run.Err;
    const Loaded images = Load("watch", "Named", 24);
    ASSERT_TRUE(images);
    EXPECT_EQ(images->nimage, 5);
    EXPECT_FALSE(Load("pointer", "Named", 24));
}

TEST(CursorThemeCommand, BadUsageAndFailures) {
    const std::string out = ThemeRoot() + "/usage";
    const std::vector<std::vector<std::string>> usage = {
        {"cursor-theme", Pack, "--name", "X"},
        {"cursor-theme", Pack, "-o", out},
        {"cursor-theme", "-o", out, "--name", "X"},
        {"cursor-theme", Pack, "-o", out, "--name", "a/b"},
        {"cursor-theme", Pack, "-o", out, "--name", "X", "--sizes", "32,0"},
        {"cursor-theme", Pack, "-o", out, "--name", "X", "--sizes", "32,,48"},
        {"cursor-theme", Pack, "-o", out, "--name", "X", "--sizes", "9999"},
        {"cursor-theme", Pack, "-o", out, "--name", "X", "--bogus"},
    };
    for (const auto& args : usage)
        EXPECT_EQ(RunCli(args).Status, 2) << args.back();

    const std::string broken = ThemeRoot() + "/broken-pack";
    fs::copy(Pack, broken);
    WriteFileBytes(broken + "/Busy.ani", {'R', 'I', 'F', 'F', 9, 0, 0, 0, 'A', 'C', 'O', 'N'});
    const auto run = RunCli({"cursor-theme", broken + "/install.inf", "-o", out, "--name", "X"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Cursor Wait"), std::string::npos) << run.Err;
    EXPECT_TRUE(fs::is_empty(out));
}

} // namespace
} // namespace pictavo
