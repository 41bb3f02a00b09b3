// Runs the built pictavo-cli extract --theme: the icon by number or by resource ID, the
// files it writes, its exit codes, and a run killed half way.

#include "icons/PngCodec.h"
#include "library/IconTheme.h"
#include "tests/library/LibraryTestFiles.h"
#include "library/PrivateTempFolder.h"
#include "tests/CliRunner.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace pictavo {
namespace {

using testsupport::CliRun;
using testsupport::Lines;
using testsupport::RunCli;

class ExtractTheme : public testing::Test {
protected:
    std::string Theme() const { return work.Path() + "icons"; }
    std::vector<uint8_t> Png(int size, const std::string& name) const {
        return ReadFileBytes(ThemeIconPath(Theme(), size, name));
    }
    TPrivateTempFolder work;
};

TEST_F(ExtractTheme, IconByNumberAndByResourceIdAreTheSame) {
    // icons32.dll: APPICON, then groups 100 and 101 (big.ico: 32 pixels and a 256 PNG).
    const std::string dll = PeFixture("icons32.dll");
    const CliRun byIndex = RunCli({"extract", dll, "--theme", Theme(), "-i", "2", "--name", "a"});
    ASSERT_EQ(byIndex.Status, 0) << byIndex.Err;
    std::vector<std::string> expected;
    for (int size : HicolorSizes())
        expected.push_back(ThemeIconPath(Theme(), size, "a"));
    EXPECT_EQ(Lines(byIndex.Out), expected);

    for (const auto& [option, id, name] : std::vector<std::array<std::string, 3>>{
             {"--id", "101", "b"}, {"-i", "-101", "c"}, {"--id", "#101", "d"}}) {
        const CliRun run = RunCli({"extract", dll, "--theme", Theme(), option, id, "--name", name});
        ASSERT_EQ(run.Status, 0) << option << " " << id << ": " << run.Err;
        for (int size : HicolorSizes())
            EXPECT_EQ(Png(size, name), Png(size, "a")) << option << " " << id << " at " << size;
    }

    // By default icon 0, the one Windows shows; a group's text name in any case.
    ASSERT_EQ(RunCli({"extract", dll, "--theme", Theme(), "--id", "appIcon", "--name", "e"}).Status,
              0);
    const CliRun first = RunCli({"extract", dll, "--theme", Theme()});
    ASSERT_EQ(first.Status, 0) << first.Err;
    EXPECT_EQ(Lines(first.Out).size(), 4u); // app.ico's largest image is 32 pixels
    for (int size : {16, 22, 24, 32})
        EXPECT_EQ(Png(size, "icons32"), Png(size, "e")) << size;
}

TEST_F(ExtractTheme, ExactImagesComeOutAsExtractPngWritesThem) {
    const std::string dll = PeFixture("icons32.dll");
    ASSERT_EQ(RunCli({"extract", dll, "--theme", Theme(), "--id", "101"}).Status, 0);
    ASSERT_EQ(RunCli({"extract", dll, "--png", "-i", "2", "-o", work.Path()}).Status, 0);
    EXPECT_EQ(Png(32, "icons32"), ReadFileBytes(work.Path() + "icons32_2_32x32_32bit.png"));
    EXPECT_EQ(Png(256, "icons32"), ReadFileBytes(work.Path() + "icons32_2_256x256_32bit.png"));
}

TEST_F(ExtractTheme, ExitCodes) {
    const std::string dll = PeFixture("icons32.dll");
    const std::vector<std::string> before = FolderEntries(work.Path());
    struct Case {
        std::vector<std::string> Args;
        int Status;
    };
    const std::vector<Case> cases = {
        {{"extract", PeFixture("noicons32.dll"), "--theme", Theme()}, 3},
        {{"extract", PeFixture("tiny.bmp"), "--theme", Theme()}, 3},
        {{"extract", work.Path() + "missing.exe", "--theme", Theme()}, 1},
        {{"extract", dll, "--theme", Theme(), "--id", "999"}, 1},
        {{"extract", dll, "--theme", Theme(), "-i", "3"}, 1},
        {{"extract", IconFixture("bitmaps.ico"), "--theme", Theme(), "--id", "1"}, 1},
        {{"extract", dll, "--theme", Theme(), "--name", "a/b"}, 2},
        {{"extract", dll, "--name", "a"}, 2},
        {{"extract", dll, "--theme", ""}, 2},
        {{"extract", dll, "-i", "-101"}, 2},
        {{"extract", dll, "--theme", Theme(), "-o", work.Path()}, 2},
        {{"extract", dll, "--theme", Theme(), "-i", "1", "--id", "101"}, 2},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.Args);
        EXPECT_EQ(run.Status, c.Status) << c.Args[1] << " " << c.Args.back() << ": " << run.Err;
        EXPECT_TRUE(run.Out.empty()) << run.Out;
    }
    EXPECT_EQ(FolderEntries(work.Path()), before); // nothing written, no folder made
}

// Starts pictavo-cli with its output thrown away; returns its process id.
pid_t StartCli(const std::vector<std::string>& args) {
    std::vector<std::string> all = {std::string(PICTAVO_BIN_DIR) + "/pictavo-cli"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST_F(ExtractTheme, KilledRunLeavesNoPartialPng) {
    const std::vector<std::string> args = {"extract", IconFixture("png-only.ico"), "--theme",
                                           Theme()};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunCli(args).Status, 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    // Killed at moments spread over a whole run, each PNG under the theme is complete.
    constexpr int Runs = 12;
    for (int k = 0; k < Runs; ++k) {
        const pid_t pid = StartCli(args);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(whole * k / Runs);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        for (int size : HicolorSizes()) {
            const std::string folder = Theme() + "/hicolor/" + std::to_string(size) + "x" +
                                       std::to_string(size) + "/apps/";
            for (const std::string& name : FolderEntries(folder)) {
                if (name.size() < 4 || name.compare(name.size() - 4, 4, ".png") != 0)
                    continue; // a writer's temporary file, which no icon lookup takes
                const std::vector<uint8_t> bytes = ReadFileBytes(folder + name);
                TPngImage png;
                ASSERT_NO_THROW(png.LoadFromBytes(bytes.data(), bytes.size()))
                    << folder + name << " after a kill at " << k;
                EXPECT_EQ(png.Width(), size);
            }
        }
    }
}

} // namespace
} // namespace pictavo
