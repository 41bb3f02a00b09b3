#include "util/AtomicFile.h"

#include "platform/Paths.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/random.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pictavo {

namespace {

// Tries before giving up when every chosen temporary name is taken.
constexpr int NameAttempts = 100;

uint32_t RandomNumber() {
    static std::atomic<uint32_t> counter{0};
    uint32_t value = 0;
    if (::getrandom(&value, sizeof value, GRND_NONBLOCK) != sizeof value)
        value = static_cast<uint32_t>(::getpid()) * 2654435761u + counter.fetch_add(1);
    return value;
}

constexpr const char* TempPrefix = ".pictavo-";
constexpr const char* TempSuffix = ".tmp";

std::string WithSlash(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// A name for a temporary file in a folder: hidden so that folder listings skip it, and
// carrying the writer's process id so that a person can tell whose it is.
std::string TempNameIn(const std::string& folder) {
    return WithSlash(folder) + Format("%s%d-%08x%s", TempPrefix, static_cast<int>(::getpid()),
                                      RandomNumber(), TempSuffix);
}

// The extended attribute that marks a temporary file as a writer's of this program. A
// file without it (a user's ".pictavo-9-draft.tmp", a file system without such
// attributes) is never taken for a dead writer's leftover.
constexpr char WriterMark[] = "user.pictavo.writer";

// Locks the new temporary file for its writer's whole life, then marks it: a marked file
// nobody holds is a dead writer's, whatever its process id means in this namespace.
void LockAndMark(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    ::fsetxattr(fd, WriterMark, "1", 1, 0);
}

// Whether the file open as `fd` is a temporary file of a writer that is gone.
bool IsDeadWritersFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
           ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fgetxattr(fd, WriterMark, nullptr, 0) >= 0;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the temporary files that writers killed outright (SIGKILL, a power cut) left in
// the folder, once per folder and process. Only names of our exact pattern that carry our
// mark and whose lock nobody holds are touched.
void RemoveDeadWritersLeftovers(const std::string& folder) {
    static std::mutex guard;
    static std::set<std::string> cleaned;
    {
        std::lock_guard<std::mutex> lock(guard);
        if (!cleaned.insert(folder).second)
            return;
    }
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return;
    const int dir = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        if (!TempFileWriter(entry->d_name))
            continue;
        const int fd =
            ::openat(dir, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {}, named{};
        if (IsDeadWritersFile(fd) && ::fstat(fd, &held) == 0 &&
            ::fstatat(dir, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(held, named))
            ::unlinkat(dir, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(listing);
}

std::string ErrorText() {
    return std::strerror(errno);
}

// Permission bits for the new file: those of the regular file it replaces, else none
// (a new file then gets the usual 0666 less the umask). A device or pipe at the name is
// refused: renaming over it would replace the node, not write into it.
// `exists` tells whether anything is at the name.
mode_t ModeToKeep(const std::string& fileName, bool& exists) {
    struct stat info {};
    const bool found = ::lstat(fileName.c_str(), &info) == 0;
    exists = found || errno != ENOENT;
    if (!found || S_ISLNK(info.st_mode) || S_ISDIR(info.st_mode))
        return 0;
    if (!S_ISREG(info.st_mode))
        throw EFCreateError(
            Format("Cannot create file \"%s\". Not a regular file", fileName.c_str()));
    return info.st_mode & 0777;
}

// The temporary file's stream. A large file's bytes are handed to the disk while the
// rest is still being written, so that the flush before the rename waits for the last
// part only, not for all of it.
class TEarlyWritebackStream : public FileStream {
public:
    // fd: the stream's own descriptor (taken over); sameFile: another descriptor of the
    // same open file (not owned) that starts the write-out.
    TEarlyWritebackStream(int fd, const std::string& fileName, int sameFile)
        : FileStream(fd, fileName), FSameFile(sameFile) {}

    size_t Write(const void* buffer, size_t count) override {
        const size_t done = FileStream::Write(buffer, count);
        FNotStarted += done;
        if (FNotStarted >= WritebackStep) {
            // Only a start: the pages already on their way are left alone, nothing waits,
            // and a failure here is met again by the flush.
            ::sync_file_range(FSameFile, 0, 0, SYNC_FILE_RANGE_WRITE);
            FNotStarted = 0;
        }
        return done;
    }

private:
    static constexpr size_t WritebackStep = 8 << 20;
    int FSameFile;
    size_t FNotStarted = 0;
};

void SyncFolder(const std::string& folder) {
    // The rename is done; a folder that cannot be flushed (some file systems refuse)
    // changes nothing about the result.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A second name for the file's content, made under a temporary name first so that the
// backup name only ever holds a whole file. False when the file system has no hard links.
bool LinkUnder(const std::string& fileName, const std::string& otherName) {
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::string linkName = TempNameIn(platform::FolderOf(otherName));
        const TTempFileRegistration registration(linkName, TTempKind::File);
        if (::link(fileName.c_str(), linkName.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK || errno == ENOSYS)
                return false;
            break;
        }
        if (std::rename(linkName.c_str(), otherName.c_str()) == 0) {
            // Where the backup name was already a link of the file, the rename did
            // nothing and the temporary name is still there.
            ::unlink(linkName.c_str());
            return true;
        }
        const int error = errno;
        ::unlink(linkName.c_str());
        errno = error;
        break;
    }
    throw EFCreateError(Format("Cannot keep \"%s\" as the backup \"%s\". %s", fileName.c_str(),
                               otherName.c_str(), ErrorText().c_str()));
}

void CopyUnder(const std::string& fileName, const std::string& otherName) {
    FileStream source(fileName, FileMode::OpenRead);
    TAtomicFile copy(otherName);
    copy.Output().CopyFrom(source, 0);
    copy.Commit();
}

} // namespace

bool Exists(const std::string& fileName) {
    struct stat info {};
    if (::lstat(fileName.c_str(), &info) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName.c_str(), ErrorText().c_str()));
}

std::optional<int> TempFileWriter(const std::string& name) {
    // Exactly ".pictavo-<pid>-<8 lower-case hex digits>.tmp", as TempNameIn makes them.
    const std::string prefix = TempPrefix, suffix = TempSuffix;
    constexpr size_t HexDigits = 8;
    if (name.size() <= prefix.size() + suffix.size() + HexDigits + 1 ||
        name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const size_t dash = name.size() - suffix.size() - HexDigits - 1;
    if (name[dash] != '-' || dash == prefix.size() || dash - prefix.size() > 9)
        return std::nullopt;
    for (size_t i = dash + 1; i < dash + 1 + HexDigits; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])) || std::isupper(name[i]))
            return std::nullopt;
    int pid = 0;
    for (size_t i = prefix.size(); i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        pid = pid * 10 + (name[i] - '0');
    }
    if (pid <= 0)
        return std::nullopt;
    return pid;
}

TAtomicFile::TAtomicFile(const std::string& fileName) : FFileName(fileName) {
    const mode_t keep = ModeToKeep(fileName, FReplacesFile);
    RemoveDeadWritersLeftovers(platform::FolderOf(fileName));
    int fd = -1;
    for (int attempt = 0; attempt < NameAttempts && fd < 0; ++attempt) {
        FTempFileName = TempNameIn(platform::FolderOf(fileName));
        // Registered before it exists: a signal between the two leaves nothing behind.
        FRegistration = std::make_unique<TTempFileRegistration>(FTempFileName, TTempKind::File);
        fd =
            ::open(FTempFileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            FRegistration.reset();
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", fileName.c_str(), ErrorText().c_str()));
    LockAndMark(fd);
    // The lock lives on in this second descriptor until the rename: the stream's is
    // closed by the flush before it.
    FLockFd = ::dup(fd);
    FOutput = std::make_unique<TEarlyWritebackStream>(fd, FTempFileName, FLockFd);
    if (keep != 0)
        ::fchmod(fd, keep);
}

TAtomicFile::~TAtomicFile() {
    FOutput.reset();
    if (!FCommitted)
        ::unlink(FTempFileName.c_str());
    if (FLockFd >= 0)
        ::close(FLockFd);
}

void TAtomicFile::Commit() {
    Flush();
    Replace();
}

void TAtomicFile::CommitKeepingBackup(const std::string& backupName) {
    Flush();
    if (Exists(FFileName) && !LinkUnder(FFileName, backupName))
        CopyUnder(FFileName, backupName);
    Replace();
}

void TAtomicFile::Flush() {
    if (!FOutput)
        throw EWriteError("Stream write error: the file is already written");
    FOutput->Sync();
    FOutput.reset();
}

void TAtomicFile::Replace() {
    Rename();
    SyncFolder(platform::FolderOf(FFileName));
}

void TAtomicFile::Rename() {
    // The file keeps its lock to the rename; the mark has no business on the result.
    if (FLockFd >= 0)
        ::fremovexattr(FLockFd, WriterMark);
    if (std::rename(FTempFileName.c_str(), FFileName.c_str()) != 0)
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", FFileName.c_str(), ErrorText().c_str()));
    FCommitted = true;
}

void TAtomicFile::CommitUnflushed() {
    if (!FOutput)
        throw EWriteError("Stream write error: the file is already written");
    FOutput.reset();
    Rename();
}

TAtomicFileBatch::~TAtomicFileBatch() {
    try {
        Flush();
    } catch (const std::exception&) {
        // A destructor cannot report it; the files are in place all the same.
    }
}

void TAtomicFileBatch::Write(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    TAtomicFile file(fileName);
    file.Output().WriteBuffer(bytes.data(), bytes.size());
    if (file.ReplacesFile()) {
        file.Commit();
        return;
    }
    file.CommitUnflushed();
    const std::string folder = platform::FolderOf(fileName);
    if (std::find(FFolders.begin(), FFolders.end(), folder) == FFolders.end())
        FFolders.push_back(folder);
}

void TAtomicFileBatch::Flush() {
    const std::vector<std::string> folders = std::move(FFolders);
    FFolders.clear();
    // One flush of the whole file system writes the files and the folders in one journal
    // commit; a flush per file would commit once per file.
    for (const std::string& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool flushed = fd >= 0 && ::syncfs(fd) == 0;
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!flushed)
            throw EWriteError(Format("Stream write error: %s", std::strerror(error)));
    }
}

void WriteFileAtomically(const std::string& fileName, const std::function<void(Stream&)>& write) {
    TAtomicFile file(fileName);
    write(file.Output());
    file.Commit();
}

void WriteFileAtomically(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    WriteFileAtomically(fileName,
                        [&bytes](Stream& out) { out.WriteBuffer(bytes.data(), bytes.size()); });
}

} // namespace pictavo
