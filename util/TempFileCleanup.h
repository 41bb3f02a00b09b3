#pragma once
// Temporary files and folders that a command is writing, removed also when a SIGINT or
// SIGTERM ends the process half way. Normal paths remove their own temporary files; this
// registry only covers the signal, whose handler may do nothing but unlink and rmdir.

#include <string>

namespace pictavo {

// A Tree is a folder removed with what it holds, three levels deep (a cursor theme being
// written holds too many files to register each).
enum class TTempKind { File, Folder, Tree };

// Registers a path for removal by the signal handler while the object lives. Files are
// removed before folders, so a folder whose files are registered too ends up empty and goes.
class TTempFileRegistration {
public:
    TTempFileRegistration(const std::string& path, TTempKind kind);
    ~TTempFileRegistration();
    TTempFileRegistration(const TTempFileRegistration&) = delete;
    TTempFileRegistration& operator=(const TTempFileRegistration&) = delete;

private:
    TTempKind FKind = TTempKind::File;
    int FSlot = -1; // -1 when every slot was taken: the path is then not covered
};

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove every registered path and
// then end the process by the same signal. A signal the process ignores stays ignored.
void InstallTempFileCleanupOnSignals();

// Removes the folder `name` of the open folder parentFd (AT_FDCWD: name is a path) with
// what it holds, `depth` levels down. Only system calls, as a signal handler may make, and
// no memory but the stack; a link is removed, never followed.
void RemoveFolderTree(int parentFd, const char* name, int depth);

// What the handler does, callable for tests: removes every registered path.
void RemoveRegisteredTempFiles();

} // namespace pictavo
