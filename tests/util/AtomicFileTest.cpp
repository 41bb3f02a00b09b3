// Atomic writes: the target holds the old or the complete new content, never a part;
// temporary files never outlive a write; links at the target are replaced, not followed.

#include "util/AtomicFile.h"
#include "util/Exceptions.h"
#include "util/TempFileCleanup.h"
#include "tests/ChildLine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pictavo {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string Content(const std::string& fileName) {
    const std::vector<uint8_t> bytes = ReadFileBytes(fileName);
    return {bytes.begin(), bytes.end()};
}

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pictavo-atomic-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = std::string(pattern) + "/";
    }
    void TearDown() override {
        for (const std::string& name : Names())
            ::unlink((dir + name).c_str());
        ::rmdir(dir.c_str());
    }
    // The names in the folder: a finished write leaves only its target behind.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        if (DIR* folder = ::opendir(dir.c_str())) {
            while (const dirent* entry = ::readdir(folder))
                if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                    names.insert(entry->d_name);
            ::closedir(folder);
        }
        return names;
    }
    mode_t ModeOf(const std::string& fileName) const {
        struct stat info {};
        ::lstat(fileName.c_str(), &info);
        return info.st_mode;
    }

    std::string dir;
};

TEST_F(AtomicFileTest, WritesTheWholeContentAndLeavesNoTemporaryFile) {
    WriteFileAtomically(dir + "a.ico", Bytes("old"));
    WriteFileAtomically(dir + "a.ico", Bytes("new content"));
    EXPECT_EQ(Content(dir + "a.ico"), "new content");
    EXPECT_EQ(Names(), std::set<std::string>{"a.ico"});
}

TEST_F(AtomicFileTest, AFailedWriteLeavesTheTargetAsItWas) {
    WriteFileAtomically(dir + "a.ico", Bytes("old"));
    EXPECT_THROW(WriteFileAtomically(dir + "a.ico",
                                     [](Stream& out) {
                                         out.WriteBuffer("half", 4);
                                         throw EWriteError("Stream write error");
                                     }),
                 EWriteError);
    EXPECT_EQ(Content(dir + "a.ico"), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"a.ico"});
}

// A full disk (here: the file-size limit) makes write() fail part way.
TEST_F(AtomicFileTest, AWriteThatRunsOutOfRoomLeavesNoFile) {
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(WriteFileAtomically(dir + "big.ico", std::vector<uint8_t>(4096, 7)), EWriteError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(Names().empty());
}

TEST_F(AtomicFileTest, ALinkAtTheTargetNameIsReplacedNotFollowed) {
    WriteFileAtomically(dir + "victim", Bytes("keep me"));
    ASSERT_EQ(::symlink((dir + "victim").c_str(), (dir + "out.ico").c_str()), 0);
    WriteFileAtomically(dir + "out.ico", Bytes("icon"));
    EXPECT_EQ(Content(dir + "victim"), "keep me");
    EXPECT_TRUE(S_ISREG(ModeOf(dir + "out.ico")));
    EXPECT_EQ(Content(dir + "out.ico"), "icon");
}

TEST_F(AtomicFileTest, ANewFileHonoursTheUmaskAndAReplacedOneKeepsItsMode) {
    const mode_t oldMask = ::umask(027);
    WriteFileAtomically(dir + "new.ico", Bytes("x"));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(dir + "new.ico") & 0777, 0640u);

    ASSERT_EQ(::chmod((dir + "new.ico").c_str(), 0604), 0);
    WriteFileAtomically(dir + "new.ico", Bytes("y"));
    EXPECT_EQ(ModeOf(dir + "new.ico") & 0777, 0604u);
}

// A batch puts each file in place whole at once; new and replaced files alike, the
// replaced one keeping its mode, and nothing temporary is left.
TEST_F(AtomicFileTest, ABatchWritesNewAndReplacedFilesWhole) {
    WriteFileAtomically(dir + "old.png", Bytes("old"));
    ASSERT_EQ(::chmod((dir + "old.png").c_str(), 0604), 0);
    ASSERT_EQ(::symlink((dir + "old.png").c_str(), (dir + "link.png").c_str()), 0);
    TAtomicFileBatch batch;
    batch.Write(dir + "a.png", Bytes("first"));
    batch.Write(dir + "old.png", Bytes("replaced"));
    batch.Write(dir + "link.png", Bytes("not through the link"));
    EXPECT_EQ(Content(dir + "a.png"), "first");
    batch.Write(dir + "a.png", Bytes("again"));
    batch.Flush();
    EXPECT_EQ(Content(dir + "a.png"), "again");
    EXPECT_EQ(Content(dir + "old.png"), "replaced");
    EXPECT_EQ(ModeOf(dir + "old.png") & 0777, 0604u);
    EXPECT_TRUE(S_ISREG(ModeOf(dir + "link.png")));
    EXPECT_EQ(Content(dir + "link.png"), "not through the link");
    EXPECT_EQ(Names(), (std::set<std::string>{"a.png", "link.png", "old.png"}));
}

TEST_F(AtomicFileTest, ABatchWriteThatFailsLeavesNoFileAndTheBatchGoesOn) {
    TAtomicFileBatch batch;
    EXPECT_THROW(batch.Write(dir + "missing/a.png", Bytes("x")), EFCreateError);
    batch.Write(dir + "b.png", Bytes("y"));
    batch.Flush();
    EXPECT_EQ(Names(), std::set<std::string>{"b.png"});
}

TEST_F(AtomicFileTest, ALargeFileHandedToTheDiskWhileWrittenIsWhole) {
    // More than the step at which the written part is handed to the disk, in odd pieces.
    std::vector<uint8_t> bytes((9 << 20) + 5);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
    TAtomicFile file(dir + "big.bin");
    for (size_t done = 0; done < bytes.size(); done += 3333333)
        file.Output().WriteBuffer(bytes.data() + done,
                                  std::min<size_t>(3333333, bytes.size() - done));
    file.Commit();
    EXPECT_EQ(ReadFileBytes(dir + "big.bin"), bytes);
    EXPECT_EQ(Names(), std::set<std::string>{"big.bin"});
}

TEST_F(AtomicFileTest, CommitKeepingBackupMovesThePreviousContentToTheBackup) {
    WriteFileAtomically(dir + "lib.icl", Bytes("first"));
    WriteFileAtomically(dir + "lib.~icl", Bytes("older backup"));
    TAtomicFile file(dir + "lib.icl");
    file.Output().WriteBuffer("second", 6);
    file.CommitKeepingBackup(dir + "lib.~icl");
    EXPECT_EQ(Content(dir + "lib.icl"), "second");
    EXPECT_EQ(Content(dir + "lib.~icl"), "first");
    EXPECT_EQ(Names(), (std::set<std::string>{"lib.icl", "lib.~icl"}));
}

// The backup is the previous file itself under a second name: names that shared it with
// the target (other hard links) keep the previous content with the backup, and only the
// target name gets the new content, with the previous file's mode.
TEST_F(AtomicFileTest, CommitKeepingBackupLeavesOtherLinksOfThePreviousFileWithIt) {
    for (const std::string other : {"copy.icl", "lib.~icl"}) {
        SCOPED_TRACE(other);
        WriteFileAtomically(dir + "lib.icl", Bytes("first"));
        ::chmod((dir + "lib.icl").c_str(), 0750);
        ::unlink((dir + "lib.~icl").c_str());
        ASSERT_EQ(::link((dir + "lib.icl").c_str(), (dir + other).c_str()), 0);
        TAtomicFile file(dir + "lib.icl");
        file.Output().WriteBuffer("second", 6);
        file.CommitKeepingBackup(dir + "lib.~icl");
        EXPECT_EQ(Content(dir + "lib.icl"), "second");
        EXPECT_EQ(ModeOf(dir + "lib.icl") & 0777, 0750u);
        EXPECT_EQ(Content(dir + "lib.~icl"), "first");
        EXPECT_EQ(Content(dir + other), "first");
        std::set<std::string> expected{"lib.icl", "lib.~icl", other};
        EXPECT_EQ(Names(), expected);
        ::unlink((dir + other).c_str());
    }
}

TEST_F(AtomicFileTest, CommitKeepingBackupWithoutAPreviousFileMakesNoBackup) {
    TAtomicFile file(dir + "lib.icl");
    file.Output().WriteBuffer("new", 3);
    file.CommitKeepingBackup(dir + "lib.~icl");
    EXPECT_EQ(Names(), std::set<std::string>{"lib.icl"});
}

// A folder under the backup name cannot be replaced by a file.
TEST_F(AtomicFileTest, APreviousFileThatCannotBeKeptIsLeftUntouched) {
    WriteFileAtomically(dir + "lib.icl", Bytes("precious"));
    ASSERT_EQ(::mkdir((dir + "lib.~icl").c_str(), 0755), 0);
    {
        TAtomicFile file(dir + "lib.icl");
        file.Output().WriteBuffer("new", 3);
        EXPECT_THROW(file.CommitKeepingBackup(dir + "lib.~icl"), EFCreateError);
    }
    ::rmdir((dir + "lib.~icl").c_str());
    EXPECT_EQ(Content(dir + "lib.icl"), "precious");
    EXPECT_EQ(Names(), std::set<std::string>{"lib.icl"});
}

// Renaming over a pipe would replace the node instead of writing into it.
TEST_F(AtomicFileTest, APipeAtTheTargetNameIsRefused) {
    ASSERT_EQ(::mkfifo((dir + "pipe").c_str(), 0600), 0);
    EXPECT_THROW(WriteFileAtomically(dir + "pipe", Bytes("x")), EFCreateError);
    EXPECT_TRUE(S_ISFIFO(ModeOf(dir + "pipe")));
    EXPECT_EQ(Names(), std::set<std::string>{"pipe"});
}

TEST_F(AtomicFileTest, AFolderThatCannotTakeFilesIsAClearError) {
    EXPECT_THROW(WriteFileAtomically(dir + "missing/a.ico", Bytes("x")), EFCreateError);
}

// A SIGTERM while the temporary file is being written removes it and still ends the
// process by the signal.
TEST_F(AtomicFileTest, ATerminatingSignalRemovesTheTemporaryFile) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstallTempFileCleanupOnSignals();
        TAtomicFile file(dir + "a.ico");
        file.Output().WriteBuffer("half", 4);
        ::raise(SIGTERM);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(Names().empty());
}

TEST(TempFileCleanup, RemovesRegisteredFilesThenTheirFolders) {
    char pattern[] = "/tmp/pictavo-cleanup-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    WriteFileBytes(folder + "/temp.ico", Bytes("x"));
    TTempFileRegistration folderEntry(folder, TTempKind::Folder);
    TTempFileRegistration fileEntry(folder + "/temp.ico", TTempKind::File);
    RemoveRegisteredTempFiles();
    struct stat info {};
    EXPECT_NE(::lstat(folder.c_str(), &info), 0);
}

// A tree goes with what it holds, links removed and not followed; once its registration
// ends (the folder was renamed into place), the handler leaves it alone.
TEST(TempFileCleanup, ATreeGoesWithWhatItHolds) {
    char pattern[] = "/tmp/pictavo-tree-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string outside = root + "/outside";
    ASSERT_EQ(::mkdir(outside.c_str(), 0700), 0);
    WriteFileBytes(outside + "/kept", Bytes("k"));
    const std::string tree = root + "/theme";
    ASSERT_EQ(::mkdir(tree.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((tree + "/cursors").c_str(), 0700), 0);
    WriteFileBytes(tree + "/index.theme", Bytes("x"));
    for (int i = 0; i < 200; ++i) // more names than one read of the folder returns
        WriteFileBytes(tree + "/cursors/cursor-with-a-long-name-" + std::to_string(i), Bytes("c"));
    ASSERT_EQ(::symlink("../../outside", (tree + "/cursors/link").c_str()), 0);
    {
        TTempFileRegistration kept(root, TTempKind::Tree);
    }
    TTempFileRegistration entry(tree, TTempKind::Tree);
    RemoveRegisteredTempFiles();
    struct stat info {};
    EXPECT_NE(::lstat(tree.c_str(), &info), 0);
    EXPECT_EQ(::lstat((outside + "/kept").c_str(), &info), 0);
    std::filesystem::remove_all(root);
}

// The name of the temporary file a writer in a child process is at when the child stops
// (killed, or still running and paused); the child is told by `stay` whether to wait.
std::string TempFileOfAChild(const std::string& target, bool stay, pid_t& child) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "";
    child = ::fork();
    if (child == 0) {
        TAtomicFile file(target);
        file.Output().WriteBuffer("half", 4);
        const std::string line = file.TempFileName() + "\n";
        if (::write(pipeEnds[1], line.data(), line.size()) < 0 || !stay)
            ::_exit(0); // no destructor runs: as a SIGKILL would leave it
        ::pause();
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    const std::string path = test::ReadLineAndClose(pipeEnds[0]);
    if (!stay)
        ::waitpid(child, nullptr, 0);
    return path.substr(path.rfind('/') + 1);
}

// A writer killed outright leaves its temporary file; the next writer in that folder
// removes it. Whether a writer lives is told by its file's lock, never by its process id:
// a living writer whose id means nothing here (another process-id namespace) keeps its
// file, and names that merely look like ours, without our mark, are the user's.
TEST_F(AtomicFileTest, OnlyDeadWritersMarkedFilesGo) {
    pid_t deadPid = 0, livingPid = 0;
    const std::string dead = TempFileOfAChild(dir + "a.ico", false, deadPid);
    const std::string living = TempFileOfAChild(dir + "b.ico", true, livingPid);
    ASSERT_TRUE(TempFileWriter(dead) && TempFileWriter(living));
    // The living writer as seen from another namespace: its id is no process here.
    const std::string foreign = Format(".pictavo-%d-89abcdef.tmp", static_cast<int>(deadPid));
    ASSERT_EQ(::rename((dir + living).c_str(), (dir + foreign).c_str()), 0);
    const std::string lookalike = Format(".pictavo-%d-0badf00d.tmp", static_cast<int>(deadPid));
    for (const std::string& name : {lookalike, std::string(".pictavo-9-draft.tmp"),
                                    std::string(".pictavo-notes.tmp")})
        std::ofstream(dir + name) << 'x'; // plainly: an atomic write would clean up first
    WriteFileAtomically(dir + "out.ico", std::vector<uint8_t>{'i', 'c', 'o'});
    EXPECT_EQ(Names(), (std::set<std::string>{foreign, lookalike, ".pictavo-9-draft.tmp",
                                              ".pictavo-notes.tmp", "out.ico"}));
    ::kill(livingPid, SIGKILL);
    ::waitpid(livingPid, nullptr, 0);
}

// The mark is the temporary file's alone: the finished file does not carry it.
TEST_F(AtomicFileTest, TheResultCarriesNoWriterMark) {
    WriteFileAtomically(dir + "out.ico", std::vector<uint8_t>{'i'});
    EXPECT_LT(::getxattr((dir + "out.ico").c_str(), "user.pictavo.writer", nullptr, 0), 0);
}

TEST(AtomicFilePaths, TempFileWriter) {
    EXPECT_EQ(TempFileWriter(".pictavo-4242-0000abcd.tmp"), std::optional<int>(4242));
    for (const char* other : {".pictavo-0000abcd.tmp", ".pictavo--1.tmp", ".pictavo-42x-1.tmp",
                              "pictavo-42-1.tmp", ".pictavo-42-1.tm", ".pictavo-0-1.tmp",
                              ".pictavo-1234567890-1.tmp", ".pictavo-9-draft.tmp",
                              ".pictavo-9-0BADF00D.tmp", ".pictavo-9-0badf00.tmp", "a.ico"})
        EXPECT_EQ(TempFileWriter(other), std::nullopt) << other;
}

} // namespace
} // namespace pictavo
