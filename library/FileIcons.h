#pragma once
// The icons of a file as the file list counts them and as the commands that take an
// icon from a file load it: the icon groups of a module, the frames of an animated cursor
// (.ani), else the file itself as one ICO/CUR icon.

#include "platform/FileTime.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pictavo {

class TMultiIcon;
class TModuleIcons;
struct TAnimatedCursor;

// The icon groups of a module, the frames of an animated cursor, else 1 for a file that
// holds an ICO/CUR stream with at least one image, else 0. Decodes no pixels. Never raises: a
// file that is neither counts 0.
int IconCountOfFile(const std::string& fileName);

// What a folder scan learns of one file: its icon count (as IconCountOfFile counts) and,
// for a file that may hold icons, its size and modification time from the same open file.
struct TFileIconProbe {
    int IconCount = 0;
    int64_t Size = 0;
    platform::FileTime ModifiedTime;
};

// Probes the file `name` of the open folder folderFd (AT_FDCWD: name is a path) with one
// open and one read of its first 4 KB, whose first bytes decide what else is done: for a
// module or an icon file one fstat, then the reads of its headers and resource directory
// or of its entries (an animated cursor is read whole); nothing for any other file. A symbolic link is followed only with
// followLink. nullopt when the file cannot be opened or is no regular file. Never raises.
std::optional<TFileIconProbe> ProbeFileIcons(int folderFd, const std::string& name,
                                             bool followLink);

// Icon `iconIndex` of the module (frame `iconIndex` of an animated cursor, whose read
// errors propagate), or, when the module cannot give it, the whole file as an icon file. When that fails too, the error propagates: the module's for a module
// with icon groups, else the icon file's.
void LoadFileIcon(TMultiIcon& icon, const std::string& fileName, int iconIndex);

// The icon group of a module named by its resource ID, as Windows' "FILE,-ID" names an
// icon: a number ("101" or "#101") or a group's text name (in any case). Raises
// "Invalid module or no icon resources" for a file that is no module, "No icon with ID
// ..." when the module has no such group, and the errors of the load.
void LoadFileIconById(TMultiIcon& icon, const std::string& fileName, const std::string& id);

// LoadFileIcon for many icons: the module last asked for stays open, so that taking
// every icon of a file, one after the other, is one pass over it.
class TFileIconLoader {
public:
    TFileIconLoader();
    ~TFileIconLoader();
    TFileIconLoader(const TFileIconLoader&) = delete;
    TFileIconLoader& operator=(const TFileIconLoader&) = delete;

    void Load(TMultiIcon& icon, const std::string& fileName, int iconIndex);

private:
    std::string FFileName;
    std::unique_ptr<TModuleIcons> FModule;
    std::unique_ptr<TAnimatedCursor> FAnimation; // when the file is an animated cursor
};

} // namespace pictavo
