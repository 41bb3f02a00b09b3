#include "util/Stream.h"

#include "platform/RegularFile.h"
#include "util/AtomicFile.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {

namespace {

// The new position of a seek, or -1 when it would be negative or overflow.
int64_t SeekTarget(int64_t offset, SeekOrigin origin, int64_t current, int64_t size) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = current;
    else if (origin == SeekOrigin::End)
        base = size;
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0)
        return -1;
    return target;
}

// Moves a byte-buffer stream's position; a target before the start is refused.
size_t SeekInBytes(int64_t offset, SeekOrigin origin, size_t position, size_t size) {
    const int64_t target =
        SeekTarget(offset, origin, static_cast<int64_t>(position), static_cast<int64_t>(size));
    if (target < 0)
        throw EStreamError("Invalid stream seek");
    return static_cast<size_t>(target);
}

// Reads from a byte buffer at position, advancing it; returns the bytes read.
size_t ReadFromBytes(const uint8_t* data, size_t size, size_t& position, void* buffer,
                     size_t count) {
    if (position >= size)
        return 0;
    const size_t n = std::min(count, size - position);
    std::memcpy(buffer, data + position, n);
    position += n;
    return n;
}

} // namespace

int64_t Stream::Size() {
    const int64_t position = Seek(0, SeekOrigin::Current);
    const int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

void Stream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void Stream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t Stream::CopyFrom(Stream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError("Stream read error");
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 1 << 16)));
    int64_t left = count;
    while (left > 0) {
        const size_t chunk = static_cast<size_t>(std::min<int64_t>(left, buffer.size()));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        left -= static_cast<int64_t>(chunk);
    }
    return count;
}

uint8_t Stream::ReadU8() {
    uint8_t b = 0;
    ReadBuffer(&b, 1);
    return b;
}

uint16_t Stream::ReadU16() {
    uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t Stream::ReadU32() {
    uint8_t b[4];
    ReadBuffer(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void Stream::WriteU8(uint8_t value) {
    WriteBuffer(&value, 1);
}

void Stream::WriteU16(uint16_t value) {
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    WriteBuffer(b, 2);
}

void Stream::WriteU32(uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    WriteBuffer(b, 4);
}

void Stream::WriteZeros(size_t count) {
    static const uint8_t zeros[512] = {};
    while (count > 0) {
        const size_t chunk = std::min(count, sizeof zeros);
        WriteBuffer(zeros, chunk);
        count -= chunk;
    }
}

// ---- MemoryStream

size_t MemoryStream::Read(void* buffer, size_t count) {
    return ReadFromBytes(bytes_.data(), bytes_.size(), position_, buffer, count);
}

size_t MemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0)
        return 0;
    if (position_ + count > bytes_.size())
        bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    position_ = SeekInBytes(offset, origin, position_, bytes_.size());
    return static_cast<int64_t>(position_);
}

void MemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0)
        throw EStreamError("Invalid stream size");
    bytes_.resize(static_cast<size_t>(newSize));
    position_ = std::min(position_, bytes_.size());
}

void MemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

std::vector<uint8_t> MemoryStream::TakeBytes() {
    std::vector<uint8_t> result = std::move(bytes_);
    Clear();
    return result;
}

void MemoryStream::LoadFromFile(const std::string& fileName) {
    bytes_ = ReadFileBytes(fileName);
    position_ = 0;
}

void MemoryStream::SaveToFile(const std::string& fileName) {
    WriteFileBytes(fileName, bytes_);
}

// ---- ByteViewStream

size_t ByteViewStream::Read(void* buffer, size_t count) {
    return ReadFromBytes(data_, size_, position_, buffer, count);
}

size_t ByteViewStream::Write(const void*, size_t) {
    throw EWriteError("Stream write error");
}

int64_t ByteViewStream::Seek(int64_t offset, SeekOrigin origin) {
    position_ = SeekInBytes(offset, origin, position_, size_);
    return static_cast<int64_t>(position_);
}

void ByteViewStream::SetSize(int64_t) {
    throw EStreamError("Invalid stream size");
}

// ---- FileStream

FileStream::FileStream(const std::string& fileName, FileMode mode) : fileName_(fileName) {
    // Readers take regular files only: a FIFO or device would block or misbehave.
    if (mode == FileMode::Create)
        fd_ = ::open(fileName.c_str(), O_CLOEXEC | O_RDWR | O_CREAT | O_TRUNC, 0666);
    else
        fd_ = platform::OpenRegularFile(fileName, mode == FileMode::OpenRead ? O_RDONLY : O_RDWR);
    if (fd_ < 0) {
        const std::string reason = platform::OpenErrorText(errno);
        if (mode == FileMode::Create)
            throw EFCreateError(
                Format("Cannot create file \"%s\". %s", fileName.c_str(), reason.c_str()));
        throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName.c_str(), reason.c_str()));
    }
}

FileStream::~FileStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

size_t FileStream::Read(void* buffer, size_t count) {
    size_t done = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EReadError(Format("Stream read error: %s", std::strerror(errno)));
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t FileStream::Write(const void* buffer, size_t count) {
    size_t done = 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(fd_, in + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EWriteError(Format("Stream write error: %s", std::strerror(errno)));
        done += static_cast<size_t>(n);
    }
    return done;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                       : origin == SeekOrigin::Current ? SEEK_CUR
                                                       : SEEK_END;
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0)
        throw EStreamError("Invalid stream seek");
    return result;
}

int64_t FileStream::Size() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw EStreamError("Invalid stream size");
    return info.st_size;
}

void FileStream::SetSize(int64_t newSize) {
    if (newSize < 0 || ::ftruncate(fd_, static_cast<off_t>(newSize)) != 0)
        throw EStreamError("Invalid stream size");
    if (Position() > newSize)
        SetPosition(newSize);
}

void FileStream::Sync() {
    if (::fsync(fd_) != 0)
        throw EWriteError(Format("Stream write error: %s", std::strerror(errno)));
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
    FileStream file(fileName, FileMode::OpenRead);
    const int64_t size = file.Size();
    if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max() / 2)
        throw EReadError("Stream read error");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    WriteFileAtomically(fileName, bytes);
}

} // namespace pictavo
