#include "search/FindFile.h"
#include "search/CriteriaRoutines.h"
#include "tests/search/TestFolder.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace pictavo {

using Strings = std::vector<std::string>;

// root/ a.exe b.txt README .h.exe sub/c.exe sub/deep/d.exe sub/deep/deeper/e.exe
// .hid/f.exe other/g.exe, and loop -> . (a link back to root).
class SearchTree : public TestFolder {
public:
    SearchTree() {
        for (const char* file :
             {"a.exe", "b.txt", "README", ".h.exe", "sub/c.exe", "sub/deep/d.exe",
              "sub/deep/deeper/e.exe", ".hid/f.exe", "other/g.exe"})
            File(file, "content");
        ::symlink(".", (Path() + "loop").c_str());
    }
};

// Collects what a search reports, as paths relative to the tree.
struct Recorder {
    explicit Recorder(std::string treeRoot = "") : root(std::move(treeRoot)) {}

    std::string root;
    Strings files;
    Strings events;

    void Attach(TFindFile& find) {
        find.OnSearchBegin = [this](TFindFile&) { events.push_back("begin"); };
        find.OnSearchFinish = [this](TFindFile&) { events.push_back("finish"); };
        find.OnSearchAbort = [this](TFindFile&) { events.push_back("abort"); };
        find.OnFolderChange = [this](TFindFile&, const std::string& folder, TFolderIgnore&) {
            events.push_back("folder " + folder.substr(root.size()));
        };
        find.OnFileMatch = [this](TFindFile&, const TFileDetails& info) {
            files.push_back(info.Location.substr(root.size()) + info.Name);
            events.push_back("file " + files.back());
        };
    }
    Strings Sorted() const {
        Strings sorted = files;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
};

struct LevelCase {
    const char* name;
    const char* prefix;
    Strings files;
};

void PrintTo(const LevelCase& c, std::ostream* out) {
    *out << c.name;
}

class FindFileLevelTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(FindFileLevelTest, ReportsFilesBetweenMinAndMaxLevel) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.Criteria().Files().SetLocation(GetParam().prefix + tree.Path());
    find.Execute();
    EXPECT_EQ(recorder.Sorted(), GetParam().files);
    EXPECT_EQ(find.Level(), 0);
}

const Strings TopFiles = {"README", "a.exe", "b.txt"};
const Strings AllFiles = {"README",
                          "a.exe",
                          "b.txt",
                          "other/g.exe",
                          "sub/c.exe",
                          "sub/deep/d.exe",
                          "sub/deep/deeper/e.exe"};

INSTANTIATE_TEST_SUITE_P(
    Cases, FindFileLevelTest,
    ::testing::Values(
        LevelCase{"NoSubfolders", "<", TopFiles},
        LevelCase{"AllLevelsSkipHiddenAndLinks", ">", AllFiles},
        LevelCase{"MaxLevelOne", "1>", TopFiles},
        LevelCase{"MinLevelTwo",
                  "2-0>",
                  {"other/g.exe", "sub/c.exe", "sub/deep/d.exe", "sub/deep/deeper/e.exe"}},
        LevelCase{"LevelsTwoToThree", "2-3>", {"other/g.exe", "sub/c.exe", "sub/deep/d.exe"}}));

struct IgnoreCase {
    TFolderIgnore ignore;
    Strings subFiles; // what is reported below sub/
};

void PrintTo(const IgnoreCase& c, std::ostream* out) {
    *out << "ignore " << int(c.ignore);
}

class FindFileIgnoreTest : public ::testing::TestWithParam<IgnoreCase> {};

TEST_P(FindFileIgnoreTest, FolderChangeHandlerSkipsFilesOrSubfolders) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.OnFolderChange = [&](TFindFile&, const std::string& folder, TFolderIgnore& ignore) {
        EXPECT_EQ(ignore, fiNone);
        if (folder == tree.Path() + "sub/")
            ignore = GetParam().ignore;
    };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Execute();
    Strings sub;
    for (const std::string& file : recorder.Sorted())
        if (file.rfind("sub/", 0) == 0)
            sub.push_back(file);
    EXPECT_EQ(sub, GetParam().subFiles);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindFileIgnoreTest,
    ::testing::Values(IgnoreCase{fiNone, {"sub/c.exe", "sub/deep/d.exe", "sub/deep/deeper/e.exe"}},
                      IgnoreCase{fiJustThis, {"sub/deep/d.exe", "sub/deep/deeper/e.exe"}},
                      IgnoreCase{fiJustSubfolders, {"sub/c.exe"}},
                      IgnoreCase{fiThisAndSubfolders, {}}));

TEST(FindFileTest, EventsComeInOrderAndFilesPrecedeSubfolders) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.Criteria().Files().SetLocation(tree.Path() + "sub");
    find.Execute();
    EXPECT_EQ(recorder.events,
              (Strings{"begin", "folder sub/", "file sub/c.exe", "folder sub/deep/",
                       "file sub/deep/d.exe", "folder sub/deep/deeper/",
                       "file sub/deep/deeper/e.exe", "finish"}));
}

TEST(FindFileTest, DetailsDescribeTheFile) {
    SearchTree tree;
    TFindFile find;
    std::vector<TFileDetails> found;
    find.OnFileMatch = [&](TFindFile&, const TFileDetails& info) { found.push_back(info); };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Criteria().Files().SetFileName("a.EXE");
    find.Execute();
    ASSERT_EQ(found.size(), 1u);
    platform::FindData data;
    ASSERT_TRUE(platform::GetFindData(tree.Path() + "a.exe", data));
    EXPECT_EQ(found[0].Location, tree.Path());
    EXPECT_EQ(found[0].Name, "a.exe");
    EXPECT_EQ(found[0].Attributes, 0x20u);
    EXPECT_EQ(found[0].Size, 7);
    EXPECT_EQ(found[0].ModifiedTime, FileTimeToLocalDateTime(data.LastWriteTime));
    EXPECT_EQ(find.ExcludedFolderAttributes(), 0x6u);
}

// Without complete details the handler gets the listing's record and the open folder, and
// opens the file relative to it; a link still comes with the reparse-point bit.
TEST(FindFileTest, ListingDetailsComeWithTheOpenFolder) {
    SearchTree tree;
    ::symlink("a.exe", (tree.Path() + "link.exe").c_str());
    TFindFile find;
    find.CompleteDetails = false;
    Strings seen;
    find.OnFileMatch = [&](TFindFile&, const TFileDetails& info) {
        char first[8] = {};
        const int fd = ::openat(info.FolderFd, info.Name.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(::read(fd, first, 7), 7) << info.Name;
        ::close(fd);
        const bool link = (info.Attributes & platform::FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        seen.push_back(info.Location.substr(tree.Path().size()) + info.Name + " " + first +
                       (link ? " link" : "") + (info.Size == 0 ? "" : " sized"));
    };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Criteria().Files().SetFileName("*.exe");
    find.Criteria().Files().SetSubfolders(true);
    find.Execute();
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (Strings{"a.exe content", "link.exe content link sized", "other/g.exe content",
                             "sub/c.exe content", "sub/deep/d.exe content",
                             "sub/deep/deeper/e.exe content"}));
}

TEST(FindFileTest, DuplicateMasksReportAFileTwice) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.Criteria().Files().SetLocation("<" + tree.Path());
    find.Criteria().Files().SetFileName("*.*;*.exe");
    find.Execute();
    EXPECT_EQ(recorder.Sorted(), (Strings{"README", "a.exe", "a.exe", "b.txt"}));
}

// Folder names may hold the characters that Location reads as separators and level
// prefixes; a folder given through FolderMasks is searched exactly as named.
TEST(FindFileTest, FolderMasksTakeTheFolderNameLiterally) {
    TestFolder tree;
    for (const char* file : {"a>b/own1.exe", "a<b/own2.exe", "a;b/own3.exe", "a/a.exe", "b/b.exe",
                             "a>b/b/sub.exe", "a b /own4.exe"})
        tree.File(file, "x");
    for (const std::string folder : {"a>b", "a<b", "a;b", "a b "}) {
        SCOPED_TRACE(folder);
        TFindFile find;
        Recorder recorder{tree.Path()};
        recorder.Attach(find);
        find.Criteria().Files().SetSubfolders(false);
        find.Criteria().Files().AddFolderMask(tree.Path() + folder, "*.*");
        find.Execute();
        ASSERT_EQ(recorder.files.size(), 1u);
        EXPECT_EQ(recorder.files[0].substr(0, folder.size() + 4), folder + "/own");
    }
}

// A "/" inside the mask moves down into that subfolder; an empty mask means "*.*".
TEST(FindFileTest, FolderMaskWithFolderPartOrEmpty) {
    TestFolder tree;
    tree.File("a;b/x.ico", "x");
    tree.File("a;b/s/y.ico", "x");
    tree.File("a;b/s/y.txt", "x");
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.Criteria().Files().SetSubfolders(false);
    find.Criteria().Files().AddFolderMask(tree.Path() + "a;b/", "s/*.ico");
    find.Criteria().Files().AddFolderMask(tree.Path() + "a;b", "");
    find.Execute();
    EXPECT_EQ(recorder.Sorted(), (Strings{"a;b/s/y.ico", "a;b/x.ico"}));
}

TEST(FindFileTest, CriteriaChangedDuringASearchApplyToTheNext) {
    SearchTree tree;
    TFindFile find;
    Strings names;
    find.OnFileMatch = [&](TFindFile& sender, const TFileDetails& info) {
        names.push_back(info.Name);
        sender.Criteria().Files().SetFileName("*.txt");
    };
    find.Criteria().Files().SetLocation("<" + tree.Path());
    find.Execute();
    EXPECT_EQ(names.size(), 3u);
    names.clear();
    find.Execute();
    EXPECT_EQ(names, Strings{"b.txt"});
}

TEST(FindFileTest, NoTargetsGiveBeginAndFinishOnly) {
    TFindFile find;
    Recorder recorder;
    recorder.Attach(find);
    find.Execute();
    EXPECT_EQ(recorder.events, (Strings{"begin", "finish"}));
}

// With every attribute accepted, hidden folders are entered and folders are reported,
// but the link back to the root is still not followed.
TEST(FindFileTest, ClearedAttributesEnterHiddenFoldersButNeverLinks) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.Criteria().Attributes().Clear();
    find.Criteria().Files().SetLocation(tree.Path());
    find.Execute();
    const Strings files = recorder.Sorted();
    for (const char* expected : {".h.exe", ".hid/f.exe", "loop", "sub", "sub/deep/d.exe"})
        EXPECT_TRUE(std::count(files.begin(), files.end(), expected) == 1) << expected;
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& f) { return f.rfind("loop/", 0) == 0; }),
              0);
}

TEST(FindFileTest, AbortFromHandlerStopsAndStillFinishes) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.Abort(); // idle: nothing
    find.OnFileMatch = [&](TFindFile& sender, const TFileDetails& info) {
        recorder.files.push_back(info.Name);
        sender.Abort();
        sender.Abort();
        EXPECT_TRUE(sender.Aborted());
    };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Execute();
    EXPECT_EQ(recorder.files.size(), 1u);
    EXPECT_EQ(recorder.events, (Strings{"begin", "folder ", "abort", "finish"}));
    EXPECT_TRUE(find.Aborted());
    EXPECT_FALSE(find.Busy());
    EXPECT_EQ(find.Level(), 0);
}

TEST(FindFileTest, HandlerExceptionFinishesAndPropagates) {
    SearchTree tree;
    TFindFile find;
    Recorder recorder{tree.Path()};
    recorder.Attach(find);
    find.OnFileMatch = [](TFindFile&, const TFileDetails&) { throw std::runtime_error("boom"); };
    find.Criteria().Files().SetLocation(tree.Path());
    EXPECT_THROW(find.Execute(), std::runtime_error);
    EXPECT_EQ(recorder.events.back(), "finish");
    EXPECT_FALSE(find.Busy());
    EXPECT_EQ(find.Level(), 0);
}

TEST(FindFileTest, DestroyedByItsOwnHandlerUnwindsSafely) {
    SearchTree tree;
    int matches = 0;
    auto* find = new TFindFile;
    find->OnFileMatch = [&](TFindFile& sender, const TFileDetails&) {
        ++matches;
        delete &sender;
    };
    find->Criteria().Files().SetLocation(tree.Path());
    find->Execute(); // returns after the walk has unwound; find is gone
    EXPECT_EQ(matches, 1);
}

// Tasks the worker hands to the owner's thread, run when the test says so.
class OwnerQueue {
public:
    void Post(std::function<void()> task) {
        const std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
        ready_.notify_all();
    }
    void RunNext() {
        std::unique_lock<std::mutex> lock(mutex_);
        ASSERT_TRUE(
            ready_.wait_for(lock, std::chrono::seconds(10), [&] { return !tasks_.empty(); }));
        const std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> tasks_;
};

TEST(FindFileThreadedTest, ExecuteIgnoredWhileBusyAndFinishRunsInOwnerThread) {
    SearchTree tree;
    OwnerQueue owner;
    TFindFile find;
    find.Threaded = true;
    find.PostToOwner = [&](std::function<void()> task) { owner.Post(std::move(task)); };
    int begins = 0;
    std::thread::id finishThread;
    std::atomic<int> matches{0};
    std::atomic<bool> matchedInWorker{true};
    const std::thread::id testThread = std::this_thread::get_id();
    find.OnSearchBegin = [&](TFindFile&) { ++begins; };
    find.OnSearchFinish = [&](TFindFile&) { finishThread = std::this_thread::get_id(); };
    find.OnFileMatch = [&](TFindFile&, const TFileDetails&) {
        ++matches;
        if (std::this_thread::get_id() == testThread)
            matchedInWorker = false;
    };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Execute();
    find.Execute();
    EXPECT_TRUE(find.Busy());
    owner.RunNext();
    EXPECT_FALSE(find.Busy());
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(matches, 7);
    EXPECT_TRUE(matchedInWorker);
    EXPECT_EQ(finishThread, testThread);
}

TEST(FindFileThreadedTest, AbortProcessesMessagesUntilTheRunningHandlerReturns) {
    SearchTree tree;
    OwnerQueue owner;
    TFindFile find;
    find.Threaded = true;
    find.PostToOwner = [&](std::function<void()> task) { owner.Post(std::move(task)); };
    std::atomic<bool> inHandler{false};
    std::atomic<bool> released{false};
    int messages = 0;
    std::atomic<int> matches{0};
    Strings events;
    find.OnFileMatch = [&](TFindFile&, const TFileDetails&) {
        ++matches;
        inHandler = true;
        while (!released) // waits for the owner, as a handler posting to a GUI would
            std::this_thread::yield();
    };
    find.ProcessMessage = [&] {
        ++messages;
        released = true;
    };
    find.OnSearchAbort = [&](TFindFile&) { events.push_back("abort"); };
    find.OnSearchFinish = [&](TFindFile&) { events.push_back("finish"); };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Execute();
    while (!inHandler)
        std::this_thread::yield();
    find.Abort();
    EXPECT_GE(messages, 1);
    EXPECT_EQ(events, Strings{"abort"});
    owner.RunNext();
    EXPECT_EQ(events, (Strings{"abort", "finish"}));
    EXPECT_EQ(matches, 1);
    EXPECT_TRUE(find.Aborted());
}

TEST(FindFileThreadedTest, WithoutPostToOwnerTheWorkerFinishes) {
    SearchTree tree;
    TFindFile find;
    find.Threaded = true;
    std::atomic<int> matches{0};
    std::atomic<bool> finished{false};
    find.OnFileMatch = [&](TFindFile&, const TFileDetails&) { ++matches; };
    find.OnSearchFinish = [&](TFindFile&) { finished = true; };
    find.Criteria().Files().SetLocation(tree.Path());
    find.Execute();
    for (int i = 0; i < 10000 && !finished; ++i)
        ::usleep(1000);
    EXPECT_TRUE(finished);
    EXPECT_EQ(matches, 7);
    find.Execute(); // joins the finished worker and runs again
    for (int i = 0; i < 10000 && find.Busy(); ++i)
        ::usleep(1000);
    EXPECT_EQ(matches, 14);
}

TEST(FindFileThreadedTest, DestroyWhileBusyWaitsForTheWorkerWithoutEvents) {
    SearchTree tree;
    OwnerQueue owner;
    std::atomic<int> matches{0};
    bool finished = false;
    {
        TFindFile find;
        find.Threaded = true;
        find.PostToOwner = [&](std::function<void()> task) { owner.Post(std::move(task)); };
        find.OnFileMatch = [&](TFindFile&, const TFileDetails&) {
            ++matches;
            ::usleep(2000);
        };
        find.OnSearchFinish = [&](TFindFile&) { finished = true; };
        find.Criteria().Files().SetLocation(tree.Path());
        find.Execute();
        while (matches == 0)
            std::this_thread::yield();
    }
    const int afterDestroy = matches;
    ::usleep(10000);
    EXPECT_EQ(matches, afterDestroy);
    EXPECT_LT(afterDestroy, 7);
    EXPECT_FALSE(finished);
}

} // namespace pictavo
