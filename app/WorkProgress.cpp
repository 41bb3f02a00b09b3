#include "app/WorkProgress.h"

void TWorkProgress::Step(size_t done, const std::string& item) {
    FDone = done;
    if (!item.empty()) {
        std::lock_guard<std::mutex> lock(FItemLock);
        FItem = item;
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
