#pragma once
// One writer of an icon library at a time. A build or a removal reads the library,
// changes it and writes it back; two of them at once would each write their own
// version and one would lose the other's icons. The lock is taken on a lock file beside
// the library ("lib.icl.lock"), which outlives the renames of the library and its
// backup, and is removed again by the holder that ends.

#include "util/TempFileCleanup.h"

#include <functional>
#include <memory>
#include <string>

namespace pictavo {

// The library file a path names: symbolic links are followed (also to a file that does
// not exist yet), so that the file the link points to is updated and the link stays.
std::string LibraryFileName(const std::string& path);

// How often a wait for the library's lock looks again (and asks whether to go on).
inline constexpr int LockPollMs = 50;

class TLibraryLock {
public:
    // Waits while another process (or another lock of this one) holds the library,
    // calling onWait once before it does so that a front end can say why nothing
    // happens; raises EFCreateError when the lock file cannot be made.
    // Given whileWaiting, the wait calls it every LockPollMs and ends with whatever it
    // raises (a cancel, a time limit), so that a stuck holder never holds the caller for
    // good; without it the wait lasts until the holder lets go.
    explicit TLibraryLock(const std::string& libraryFileName,
                          const std::function<void(const std::string& lockFile)>& onWait = {},
                          const std::function<void()>& whileWaiting = {});
    ~TLibraryLock();
    TLibraryLock(const TLibraryLock&) = delete;
    TLibraryLock& operator=(const TLibraryLock&) = delete;

private:
    std::string FLockName;
    int FFd = -1;
    // Held locks only: a SIGINT or SIGTERM then removes the lock file as the holder would.
    std::unique_ptr<TTempFileRegistration> FRegistration;
};

} // namespace pictavo
