#pragma once
// Little-endian loads and stores on raw bytes, and the overflow-safe range test
// every parser uses before it touches a field.

#include <cstddef>
#include <cstdint>
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

} // namespace pictavo
