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
    // raises and leaves the target untouched. The backup is the previous file itself under
    // a second name (no bytes are copied where the file system has hard links): other
    // hard links of the target stay with it and keep the previous content.
    void CommitKeepingBackup(const std::string& backupName);

    // For a write of many files (TAtomicFileBatch): renames the new content over the
    // target without flushing it; the caller flushes it later, with its folder. The rename
    // alone is atomic; only the flush is deferred.
    void CommitUnflushed();

    // Whether a file existed at the target name when the write began.
    bool ReplacesFile() const { return FReplacesFile; }

private:
    void Flush();
    void Replace();
    void Rename();

    std::string FFileName;
    std::string FTempFileName;
    std::unique_ptr<FileStream> FOutput;
    std::unique_ptr<TTempFileRegistration> FRegistration;
    int FLockFd = -1; // the temporary file, locked while its writer lives
    bool FCommitted = false;
    bool FReplacesFile = false;
};

// Writing many files with one flush at the end: each file is written to a temporary file
// and renamed into place at once, so every name holds nothing or the whole content; the
// new files and their folders reach the disk together by Flush (one flush of their file
// system), one step for the batch instead of two flushes per file. A file that replaces
// an existing one is flushed before its rename, as by WriteFileAtomically, so that the old
// content is never traded for bytes not yet on the disk.
class TAtomicFileBatch {
public:
    TAtomicFileBatch() = default;
    // Flushes what is still pending; errors are then ignored (call Flush to see them).
    ~TAtomicFileBatch();
    TAtomicFileBatch(const TAtomicFileBatch&) = delete;
    TAtomicFileBatch& operator=(const TAtomicFileBatch&) = delete;

    // Writes fileName; raises as WriteFileAtomically does.
    void Write(const std::string& fileName, const std::vector<uint8_t>& bytes);
    // Puts every file written since the last Flush on the disk, with their folders;
    // raises EWriteError when that fails.
    void Flush();

private:
    std::vector<std::string> FFolders; // of the files not flushed yet, each once
};

// Whether anything has the name (a dangling link counts); raises EFOpenError when the
// system cannot tell.
bool Exists(const std::string& fileName);

// Writes the file through TAtomicFile: write fills the stream; on any exception from it
// the target stays as it was and the exception passes on.
void WriteFileAtomically(const std::string& fileName, const std::function<void(Stream&)>& write);
void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes);

// The process id in the name of a writer's temporary file (exactly
// ".pictavo-<pid>-<8 hex digits>.tmp"), or nullopt for any other name. The id only names
// the writer; whether it lives is told by the file's lock, never by the id.
std::optional<int> TempFileWriter(const std::string& name);

} // namespace pictavo
