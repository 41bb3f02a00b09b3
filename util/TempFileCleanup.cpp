#include "util/TempFileCleanup.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace pictavo {

namespace {

// A command has a handful of temporary files at once; the slots are fixed so that the
// signal handler reads them without locks or allocation.
constexpr int SlotCount = 64;

using Slots = std::array<std::atomic<char*>, SlotCount>;

// Constant-initialised, so the handler never meets a half-built table.
constinit Slots FileSlots{};
constinit Slots FolderSlots{};

Slots& SlotsOf(TTempKind kind) {
    return kind == TTempKind::Folder ? FolderSlots : FileSlots;
}

void OnSignal(int signal) {
    RemoveRegisteredTempFiles();
    // The handler was installed with SA_RESETHAND: this ends the process by the signal.
    ::raise(signal);
}

} // namespace

TTempFileRegistration::TTempFileRegistration(const std::string& path, TTempKind kind) {
    char* copy = ::strdup(path.c_str());
    if (copy == nullptr)
        return;
    Slots& slots = SlotsOf(kind);
    for (int i = 0; i < SlotCount; ++i) {
        char* expected = nullptr;
        if (slots[i].compare_exchange_strong(expected, copy)) {
            FKind = kind;
            FSlot = i;
            return;
        }
    }
    std::free(copy);
}

TTempFileRegistration::~TTempFileRegistration() {
    if (FSlot < 0)
        return;
    // The slot is emptied before the text is freed, so the handler never reads freed memory.
    std::free(SlotsOf(FKind)[FSlot].exchange(nullptr));
}

void RemoveRegisteredTempFiles() {
    for (const std::atomic<char*>& slot : FileSlots)
        if (const char* path = slot.load())
            ::unlink(path);
    for (const std::atomic<char*>& slot : FolderSlots)
        if (const char* path = slot.load())
            ::rmdir(path);
}

void InstallTempFileCleanupOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = OnSignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace pictavo
