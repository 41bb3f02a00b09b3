#pragma once
// Little-endian loads and stores on raw bytes, the overflow-safe range test, and
// ByteView: a bounded window whose reads check themselves.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace pictavo {

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t LoadU64(const uint8_t* p) {
    return static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
}

inline int32_t LoadI32(const uint8_t* p) {
    return static_cast<int32_t>(LoadU32(p));
}

inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline void StoreI32(uint8_t* p, int32_t v) {
    StoreU32(p, static_cast<uint32_t>(v));
}

// Appends a little-endian value to a growing byte buffer.
inline void AppendU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
    AppendU16(out, static_cast<uint16_t>(v));
    AppendU16(out, static_cast<uint16_t>(v >> 16));
}

// True when [offset, offset + count) lies inside a buffer of `size` bytes.
inline bool RangeFits(uint64_t offset, uint64_t count, uint64_t size) {
    return offset <= size && count <= size - offset;
}

// A window onto bytes owned elsewhere. Every read is checked against the window; one
// that would leave it calls the failure the window was made with, which raises the
// caller's own error. A parser thus states its error once instead of proving the bound
// of each field before reading it.
class ByteView {
public:
    // Raises the caller's error. Should it return, the program stops rather than read
    // outside the window.
    using Failure = void (*)();

    ByteView(const uint8_t* data, size_t size, Failure fail)
        : FData(data), FSize(data != nullptr ? size : 0), FFail(fail) {}

    const uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }
    // True when [offset, offset + count) lies inside the window.
    bool Holds(uint64_t offset, uint64_t count) const { return RangeFits(offset, count, FSize); }

    uint8_t U8(uint64_t offset) const { return *At(offset, 1); }
    uint16_t U16(uint64_t offset) const { return LoadU16(At(offset, 2)); }
    uint32_t U32(uint64_t offset) const { return LoadU32(At(offset, 4)); }
    int32_t I32(uint64_t offset) const { return LoadI32(At(offset, 4)); }

    // The `length` bytes at `offset`, as a window that fails the same way.
    ByteView Sub(uint64_t offset, uint64_t length) const {
        return ByteView(At(offset, length), static_cast<size_t>(length), FFail);
    }
    // The window from `offset` to its end.
    ByteView From(uint64_t offset) const {
        if (offset > FSize)
            Fail();
        return Sub(offset, FSize - offset);
    }

    // The first of the `count` bytes at `offset`, after checking they are all inside.
    const uint8_t* At(uint64_t offset, uint64_t count) const {
        if (!Holds(offset, count))
            Fail();
        return FData + offset;
    }

    [[noreturn]] void Fail() const {
        FFail();
        std::abort();
    }

private:
    const uint8_t* FData;
    size_t FSize;
    Failure FFail;
};

} // namespace pictavo
