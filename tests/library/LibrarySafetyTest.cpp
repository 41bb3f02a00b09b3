// A user's files are never lost or broken by the commands that write them: backups in
// folders with dots, links at output names, full disks, interrupted and concurrent
// writers. The commands run as the built pictavo-cli.

#include "icons/ModuleIcons.h"
#include "library/LibraryLock.h"
#include "library/PrivateTempFolder.h"
#include "tests/CliRunner.h"
#include "util/Stream.h"
#include "util/TempFileCleanup.h"

#include "LibraryTestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pictavo {
namespace {

using testsupport::RunCli;

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

bool IsLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Starts pictavo-cli with its output discarded; prepare runs in the child first.
pid_t SpawnCli(const std::vector<std::string>& args, const std::function<void()>& prepare = {}) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    if (prepare)
        prepare();
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const std::string program = std::string(PICTAVO_BIN_DIR) + "/pictavo-cli";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// The exit code, or 128 + the signal that ended the process.
int WaitFor(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class LibrarySafety : public testing::Test {
protected:
    void TearDown() override { ::system(("rm -rf " + testsupport::ShellQuoted(dir)).c_str()); }

    TPrivateTempFolder work;
    std::string dir = work.Path() + "t/";
    const std::string ico = Fixture("pe/one.ico");
    const std::string dll = Fixture("pe/icons32.dll"); // 3 icons

    void SetUp() override { ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0); }
};

// The backup name once came from the last dot of the whole path: a folder that does
// not exist, so no backup was kept.
TEST_F(LibrarySafety, UpdatingALibraryInAFolderWithADotKeepsTheBackup) {
    ASSERT_EQ(::mkdir((dir + "my.libs").c_str(), 0755), 0);
    const std::string library = dir + "my.libs/iconlib";
    ASSERT_EQ(RunCli({"build", library, ico}).Status, 0);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    const auto run = RunCli({"build", library, "--update", dll});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(GetModuleIconCount(library), 4);
    EXPECT_EQ(ReadFileBytes(dir + "my.libs/iconlib.~"), before);
    EXPECT_EQ(FolderEntries(dir + "my.libs"), (std::vector<std::string>{"iconlib", "iconlib.~"}));
}

TEST_F(LibrarySafety, ExtractReplacesALinkAtTheOutputNameAndLeavesItsTargetAlone) {
    const std::string victim = dir + "victim.txt";
    WriteFileBytes(victim, {'k', 'e', 'e', 'p'});
    ASSERT_EQ(::mkdir((dir + "out").c_str(), 0755), 0);
    ASSERT_EQ(::symlink(victim.c_str(), (dir + "out/icons32_0.ico").c_str()), 0);
    const auto run = RunCli({"extract", dll, "-i", "0", "-o", dir + "out"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(IsLink(dir + "out/icons32_0.ico"));
    EXPECT_GT(ReadFileBytes(dir + "out/icons32_0.ico").size(), 22u);
}

// A full disk, made here with the file-size limit: the write fails part way.
TEST_F(LibrarySafety, ExtractOnAFullDiskLeavesNoTruncatedIconAndKeepsTheOldOne) {
    ASSERT_EQ(::mkdir((dir + "out").c_str(), 0755), 0);
    const std::string target = dir + "out/icons32_0.ico";
    WriteFileBytes(target, {'o', 'l', 'd'});
    const pid_t pid = SpawnCli({"extract", dll, "-i", "0", "-o", dir + "out"}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit small = {64, 64};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    EXPECT_EQ(WaitFor(pid), 1);
    EXPECT_EQ(ReadFileBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(FolderEntries(dir + "out"), std::vector<std::string>{"icons32_0.ico"});
}

TEST_F(LibrarySafety, ALibraryPathThatIsALinkUpdatesTheFileItPointsTo) {
    ASSERT_EQ(::mkdir((dir + "real").c_str(), 0755), 0);
    ASSERT_EQ(RunCli({"build", dir + "real/lib.icl", ico}).Status, 0);
    const std::vector<uint8_t> before = ReadFileBytes(dir + "real/lib.icl");
    ASSERT_EQ(::symlink("real/lib.icl", (dir + "link.icl").c_str()), 0);

    auto run = RunCli({"build", dir + "link.icl", "--update", dll});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(IsLink(dir + "link.icl"));
    EXPECT_EQ(GetModuleIconCount(dir + "real/lib.icl"), 4);
    EXPECT_EQ(ReadFileBytes(dir + "real/lib.~icl"), before);

    run = RunCli({"remove", dir + "link.icl", "0"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(IsLink(dir + "link.icl"));
    EXPECT_EQ(GetModuleIconCount(dir + "real/lib.icl"), 3);
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"link.icl", "real"}));
}

TEST_F(LibrarySafety, WritersOfOneLibraryAtOnceLoseNoIcons) {
    const std::string library = dir + "lib.icl";
    ASSERT_EQ(RunCli({"build", library, ico}).Status, 0);
    constexpr int Writers = 4;
    std::vector<pid_t> pids;
    for (int i = 0; i < Writers; ++i)
        pids.push_back(SpawnCli({"build", library, "--update", dll}));
    for (pid_t pid : pids)
        EXPECT_EQ(WaitFor(pid), 0);
    EXPECT_EQ(GetModuleIconCount(library), 1 + 3 * Writers);
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"lib.icl", "lib.~icl"}));
}

// The build waits for the lock that this test holds, with its temporary folder made;
// a SIGTERM then must remove that folder and leave the library as it was.
TEST_F(LibrarySafety, ATerminatedBuildLeavesNoTemporaryFilesAndTheLibraryAsItWas) {
    const std::string library = dir + "lib.icl";
    ASSERT_EQ(RunCli({"build", library, ico}).Status, 0);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    const std::string tmp = dir + "tmp/";
    ASSERT_EQ(::mkdir(tmp.c_str(), 0755), 0);

    auto lock = std::make_unique<TLibraryLock>(library);
    const pid_t pid =
        SpawnCli({"build", library, "--update", dll}, [&] { ::setenv("TMPDIR", tmp.c_str(), 1); });
    for (int i = 0; i < 1000 && FolderEntries(tmp).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(FolderEntries(tmp).size(), 1u);
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitFor(pid), 128 + SIGTERM);
    lock.reset();
    EXPECT_TRUE(FolderEntries(tmp).empty());
    EXPECT_EQ(ReadFileBytes(library), before);
    EXPECT_EQ(FolderEntries(dir), (std::vector<std::string>{"lib.icl", "tmp"}));
}

// A second holder waits until the first lets go, and is told once that it waits; the
// lock file goes with the last one. The second process is forked before the first lock
// exists, so it shares nothing of it.
TEST_F(LibrarySafety, TheLibraryLockMakesASecondHolderWait) {
    const std::string library = dir + "lib.icl";
    const std::string marker = dir + "second-had-it";
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        char byte;
        if (::read(go[0], &byte, 1) == 1) {
            TLibraryLock second(library, [&](const std::string& lockFile) {
                WriteFileBytes(dir + "second-waited-for-" + lockFile.substr(dir.size()), {});
            });
            WriteFileBytes(marker, {});
        }
        ::_exit(0);
    }
    bool firstWaited = false;
    auto first =
        std::make_unique<TLibraryLock>(library, [&](const std::string&) { firstWaited = true; });
    EXPECT_FALSE(firstWaited);
    ASSERT_EQ(::write(go[1], "x", 1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(::access(marker.c_str(), F_OK), -1);
    first.reset();
    EXPECT_EQ(WaitFor(pid), 0);
    ::close(go[0]);
    ::close(go[1]);
    EXPECT_EQ(FolderEntries(dir),
              (std::vector<std::string>{"second-had-it", "second-waited-for-lib.icl.lock"}));
}

// A wait that is asked whether to go on ends with what that question raises (a cancel, a
// time limit), and leaves the holder's lock as it was; it takes the lock once the holder
// lets go.
TEST_F(LibrarySafety, AWaitForTheLibraryLockEndsWhenItsCheckRaises) {
    const std::string library = dir + "lib.icl";
    auto first = std::make_unique<TLibraryLock>(library);
    int asked = 0;
    std::string told;
    const auto waitGivingUpAtThird = [&] {
        TLibraryLock second(
            library, [&](const std::string& lockFile) { told = lockFile; },
            [&] {
                if (++asked == 3)
                    throw Exception("given up");
            });
    };
    EXPECT_THROW(waitGivingUpAtThird(), Exception);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(told, library + ".lock");
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"lib.icl.lock"});
    int polls = 0;
    {
        TLibraryLock second(library, {}, [&] {
            if (++polls == 2)
                first.reset(); // the holder lets go while the second waits
        });
        EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"lib.icl.lock"});
    }
    EXPECT_EQ(polls, 2);
    EXPECT_TRUE(FolderEntries(dir).empty());
}

// The command line's wait has a limit when asked: --wait SECONDS gives up with an error
// and leaves the library as it was.
TEST_F(LibrarySafety, TheCommandLineGivesUpWaitingAfterWaitSeconds) {
    const std::string library = dir + "lib.icl";
    ASSERT_EQ(RunCli({"build", library, ico}).Status, 0);
    const std::vector<uint8_t> before = ReadFileBytes(library);
    const TLibraryLock other(library);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"build", library, "--update", "--wait", "1", dll},
          std::vector<std::string>{"remove", "--wait", "0", library, "0"}}) {
        const auto start = std::chrono::steady_clock::now();
        const testsupport::CliRun run = RunCli(args);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << args[0];
        EXPECT_EQ(run.Status, 1) << args[0];
        EXPECT_NE(run.Err.find("waiting: another build or removal holds " + library + ".lock"),
                  std::string::npos)
            << run.Err;
        EXPECT_NE(run.Err.find("gave up waiting after " + args[args[0] == "build" ? 4 : 2] +
                               " seconds"),
                  std::string::npos)
            << run.Err;
        EXPECT_EQ(ReadFileBytes(library), before);
    }
    EXPECT_EQ(RunCli({"remove", "--wait", "x", library, "0"}).Status, 2);
}

// A TMPDIR that names no folder: the build uses /tmp, as the C library does, and says so.
TEST_F(LibrarySafety, ABuildWithAMissingTmpdirFallsBackToTmp) {
    const std::string missing = dir + "no-such-folder";
    const testsupport::CliRun run = [&] {
        const TempFolderOverride setting(missing);
        return RunCli({"build", dir + "lib.icl", ico});
    }();
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "1\n");
    EXPECT_EQ(run.Err, "pictavo-cli: TMPDIR \"" + missing +
                           "\" cannot be used (No such file or directory): temporary files go "
                           "to /tmp\n");
}

TEST_F(LibrarySafety, AHolderEndedBySigtermLeavesNoLockFile) {
    const std::string library = dir + "lib.icl";
    const std::string held = dir + "held";
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        InstallTempFileCleanupOnSignals();
        TLibraryLock lock(library);
        WriteFileBytes(held, {});
        for (;;)
            ::pause();
    }
    for (int i = 0; i < 1000 && ::access(held.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(FolderEntries(dir), (std::vector<std::string>{"held", "lib.icl.lock"}));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitFor(pid), 128 + SIGTERM);
    EXPECT_EQ(FolderEntries(dir), std::vector<std::string>{"held"});
}

TEST(LibraryFileName, FollowsLinksAlsoToAFileNotYetThere) {
    TPrivateTempFolder folder;
    const std::string link = folder.Path() + "link.icl";
    ASSERT_EQ(::symlink("sub/lib.icl", link.c_str()), 0);
    EXPECT_EQ(LibraryFileName(link), folder.Path() + "sub/lib.icl");
    EXPECT_EQ(LibraryFileName(folder.Path() + "plain.icl"), folder.Path() + "plain.icl");
}

} // namespace
} // namespace pictavo
