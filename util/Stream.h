#pragma once
// Byte streams with a position: the abstract Stream, a growable MemoryStream,
// a read-only view over bytes owned elsewhere, and a FileStream over a POSIX file.
// Multi-byte values are read and written little-endian, field by field.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes count bytes or raises EWriteError.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Remaining() { return Size() - Position(); }

    // Reads exactly count bytes or raises EReadError ("Stream read error").
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);

    // Copies count bytes from source at its position; count 0 copies the whole
    // source from its start. Returns the bytes copied.
    int64_t CopyFrom(Stream& source, int64_t count);

    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int16_t ReadI16() { return static_cast<int16_t>(ReadU16()); }
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
    void WriteZeros(size_t count);
};

// A growable byte buffer with a position.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
    void SetSize(int64_t newSize) override;
    void Clear();

    const uint8_t* Memory() const { return bytes_.data(); }
    uint8_t* Memory() { return bytes_.data(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> TakeBytes();

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// Reads bytes owned by someone else (a mapped file, a constant table). Not writable.
class ByteViewStream : public Stream {
public:
    ByteViewStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(size_); }
    void SetSize(int64_t newSize) override;

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

enum class FileMode {
    OpenRead,      // existing file, read only; others may read
    OpenReadWrite, // existing file, read and write
    Create,        // create or truncate, write
};

class FileStream : public Stream {
public:
    FileStream(const std::string& fileName, FileMode mode);
    // Takes over a descriptor opened elsewhere (read and write); closes it when destroyed.
    FileStream(int fd, const std::string& fileName) : fileName_(fileName), fd_(fd) {}
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t newSize) override;
    // Flushes the written bytes to the disk; raises EWriteError when that fails.
    void Sync();
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
};

// Whole-file helpers. Writing goes through a temporary file (util/AtomicFile.h): the
// file holds the old or the complete new bytes, never a part.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);

} // namespace pictavo
