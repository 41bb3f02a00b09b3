// Long work of a window command, run off the window's thread: how far it is, and the
// request to stop it. The worker reports each step; a step after a cancel request ends
// the work with TWorkCancelled, so whatever the work does between steps is done whole.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string>

class TWorkCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

class TWorkProgress {
public:
    // Called on the worker's thread at every step (tests cancel part way with it).
    std::function<void(TWorkProgress&)> OnStep;

    void SetTotal(size_t total) { FTotal = total; }
    // `done` of the total are finished; `item` is what comes next. Raises TWorkCancelled
    // once a cancel was asked for.
    void Step(size_t done, const std::string& item = {});
    void Cancel() { FCancelled = true; }
    bool Cancelled() const { return FCancelled; }
    size_t Done() const { return FDone; }
    size_t Total() const { return FTotal; }
    std::string Item() const;
    // What the work waits for (another program), shown instead of the counts until the
    // next step; "" when it does not wait.
    void SetWaiting(const std::string& text);
    std::string Waiting() const;

private:
    std::atomic<size_t> FDone{0};
    std::atomic<size_t> FTotal{0};
    std::atomic<bool> FCancelled{false};
    mutable std::mutex FItemLock;
    std::string FItem;
    std::string FWaiting;
};

// The window shows a long command's progress once it has run this long.
inline constexpr int ProgressDelayMs = 500;
// ... and refreshes it at most this often.
inline constexpr int ProgressRefreshMs = 100;

// True when the progress should be on the screen after `elapsedMs` of work.
bool ProgressShows(long long elapsedMs);
// The progress bar's position out of 1000; 0 while the total is unknown.
int ProgressPermille(size_t done, size_t total);
