#include "util/PngSignature.h"

#include <cstring>

namespace pictavo {

namespace {

const uint8_t PngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
const uint8_t MngSignature[8] = {0x8A, 0x4D, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t BigEndianU32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

} // namespace

bool HasPngSignature(const uint8_t* data, size_t size) {
    return data != nullptr && size >= 8 &&
           (std::memcmp(data, PngSignature, 8) == 0 || std::memcmp(data, MngSignature, 8) == 0);
}

bool ReadPngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    // Signature, then the first chunk: length 13, type IHDR, width and height big-endian.
    constexpr size_t HeaderBytes = 8 + 8 + 8;
    if (data == nullptr || size < HeaderBytes || std::memcmp(data, PngSignature, 8) != 0 ||
        BigEndianU32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    width = BigEndianU32(data + 16);
    height = BigEndianU32(data + 20);
    return true;
}

int ReadPngBitsPerPixel(const uint8_t* data, size_t size) {
    uint32_t width = 0, height = 0;
    // The bit depth and colour type follow the sizes in the header chunk.
    if (!ReadPngSize(data, size, width, height) || size < 26)
        return 0;
    const int depth = data[24];
    switch (data[25]) {
    case 0: // grey
    case 3: // palette index
        return depth;
    case 2: // red, green, blue
        return 3 * depth;
    case 4: // grey, alpha
        return 2 * depth;
    case 6: // red, green, blue, alpha
        return 4 * depth;
    default:
        return 0;
    }
}

} // namespace pictavo
