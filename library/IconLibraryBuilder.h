#pragma once
// Collecting icons into an icon library: a 32-bit PE resource DLL (.icl / .dll) with
// one icon-group resource per icon, made from the template DLL of the program's
// storage or updated in place, and removing an icon from such a library again.

#include <functional>
#include <string>
#include <vector>

namespace pictavo {

// One icon to collect: icon `IconIndex` of the module, or the whole file when the
// module cannot give that icon (an ICO/CUR file).
struct TIconSource {
    std::string FileName;
    int IconIndex = 0;
};

// When each new group is created. The file-list command creates it before the icon is
// loaded, the icon-view command after the temporary .ico is written; the difference
// shows only when a load fails and ends the build.
enum class TGroupCreation { BeforeLoad, AfterSave };

// Told the file a build turns to before it reads or writes it, with the icons done so
// far and the icons in all.
using TBuildProgress = std::function<void(const std::string& fileName, size_t done, size_t total)>;

struct TIconLibraryBuild {
    std::string FileName;
    std::vector<TIconSource> Sources;
    // Start from the template even when FileName exists (the "overwrite" answer). The
    // existing file is not deleted first: it stays until the new library is written,
    // and then remains as the backup (lib.icl -> lib.~icl).
    bool Rebuild = false;
    TGroupCreation GroupCreation = TGroupCreation::BeforeLoad;
    // Told the file the build turns to before it reads or writes it, with the icons done
    // so far: the library first (0), each source, the library again before it is written
    // (all done). A front end shows progress with it and, when an error ends the build,
    // names the file the error is about: the last one it was told.
    TBuildProgress OnProgress;
    // Told the lock file when another build or removal holds the library and this one
    // waits for it.
    std::function<void(const std::string& lockFile)> OnWaitForLock;
    // For pre-Vista loaders: leave out images 255 pixels high or more, and an icon left
    // with no image at all (told to OnSkip).
    bool Classic = false;
    // Told why an icon was left out of a classic build.
    std::function<void(const std::string& message)> OnSkip;
    // Asked again and again while the build waits for the library's lock (OnWaitForLock);
    // whatever it raises ends the wait and the build, with nothing written.
    std::function<void()> WhileWaitingForLock;
};

// Every icon index 0 .. iconCount - 1 of a file, in order.
std::vector<TIconSource> EveryIconOf(const std::string& fileName, int iconCount);

// Builds (or updates) the library and returns the number of groups added. A library
// path that is a symbolic link updates the file the link points to. The library is
// locked (TLibraryLock) from reading to writing; another writer waits. An icon that
// can be read neither from a module nor as an icon file ends the build with its error,
// and nothing is written, as does a library with no image numbers left for an icon's
// images (EImageNumbersExhausted). Every image goes in, PNG-compressed and 256-pixel ones
// too (unless Classic); an image that cannot be stored ends the build, naming the icon,
// and nothing is written. The resources are sorted and the library written with the
// previous file kept as the backup.
int BuildIconLibrary(const TIconLibraryBuild& build);

// The window's two builders over their sources.
int BuildLibraryFromList(const std::string& fileName, const std::vector<TIconSource>& sources,
                         bool rebuild);
// The same with progress (see TIconLibraryBuild::OnProgress).
int BuildLibraryFromList(const std::string& fileName, const std::vector<TIconSource>& sources,
                         bool rebuild, const TBuildProgress& onProgress);
int BuildLibraryFromView(const std::string& fileName, const std::vector<TIconSource>& sources,
                         bool rebuild);

// Removes icon number `iconIndex` (counting the icon groups in list order) with its
// images and writes the library back (with the backup), links followed and locked as
// BuildIconLibrary does. False, and the file left untouched, when the library has no
// such icon.
bool RemoveIconGroupFromLibrary(
    const std::string& fileName, int iconIndex,
    const std::function<void(const std::string& lockFile)>& onWaitForLock = {},
    const std::function<void()>& whileWaitingForLock = {});

} // namespace pictavo
