#pragma once
// Giving a Windows program (PE32 or PE32+, .exe or .dll) its icon: one icon group of the
// program is filled with the images of an icon, in place, with the rules of a library
// update (lock, backup name.~exe, atomic write). Every other resource, every other
// section and the bytes after the last section keep their bytes.

#include <functional>
#include <string>

namespace pictavo {

struct TProgramIconChange {
    std::string ProgramFileName;
    // The icon: an .ico file (IconIndex 0) or icon IconIndex of a module.
    std::string IconFileName;
    int IconIndex = 0;
    // Which group: the one named GroupName, else icon group number GroupIndex (counted
    // as `pictavo-cli icons` counts them), else the first (the one Windows shows).
    std::string GroupName;
    int GroupIndex = -1;
    // Write a signed program without its certificate table instead of refusing it.
    bool StripSignature = false;
    // Told the lock file when another writer holds the program and this one waits.
    std::function<void(const std::string& lockFile)> OnWaitForLock;
};

struct TProgramIconResult {
    std::string GroupName; // the group that holds the new images
    int ImageCount = 0;
    std::string BackupFileName; // where the previous program stays
};

// Raises when the program cannot be read or written (ESignedImage for a signed one), the
// icon cannot be read, or the group asked for is not there; the program is then left as
// it was. A program without any icon group gets group GroupName, or 1.
TProgramIconResult SetProgramIcon(const TProgramIconChange& change);

} // namespace pictavo
