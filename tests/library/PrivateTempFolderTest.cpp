// A run killed by SIGKILL cannot remove its private temporary folder; the next run does.

#include "library/PrivateTempFolder.h"
#include "util/AtomicFile.h"
#include "util/Stream.h"
#include "util/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pictavo {
namespace {

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
        const std::string line = folder.Path() + "\n";
        if (::write(pipeEnds[1], line.data(), line.size()) < 0)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string path;
    char c = 0;
    while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        path += c;
    ::close(pipeEnds[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return path;
}

TEST(PrivateTempFolder, NextRunRemovesTheFolderOfAKilledRun) {
    const std::string killed = FolderOfAKilledRun();
    ASSERT_FALSE(killed.empty());
    ASSERT_TRUE(Exists(killed + "temp.ico"));
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

// Only folders named as ours are touched: an older run's "pictavo-XXXXXX" or another
// program's folder cannot tell its owner and stays.
TEST(PrivateTempFolder, FoldersOfUnknownOwnersStay) {
    TPrivateTempFolder parent; // the temporary folder of this test
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("TMPDIR", parent.Path().c_str(), 1);
    for (const char* name : {"pictavo-abcdef", "pictavo-1x-abcdef", "other-1-abcdef"})
        ASSERT_EQ(::mkdir((parent.Path() + name).c_str(), 0700), 0);
    { TPrivateTempFolder inside; }
    for (const char* name : {"pictavo-abcdef", "pictavo-1x-abcdef", "other-1-abcdef"}) {
        EXPECT_TRUE(Exists(parent.Path() + name)) << name;
        ::rmdir((parent.Path() + name).c_str());
    }
    if (saved)
        ::setenv("TMPDIR", savedValue.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
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
