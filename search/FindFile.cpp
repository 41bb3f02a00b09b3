#include "search/FindFile.h"

#include "platform/Paths.h"
#include "search/CriteriaRoutines.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace pictavo {

struct TFindFile::SearchState {
    std::atomic<bool> Busy{false};
    std::atomic<bool> Aborted{false};
    std::atomic<bool> Destroying{false};
    std::atomic<uint16_t> Level{0};
    std::atomic<uint32_t> ExcludedFolderAttributes{0};
    // Held around OnFileMatch, OnFolderChange and OnSearchAbort.
    std::recursive_mutex CallbackLock;
    // The private copy of Criteria, alive from the begin to the end of a search.
    std::unique_ptr<TSearchCriteria> WorkCriteria;
    const TTargetPath* CurrentTarget = nullptr;
    // The folder whose files are being matched, open; -1 between folders.
    int FolderFd = -1;
};

namespace {

// Folder attributes that may keep the walk out of a folder.
constexpr uint32_t FolderExclusionCandidates = 0x15146;

// Level is raised on the way into a folder and lowered on every way out.
class LevelStep {
public:
    explicit LevelStep(std::atomic<uint16_t>& level) : level_(level) { ++level_; }
    ~LevelStep() { --level_; }
    LevelStep(const LevelStep&) = delete;
    LevelStep& operator=(const LevelStep&) = delete;

private:
    std::atomic<uint16_t>& level_;
};

// Publishes the open folder's descriptor for the time its files are matched.
class FolderDescriptor {
public:
    FolderDescriptor(int& slot, int fd) : slot_(slot) { slot_ = fd; }
    ~FolderDescriptor() { slot_ = -1; }
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;

private:
    int& slot_;
};

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

bool IsFolderToEnter(const platform::FindData& entry, uint32_t excluded) {
    const uint32_t a = entry.FileAttributes;
    // A link to a folder is not entered: a loop of links would never end.
    return (a & platform::FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (a & platform::FILE_ATTRIBUTE_REPARSE_POINT) == 0 && (a & excluded) == 0 &&
           !IsDotEntry(entry.FileName);
}

TFileDetails MakeDetails(const std::string& folder, const platform::FindData& entry) {
    TFileDetails details;
    details.Location = folder;
    details.Name = entry.FileName;
    details.Attributes = entry.FileAttributes;
    details.Size = entry.Size();
    details.CreatedTime = FileTimeToLocalDateTime(entry.CreationTime);
    details.ModifiedTime = FileTimeToLocalDateTime(entry.LastWriteTime);
    details.AccessedTime = FileTimeToLocalDateTime(entry.LastAccessTime);
    return details;
}

// Nice values for the priorities; raising above normal needs privileges and is then
// silently left as it is.
void SetCurrentThreadPriority(TThreadPriority priority) {
    static constexpr int NiceOf[] = {19, 10, 5, 0, -5, -10, -20};
    if (priority == tpNormal)
        return;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), NiceOf[priority]);
}

} // namespace

bool GetFileDetails(const std::string& path, TFileDetails& details) {
    platform::FindData data;
    if (!platform::GetFindData(path, data))
        return false;
    // A bare name lies in the current folder.
    const std::string folder = platform::FolderPartOf(path);
    details = MakeDetails(folder.empty() ? std::string("./") : folder, data);
    details.Name = platform::FileNameOf(path);
    return true;
}

TFindFile::TFindFile()
    : criteria_(std::make_unique<TSearchCriteria>()), state_(std::make_shared<SearchState>()) {}

TFindFile::~TFindFile() {
    const std::shared_ptr<SearchState> state = state_;
    state->Destroying = true;
    Abort();
    ReleaseWorker();
}

bool TFindFile::Busy() const {
    return state_->Busy;
}
bool TFindFile::Aborted() const {
    return state_->Aborted;
}
uint16_t TFindFile::Level() const {
    return state_->Level;
}
uint32_t TFindFile::ExcludedFolderAttributes() const {
    return state_->ExcludedFolderAttributes;
}

void TFindFile::Execute() {
    if (state_->Busy)
        return;
    ReleaseWorker(); // a worker that ran its own finish may still be returning
    const std::shared_ptr<SearchState> state = state_;
    BeginSearch();
    if (!Threaded) {
        try {
            DoSearchBegin();
            SearchTargets(*state);
        } catch (...) {
            if (!state->Destroying)
                EndSearch();
            throw;
        }
        if (!state->Destroying)
            EndSearch();
        return;
    }
    try {
        DoSearchBegin();
        worker_ = std::thread(&TFindFile::RunWorker, this, state, ThreadPriority);
    } catch (...) {
        if (!state->Destroying)
            EndSearch();
        throw;
    }
}

void TFindFile::Abort() {
    const std::shared_ptr<SearchState> state = state_; // a handler may destroy this component
    if (!state->Busy || state->Aborted.exchange(true))
        return;
    const bool destroying = state->Destroying;
    std::unique_lock<std::recursive_mutex> lock(state->CallbackLock, std::try_to_lock);
    while (!lock.owns_lock()) {
        if (ProcessMessage && !destroying) {
            ProcessMessage();
            if (state->Destroying)
                return; // destroyed by a message; the destructor has finished the abort
        } else {
            std::this_thread::yield();
        }
        lock.try_lock();
    }
    DoSearchAbort();
}

void TFindFile::BeginSearch() {
    SearchState& state = *state_;
    state.Busy = true;
    state.Aborted = false;
    state.WorkCriteria = std::make_unique<TSearchCriteria>();
    state.WorkCriteria->Assign(*criteria_);
    state.ExcludedFolderAttributes =
        state.WorkCriteria->Attributes().FlagsUnset() & FolderExclusionCandidates;
}

void TFindFile::EndSearch() {
    SearchState& state = *state_;
    state.CurrentTarget = nullptr;
    state.WorkCriteria.reset();
    state.Busy = false;
    DoSearchFinish();
}

void TFindFile::SearchTargets(SearchState& state) {
    const TTargetPaths& targets = state.WorkCriteria->Files().TargetPaths();
    for (size_t i = 0; i < targets.Count() && !state.Aborted; ++i) {
        state.Level = 0;
        state.CurrentTarget = &targets[i];
        SearchIn(state, targets[i].Folder);
    }
}

// Every call on the component is preceded by a test of Aborted: a handler that
// destroys the component sets it, and the walk then unwinds on the shared state alone.
void TFindFile::SearchIn(SearchState& state, const std::string& folder) {
    if (state.Aborted)
        return;
    const LevelStep step(state.Level);
    const TFolderIgnore ignore = DoFolderChange(folder);
    const TTargetPath& target = *state.CurrentTarget;
    const bool searchFiles =
        (ignore == fiNone || ignore == fiJustSubfolders) && state.Level >= target.MinLevel;
    const bool enterFolders = target.Subfolders && (ignore == fiNone || ignore == fiJustThis) &&
                              (target.MaxLevel == 0 || target.MaxLevel > state.Level);
    if (!searchFiles && !enterFolders)
        return;

    // The folder is opened and listed once; every mask and the walk into the subfolders
    // use that one listing, and the handlers open files relative to the open folder.
    std::vector<platform::FindData> subfolders;
    {
        platform::FileFinder finder(folder, "*", platform::FindScope::All,
                                    platform::FindDetail::Listing);
        if (!finder.IsOpen() && OnFolderError)
            OnFolderError(folder, finder.OpenError());
        std::vector<platform::FindData> entries;
        platform::FindData entry;
        while (finder.Next(entry)) {
            if (state.Aborted)
                return;
            if (IsDotEntry(entry.FileName))
                continue;
            if (enterFolders && IsFolderToEnter(entry, state.ExcludedFolderAttributes))
                subfolders.push_back(entry);
            if (searchFiles)
                entries.push_back(std::move(entry));
        }
        const FolderDescriptor descriptor(state.FolderFd, finder.Descriptor());
        for (const std::string& mask : target.Masks) {
            const bool everyName = mask == "*" || mask == "*.*";
            for (platform::FindData& file : entries) {
                if (state.Aborted)
                    return;
                if ((!everyName && !platform::MaskMatches(file.FileName, mask)) ||
                    !AcceptFile(folder, file))
                    continue;
                // The handler's details need the whole record; the open folder gives it
                // cheapest. DoFileMatch completes it too, for callers that skip this.
                if (OnFileMatch && CompleteDetails && !finder.Complete(file))
                    continue; // gone since the listing
                DoFileMatch(folder, file);
            }
        }
    }

    for (const platform::FindData& subfolder : subfolders) {
        if (state.Aborted)
            return;
        SearchIn(state, folder + subfolder.FileName + platform::PathDelim);
    }
}

void TFindFile::RunWorker(const std::shared_ptr<SearchState>& state, TThreadPriority priority) {
    SetCurrentThreadPriority(priority);
    try {
        SearchTargets(*state);
    } catch (...) {
        if (state->Destroying)
            return;
        if (ShowException)
            ShowException(std::current_exception());
        else
            try {
                throw;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "Pictavo: %s\n", e.what());
            } catch (...) {
                std::fprintf(stderr, "Pictavo: unknown error in the search\n");
            }
    }
    if (state->Destroying)
        return;
    if (!PostToOwner) {
        EndSearch();
        return;
    }
    const std::weak_ptr<SearchState> weak = state;
    PostToOwner([this, weak] {
        const std::shared_ptr<SearchState> alive = weak.lock();
        if (alive && !alive->Destroying)
            ThreadedSearchDone();
    });
}

void TFindFile::ThreadedSearchDone() {
    ReleaseWorker();
    EndSearch();
}

void TFindFile::ReleaseWorker() {
    if (!worker_.joinable())
        return;
    if (worker_.get_id() == std::this_thread::get_id())
        worker_.detach(); // called from a handler in the worker: it is about to return
    else
        worker_.join();
}

void TFindFile::DoSearchBegin() {
    if (OnSearchBegin && !state_->Destroying)
        OnSearchBegin(*this);
}

void TFindFile::DoSearchFinish() {
    if (OnSearchFinish && !state_->Destroying)
        OnSearchFinish(*this);
}

void TFindFile::DoSearchAbort() {
    if (OnSearchAbort && !state_->Destroying)
        OnSearchAbort(*this);
}

TFolderIgnore TFindFile::DoFolderChange(const std::string& folder) {
    SearchState& state = *state_;
    TFolderIgnore ignore = fiNone;
    if (state.Aborted || !OnFolderChange)
        return ignore;
    const TFolderChangeEvent handler = OnFolderChange; // the handler may destroy this component
    const std::lock_guard<std::recursive_mutex> lock(state.CallbackLock);
    handler(*this, folder, ignore);
    return ignore;
}

void TFindFile::DoFileMatch(const std::string& folder, const platform::FindData& entry) {
    SearchState& state = *state_;
    if (state.Aborted || !OnFileMatch)
        return;
    platform::FindData complete = entry;
    if (CompleteDetails && !platform::CompleteFindData(folder, complete))
        return; // gone since the listing
    TFileDetails details = MakeDetails(folder, complete);
    details.FolderFd = state.FolderFd;
    const TFileMatchEvent handler = OnFileMatch; // the handler may destroy this component
    const std::lock_guard<std::recursive_mutex> lock(state.CallbackLock);
    handler(*this, details);
}

bool TFindFile::AcceptFile(const std::string& folder, const platform::FindData& entry) {
    const SearchState& state = *state_;
    return !state.Aborted && state.WorkCriteria->Matches(folder, entry);
}

} // namespace pictavo
