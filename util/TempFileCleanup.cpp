#include "util/TempFileCleanup.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
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
constinit Slots TreeSlots{};

Slots& SlotsOf(TTempKind kind) {
    switch (kind) {
    case TTempKind::Folder:
        return FolderSlots;
    case TTempKind::Tree:
        return TreeSlots;
    case TTempKind::File:
        break;
    }
    return FileSlots;
}

// How deep a registered tree is removed below its folder.
constexpr int TreeDepth = 3;

// Removes what the open folder holds, `depth` levels down.
void RemoveEntries(int fd, int depth) {
    alignas(8) char entries[2048];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, entries, sizeof entries);
        if (got <= 0)
            break;
        // struct linux_dirent64: inode (8 bytes), offset (8), record length (2), type (1),
        // the name, NUL-terminated.
        for (long at = 0; at + 19 < got;) {
            unsigned short length = 0;
            std::memcpy(&length, entries + at + 16, sizeof length);
            if (length == 0)
                break;
            const char* entry = entries + at + 19;
            at += length;
            if (std::strcmp(entry, ".") == 0 || std::strcmp(entry, "..") == 0)
                continue;
            if (::unlinkat(fd, entry, 0) != 0 && depth > 0)
                RemoveFolderTree(fd, entry, depth - 1);
        }
    }
}

void OnSignal(int signal) {
    RemoveRegisteredTempFiles();
    // The handler was installed with SA_RESETHAND: this ends the process by the signal.
    ::raise(signal);
}

} // namespace

// Names removed while the folder is read may hide others from that reading: it is read
// again while the folder is not empty.
void RemoveFolderTree(int parentFd, const char* name, int depth) {
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    for (int pass = 0; pass < 3; ++pass) {
        ::lseek(fd, 0, SEEK_SET);
        RemoveEntries(fd, depth);
        if (::unlinkat(parentFd, name, AT_REMOVEDIR) == 0)
            break;
    }
    ::close(fd);
}

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
    for (const std::atomic<char*>& slot : TreeSlots)
        if (const char* path = slot.load())
            RemoveFolderTree(AT_FDCWD, path, TreeDepth);
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
