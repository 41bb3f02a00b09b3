#include "app/WorkProgress.h"

void TWorkProgress::Step(size_t done, const std::string& item) {
    FDone = done;
    {
        std::lock_guard<std::mutex> lock(FItemLock);
        if (!item.empty())
            FItem = item;
        FWaiting.clear();
    }
    if (OnStep)
        OnStep(*this);
    if (FCancelled)
        throw TWorkCancelled();
}

std::string TWorkProgress::Item() const {
    std::lock_guard<std::mutex> lock(FItemLock);
    return FItem;
}

void TWorkProgress::SetWaiting(const std::string& text) {
    std::lock_guard<std::mutex> lock(FItemLock);
    FWaiting = text;
}

std::string TWorkProgress::Waiting() const {
    std::lock_guard<std::mutex> lock(FItemLock);
    return FWaiting;
}

bool ProgressShows(long long elapsedMs) {
    return elapsedMs >= ProgressDelayMs;
}

int ProgressPermille(size_t done, size_t total) {
    if (total == 0)
        return 0;
    if (done >= total)
        return 1000;
    return static_cast<int>(static_cast<unsigned long long>(done) * 1000 / total);
}
