#include "library/FileIcons.h"

#include "cursors/AnimatedCursor.h"
#include "icons/ModuleIcons.h"
#include "icons/MultiIcon.h"

#include "peres/FilePages.h"
#include "peres/ModuleReader.h"
#include "platform/RegularFile.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {

namespace {

// What is read of every file first; the size of a page of the module reader, which takes
// it as its first page.
constexpr size_t FirstBytes = FilePages::PageSize;

// An open file's descriptor, closed on every path.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// The file read through its pages, as IconStreamHasImages reads a stream.
class PagedStream : public Stream {
public:
    PagedStream(const FilePages& pages, uint64_t size) : pages_(pages), size_(size) {}
    size_t Read(void* buffer, size_t count) override {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, size_ - position_));
        if (n == 0 || !pages_.Read(position_, n, static_cast<uint8_t*>(buffer)))
            return 0;
        position_ += n;
        return n;
    }
    size_t Write(const void*, size_t) override { throw EWriteError("Stream write error"); }
    int64_t Seek(int64_t offset, SeekOrigin origin) override {
        const int64_t base = origin == SeekOrigin::Begin     ? 0
                             : origin == SeekOrigin::Current ? static_cast<int64_t>(position_)
                                                             : static_cast<int64_t>(size_);
        position_ = static_cast<uint64_t>(std::clamp<int64_t>(base + offset, 0, size_));
        return static_cast<int64_t>(position_);
    }
    int64_t Size() override { return static_cast<int64_t>(size_); }
    void SetSize(int64_t) override { throw EWriteError("Stream write error"); }

private:
    const FilePages& pages_;
    uint64_t size_;
    uint64_t position_ = 0;
};

bool IsModuleStart(const std::vector<uint8_t>& first) {
    return first.size() >= 2 && first[0] == 'M' && first[1] == 'Z';
}

// An icon or cursor file begins with a reserved 0 and its type, 1 or 2. Checking that
// first spares reading the entries of files that only look like a count of them (every
// 64-bit ELF file reads as 258 entries).
bool IsIconFileStart(const std::vector<uint8_t>& first) {
    return first.size() >= 4 && first[0] == 0 && first[1] == 0 &&
           (first[2] == 1 || first[2] == 2) && first[3] == 0;
}

bool IsAnimatedCursorStart(const std::vector<uint8_t>& first) {
    return IsAnimatedCursorData(first.data(), first.size());
}

// The frames of an animated cursor, read whole (they are small) but not decoded.
int FrameCountOfOpenFile(int fd, uint64_t size, std::vector<uint8_t> first) {
    if (size > MaxAnimatedCursorFile)
        return 0;
    std::vector<uint8_t> bytes = std::move(first);
    const size_t had = bytes.size();
    bytes.resize(static_cast<size_t>(size));
    if (size > had) {
        const ssize_t got = ::pread(fd, bytes.data() + had, bytes.size() - had,
                                    static_cast<off_t>(had));
        bytes.resize(had + (got > 0 ? static_cast<size_t>(got) : 0));
    }
    return static_cast<int>(AnimatedCursorFrameCount(bytes.data(), bytes.size()));
}

// The icon groups of a module, else 1 for an icon file with images, else 0.
int IconCountOfOpenFile(int fd, uint64_t size, std::vector<uint8_t> first) {
    if (IsAnimatedCursorStart(first))
        return FrameCountOfOpenFile(fd, size, std::move(first));
    if (IsModuleStart(first))
        if (const auto module = ModuleReader::FromOpenFile(fd, size, first)) {
            const int count = CountResources(*module, pe::RtGroupIcon);
            if (count > 0)
                return count;
        }
    if (!IsIconFileStart(first))
        return 0;
    const FilePages pages(fd, size, std::move(first));
    PagedStream stream(pages, size);
    return IconStreamHasImages(stream) ? 1 : 0;
}

} // namespace

std::optional<TFileIconProbe> ProbeFileIcons(int folderFd, const std::string& name,
                                             bool followLink) {
    // A link may name a device: look before opening it, as for a file given by name.
    const OpenFile file(followLink
                            ? platform::OpenRegularFile(name, O_RDONLY, folderFd)
                            : ::openat(folderFd, name.c_str(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.Fd() < 0)
        return std::nullopt;
    TFileIconProbe probe;
    std::vector<uint8_t> first(FirstBytes);
    const ssize_t got = ::pread(file.Fd(), first.data(), first.size(), 0);
    first.resize(got > 0 ? static_cast<size_t>(got) : 0);
    // Most files are told apart by their first bytes alone; only a module or an icon
    // file is looked at further.
    if (!IsModuleStart(first) && !IsIconFileStart(first) && !IsAnimatedCursorStart(first))
        return probe;
    struct stat info {};
    if (::fstat(file.Fd(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    probe.Size = info.st_size;
    probe.ModifiedTime = platform::FileTime{static_cast<int64_t>(info.st_mtim.tv_sec),
                                            static_cast<int32_t>(info.st_mtim.tv_nsec)};
    try {
        probe.IconCount =
            IconCountOfOpenFile(file.Fd(), static_cast<uint64_t>(probe.Size), std::move(first));
    } catch (...) {
        probe.IconCount = 0; // a probe of an arbitrary file: any failure means no icons
    }
    return probe;
}

int IconCountOfFile(const std::string& fileName) {
    const std::optional<TFileIconProbe> probe = ProbeFileIcons(AT_FDCWD, fileName, true);
    return probe ? probe->IconCount : 0;
}

void LoadFileIcon(TMultiIcon& icon, const std::string& fileName, int iconIndex) {
    TFileIconLoader().Load(icon, fileName, iconIndex);
}

void LoadFileIconById(TMultiIcon& icon, const std::string& fileName, const std::string& id) {
    const std::unique_ptr<ModuleReader> module = ModuleReader::Open(fileName);
    if (!module || CountResources(*module, pe::RtGroupIcon) == 0)
        throw Exception("Invalid module or no icon resources");
    const bool number = !id.empty() && id.find_first_not_of("0123456789") == std::string::npos;
    const std::string name = number ? "#" + id : id;
    if (id.empty() || !module->FindResource(name, pe::RtGroupIcon))
        throw Exception(Format("No icon with ID %s", id.c_str()));
    icon.LoadIconGroupResource(*module, name);
}

TFileIconLoader::TFileIconLoader() = default;
TFileIconLoader::~TFileIconLoader() = default;

void TFileIconLoader::Load(TMultiIcon& icon, const std::string& fileName, int iconIndex) {
    if ((!FModule && !FAnimation) || fileName != FFileName) {
        FModule.reset();
        FAnimation.reset();
        // An animated cursor's frames are its icons.
        if (IsAnimatedCursorFile(fileName))
            FAnimation = std::make_unique<TAnimatedCursor>(LoadAnimatedCursor(fileName));
        else
            FModule = std::make_unique<TModuleIcons>(fileName);
        FFileName = fileName;
    }
    if (FAnimation) {
        if (iconIndex < 0 || static_cast<size_t>(iconIndex) >= FAnimation->Frames.size())
            throw Exception(Format("No frame %d in the animated cursor (it holds %zu)", iconIndex,
                                   FAnimation->Frames.size()));
        icon.Assign(FAnimation->Frames[static_cast<size_t>(iconIndex)].get());
        return;
    }
    std::exception_ptr moduleError;
    try {
        FModule->Load(icon, iconIndex);
        return;
    } catch (const std::exception&) {
        moduleError = std::current_exception();
    }
    try {
        icon.LoadFromFile(fileName);
    } catch (const std::exception&) {
        // A module with icons is no icon file: its own error says what went wrong
        // ("Icon too large", "Invalid icon resource"), the icon-file reading's would not.
        if (FModule->Count() > 0)
            std::rethrow_exception(moduleError);
        throw;
    }
}

} // namespace pictavo
