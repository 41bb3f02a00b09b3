#pragma once
// A folder of this process's own under the user's temporary folder, readable and
// writable by the owner only, removed with everything in it when the object goes.
// Files with fixed names ("temp.ico") go in here, never directly into the shared
// temporary folder where another user could plant a link under that name.
// It carries a marker file and the process keeps it locked for its whole life, so that a
// later run removes the folder of a run that was killed (SIGKILL leaves no chance to
// clean up) and nothing else: no folder without the marker, none whose owner lives.

#include "util/TempFileCleanup.h"

#include <list>
#include <memory>
#include <set>
#include <string>

namespace pictavo {

class TPrivateTempFolder {
public:
    // Raises EFCreateError when the folder cannot be made.
    TPrivateTempFolder();
    ~TPrivateTempFolder();
    TPrivateTempFolder(const TPrivateTempFolder&) = delete;
    TPrivateTempFolder& operator=(const TPrivateTempFolder&) = delete;

    // The folder with a trailing "/".
    const std::string& Path() const { return FPath; }

    // The path of a file of this folder, removed with the folder also when a SIGINT or
    // SIGTERM ends the process.
    std::string File(const std::string& name);

private:
    std::string FPath;
    std::unique_ptr<TTempFileRegistration> FRegistration;
    int FLock = -1; // the folder, open and locked while this object lives
    std::list<TTempFileRegistration> FFiles;
    std::set<std::string> FFileNames; // each registered once, however often asked for
};

// Whether the path lies inside a private temporary folder of this or another run: a
// file that goes when that run ends, so nothing to remember or to open again later.
bool IsInPrivateTempFolder(const std::string& path);

} // namespace pictavo
