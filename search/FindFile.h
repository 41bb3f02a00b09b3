#pragma once
// The search engine. TFindFile walks the target folders of its Criteria depth-first,
// reports every file that matches through OnFileMatch, lets OnFolderChange skip folders,
// and announces the begin, the finish and an abort of each search. A search runs in the
// calling thread (Execute returns when it is over) or, with Threaded, in a worker thread
// (Execute returns at once).
//
// Events of one search, in order: OnSearchBegin; for each folder visited OnFolderChange
// and then OnFileMatch for each matching file in it; OnSearchAbort at most once, when
// Abort is called; OnSearchFinish last, always, also after an abort or an exception.
//
// Threads. OnSearchBegin runs in the thread that calls Execute. OnFolderChange and
// OnFileMatch run in the thread that walks (the worker, when threaded), serialised with
// OnSearchAbort by a re-entrant lock. OnSearchAbort runs in the thread that calls Abort.
// OnSearchFinish of a threaded search runs where the owner's PostToOwner runs its task
// (the owner's thread), or in the worker when PostToOwner is not set. Set the events and
// callbacks before Execute.
//
// Symbolic links to folders are never entered, so a loop of links cannot trap the walk.
// Destroying the component while it is busy aborts the search and, for a threaded
// search, waits until the worker has ended; no event is raised during destruction. A
// synchronous search may even be destroyed from one of its own handlers: the walk then
// unwinds without touching the component.
//
// A synchronous search:
//     TFindFile find;
//     find.Criteria().Files().SetLocation("/usr/share");   // ";"-separated, prefixes allowed
//     find.Criteria().Files().SetFileName("*.ico;*.exe");  // empty means "*.*"
//     find.Criteria().Files().SetSubfolders(true);
//     find.OnFileMatch = [](TFindFile&, const TFileDetails& file) { use(file); };
//     find.Execute();
// Hidden and system files are left out, and hidden and system folders not entered,
// unless Criteria().Attributes() says otherwise.

#include "platform/FileSystem.h"
#include "search/SearchCriteria.h"
#include "util/DateTime.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace pictavo {

// What OnFolderChange may skip of a folder.
enum TFolderIgnore {
    fiNone,              // search its files and its subfolders
    fiJustThis,          // skip its files, enter its subfolders
    fiJustSubfolders,    // search its files, do not enter its subfolders
    fiThisAndSubfolders, // skip both
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// One matching file as OnFileMatch receives it; the times are local.
struct TFileDetails {
    std::string Location; // folder, ending in "/"
    std::string Name;
    uint32_t Attributes = 0;
    int64_t Size = 0;
    TDateTime CreatedTime = 0;
    TDateTime ModifiedTime = 0;
    TDateTime AccessedTime = 0;
    // The open folder Location while OnFileMatch runs, for opening the file relative to
    // it; -1 when there is none.
    int FolderFd = -1;
};

// The details of one file as a search would report them; false when it is gone.
bool GetFileDetails(const std::string& path, TFileDetails& details);

class TFindFile {
public:
    using TNotifyEvent = std::function<void(TFindFile& sender)>;
    using TFileMatchEvent = std::function<void(TFindFile& sender, const TFileDetails& fileInfo)>;
    using TFolderChangeEvent = std::function<void(TFindFile& sender, const std::string& folder,
                                                  TFolderIgnore& ignoreFolder)>;
    // Runs task later in the owner's thread (a GUI posts it into its event loop).
    using TPostToOwner = std::function<void(std::function<void()> task)>;

    TFindFile();
    virtual ~TFindFile();
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    // The criteria of the next search; a running search works on its own copy.
    TSearchCriteria& Criteria() { return *criteria_; }
    void SetCriteria(const TSearchCriteria& value) { criteria_->Assign(value); }

    bool Threaded = false;
    // False: OnFileMatch gets the record the folder listing gives, without a look at the
    // file: for a regular file (not a link) Size and the times are 0, and a handler that
    // needs them reads them itself (through FolderFd) when it opens the file anyway.
    bool CompleteDetails = true;
    TThreadPriority ThreadPriority = tpNormal;

    TFileMatchEvent OnFileMatch;
    TFolderChangeEvent OnFolderChange;
    TNotifyEvent OnSearchBegin;
    TNotifyEvent OnSearchFinish;
    TNotifyEvent OnSearchAbort;
    // Told each folder the walk cannot list (with the system's error number, as errno),
    // so that a front end can name it; the walk goes on with the next one.
    std::function<void(const std::string& folder, int error)> OnFolderError;

    // Brings the end of a threaded search back to the owner's thread.
    TPostToOwner PostToOwner;
    // Called by Abort while a handler running in the worker holds the callback lock:
    // process one waiting message of the caller's thread, if any, so that the handler
    // can finish while the caller's windows stay responsive.
    std::function<void()> ProcessMessage;
    // Shows an exception that ended a threaded search (called in the worker); without
    // it the message goes to the standard error stream.
    std::function<void(std::exception_ptr)> ShowException;

    // Starts a search with the current Criteria; ignored while Busy. Synchronous: returns
    // when the search is over, an exception from a handler propagates after
    // OnSearchFinish. Threaded: returns at once.
    void Execute();
    // Asks the running search to stop and returns after OnSearchAbort has run. Ignored
    // when not Busy or already Aborted. The walk stops at the next folder entry.
    void Abort();

    bool Busy() const;
    // Set by Abort, cleared when a search begins.
    bool Aborted() const;
    // Depth of the folder being searched; the target folder is level 1.
    uint16_t Level() const;
    // Folders with any of these attributes are not entered: the Unset attributes of the
    // search's criteria among hidden, system, device, temporary, offline, encrypted and
    // virtual (with default criteria: hidden and system).
    uint32_t ExcludedFolderAttributes() const;

protected:
    // The records given to DoFileMatch and AcceptFile may be listing-only (see
    // platform::FindData); platform::CompleteFindData fills in the rest.
    virtual void DoSearchBegin();
    virtual void DoSearchFinish();
    virtual void DoSearchAbort();
    virtual TFolderIgnore DoFolderChange(const std::string& folder);
    virtual void DoFileMatch(const std::string& folder, const platform::FindData& entry);
    virtual bool AcceptFile(const std::string& folder, const platform::FindData& entry);

private:
    struct SearchState;

    void BeginSearch();
    void EndSearch();
    void SearchTargets(SearchState& state);
    void SearchIn(SearchState& state, const std::string& folder);
    void RunWorker(const std::shared_ptr<SearchState>& state, TThreadPriority priority);
    void ThreadedSearchDone();
    void ReleaseWorker();

    std::unique_ptr<TSearchCriteria> criteria_;
    // Shared with a running walk, so that the walk can unwind after the component is gone.
    std::shared_ptr<SearchState> state_;
    std::thread worker_;
};

} // namespace pictavo
