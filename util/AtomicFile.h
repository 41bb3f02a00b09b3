#pragma once
// Writing a file so that it is either left exactly as it was or replaced by the complete
// new content: the bytes go to a new temporary file in the target's folder, are flushed
// to the disk, and one rename puts them in place of the target. An interrupted or failed
// write leaves no half-written file, and a symbolic link planted at the target name is
// replaced itself, never followed.

#include "util/Stream.h"
#include "util/TempFileCleanup.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pictavo {

class TAtomicFile {
public:
    // Creates the temporary file beside fileName; raises EFCreateError when it cannot.
    // It gets the permission bits of the file it will replace, or those of a new file.
    explicit TAtomicFile(const std::string& fileName);
    // Removes the temporary file unless Commit succeeded.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Where the new content is written.
    Stream& Output() { return *FOutput; }
    const std::string& TempFileName() const { return FTempFileName; }

    // Flushes the new content to the disk and renames it over the target, then flushes
    // the folder. On failure the temporary file is removed and the target is as it was.
    void Commit();

    // As Commit, but an existing target is first kept under backupName (replacing an
    // older backup). At every moment the previous content exists under the target name
    // or the backup name. When the target exists but cannot be kept as the backup,
    // raises and leaves the target untouched.
    void CommitKeepingBackup(const std::string& backupName);

private:
    void Flush();
    void Replace();

    std::string FFileName;
    std::string FTempFileName;
    std::unique_ptr<FileStream> FOutput;
    std::unique_ptr<TTempFileRegistration> FRegistration;
    bool FCommitted = false;
};

// Whether anything has the name (a dangling link counts); raises EFOpenError when the
// system cannot tell.
bool Exists(const std::string& fileName);

// Writes the file through TAtomicFile: write fills the stream; on any exception from it
// the target stays as it was and the exception passes on.
void WriteFileAtomically(const std::string& fileName, const std::function<void(Stream&)>& write);
void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);

// The process id in the name of a writer's temporary file (".pictavo-<pid>-<hex>.tmp"),
// or nullopt for any other name.
std::optional<int> TempFileWriter(const std::string& name);

} // namespace pictavo
