// A run killed by SIGKILL cannot remove its private temporary folder; the next run does.

#include "library/PrivateTempFolder.h"
#include "util/AtomicFile.h"
#include "util/Stream.h"
#include "util/TempFolder.h"

#include "LibraryTestFiles.h"
#include "tests/ChildLine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pictavo {
namespace {

// A file three folders down, as an icon theme written into the folder leaves one.
void WriteNestedFile(const std::string& folder) {
    std::string path = folder;
    for (const char* name : {"icons", "hicolor", "apps"}) {
        path += std::string(name) + "/";
        ::mkdir(path.c_str(), 0700);
    }
    MemoryStream(std::vector<uint8_t>{1}).SaveToFile(path + "a.png");
}

// The private folder of a child process that is then killed with SIGKILL.
std::string FolderOfAKilledRun() {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        TPrivateTempFolder folder;
        MemoryStream(std::vector<uint8_t>{1, 2, 3}).SaveToFile(folder.File("temp.ico"));
        WriteNestedFile(folder.Path());
        const std::string line = folder.Path() + "\n";
        if (::write(pipeEnds[1], line.data(), line.size()) < 0)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    const std::string path = test::ReadLineAndClose(pipeEnds[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return path;
}

TEST(PrivateTempFolder, NextRunRemovesTheFolderOfAKilledRun) {
    // A temporary folder of this test's own: another test's run (ctest runs two at once)
    // would otherwise remove the killed run's folder while it is looked at.
    TPrivateTempFolder parent;
    const TempFolderOverride setting(parent.Path());
    const std::string killed = FolderOfAKilledRun();
    ASSERT_FALSE(killed.empty());
    ASSERT_TRUE(Exists(killed + "temp.ico"));
    ASSERT_TRUE(Exists(killed + "icons/hicolor/apps/a.png"));
    const std::string name = killed.substr(killed.rfind('/', killed.size() - 2) + 1);
    EXPECT_EQ(name.rfind("pictavo-", 0), 0u) << name;

    TPrivateTempFolder living; // a folder of a run that is still going
    MemoryStream(std::vector<uint8_t>{1}).SaveToFile(living.File("kept.ico"));
    {
        TPrivateTempFolder next;
        EXPECT_FALSE(Exists(killed));
        EXPECT_TRUE(Exists(living.Path() + "kept.ico"));
    }
    EXPECT_TRUE(Exists(living.Path() + "kept.ico"));
}

TEST(PrivateTempFolder, GoesWithTheFoldersItHolds) {
    std::string path;
    {
        TPrivateTempFolder folder;
        path = folder.Path();
        WriteNestedFile(path);
        ASSERT_TRUE(Exists(path + "icons/hicolor/apps/a.png"));
    }
    EXPECT_FALSE(Exists(path));
}

// Only folders that are plainly ours are touched: an older run's "pictavo-XXXXXX",
// another program's folder, and a user's own folder that happens to look like ours
// ("pictavo-2024-export", no marker inside) stay with their files.
TEST(PrivateTempFolder, FoldersOfUnknownOwnersStay) {
    TPrivateTempFolder parent; // the temporary folder of this test
    const TempFolderOverride setting(parent.Path());
    const std::vector<std::string> names = {"pictavo-abcdef", "pictavo-1x-abcdef",
                                            "other-1-abcdef", "pictavo-2024-export"};
    for (const std::string& name : names) {
        ASSERT_EQ(::mkdir((parent.Path() + name).c_str(), 0700), 0);
        MemoryStream(std::vector<uint8_t>{1}).SaveToFile(parent.Path() + name + "/mine.txt");
    }
    { TPrivateTempFolder inside; }
    for (const std::string& name : names) {
        EXPECT_TRUE(Exists(parent.Path() + name + "/mine.txt")) << name;
        ::unlink((parent.Path() + name + "/mine.txt").c_str());
        ::rmdir((parent.Path() + name).c_str());
    }
}

// A folder's owner is alive while it holds the folder's lock, whatever its process id
// means here: an owner in another process-id namespace names a process that is gone.
TEST(PrivateTempFolder, ALockedFolderStaysWhateverItsProcessId) {
    TPrivateTempFolder parent;
    const TempFolderOverride setting(parent.Path());
    // As another namespace's run would leave it: marked, locked, named after no process.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string foreign = parent.Path() + "pictavo-" + std::to_string(gone) + "-Ab12Cd";
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    MemoryStream(std::vector<uint8_t>{1}).SaveToFile(foreign + "/.pictavo-temp-folder");
    MemoryStream(std::vector<uint8_t>{1}).SaveToFile(foreign + "/temp.ico");
    const int lock = ::open(foreign.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    { TPrivateTempFolder next; }
    EXPECT_TRUE(Exists(foreign + "/temp.ico"));
    ::close(lock); // the owner ends
    { TPrivateTempFolder next; }
    EXPECT_FALSE(Exists(foreign));
}

// A TMPDIR of any length the system allows: the folder is made inside it, and a killed
// run's folder there is found and removed by the next run.
TEST(PrivateTempFolder, ALongTmpdirIsUsedWhole) {
    TPrivateTempFolder parent;
    std::string folder = parent.Path();
    while (folder.size() <= 600) {
        folder += std::string(100, 'd') + "/";
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    }
    const TempFolderOverride setting(folder);
    const std::string killed = FolderOfAKilledRun();
    EXPECT_EQ(killed.rfind(folder + "pictavo-", 0), 0u) << killed;
    {
        TPrivateTempFolder next;
        EXPECT_EQ(next.Path().rfind(folder + "pictavo-", 0), 0u) << next.Path();
        EXPECT_FALSE(Exists(killed));
    }
    for (; folder.size() > parent.Path().size(); folder.resize(folder.rfind('/', folder.size() - 2) + 1))
        ::rmdir(folder.c_str());
}

TEST(PrivateTempFolder, TellsItsPathsFromOthers) {
    TPrivateTempFolder folder;
    EXPECT_TRUE(IsInPrivateTempFolder(folder.File("temp.ico")));
    EXPECT_TRUE(IsInPrivateTempFolder(folder.Path()));
    const std::string temp = GetTempFolder();
    EXPECT_TRUE(IsInPrivateTempFolder(temp + "pictavo-1-abcdef/a.ico")); // another run's
    for (const std::string& other :
         {temp + "pictavo-x-abcdef/a.ico", temp + "pictavo-notes.txt", temp + "a.ico",
          std::string("/home/pictavo-1-abcdef/a.ico"), std::string()})
        EXPECT_FALSE(IsInPrivateTempFolder(other)) << other;
}

} // namespace
} // namespace pictavo
