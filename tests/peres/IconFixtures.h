#pragma once
// Small icon and cursor images and containers made in memory for the tests of the
// icon, cursor and bitmap resources.

#include "util/Bytes.h"
#include "util/Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo::test {

inline size_t RowBytes(int width, int bits) {
    return static_cast<size_t>((width * bits + 31) / 32 * 4);
}

// One image in resource form: BITMAPINFOHEADER (biSizeImage as given), a colour table
// of 2^bits grey entries for 1-8 bits, XOR bits filled with `fill`, AND mask all 0
// (opaque).
inline std::vector<uint8_t> IconImageBytes(int width, int height, int bits,
                                           uint32_t compression = 0, uint32_t sizeImage = 0,
                                           uint8_t fill = 0x11) {
    MemoryStream out;
    out.WriteU32(40);
    out.WriteI32(width);
    out.WriteI32(height * 2);
    out.WriteU16(1);
    out.WriteU16(static_cast<uint16_t>(bits));
    out.WriteU32(compression);
    out.WriteU32(sizeImage);
    out.WriteZeros(16);
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i) {
            const auto grey = static_cast<uint8_t>(i * 255 / ((1 << bits) - 1));
            const uint8_t quad[4] = {grey, grey, grey, 0};
            out.WriteBuffer(quad, 4);
        }
    if (compression == 3)
        out.WriteZeros(12);
    const std::vector<uint8_t> xorBits(RowBytes(width, bits) * static_cast<size_t>(height), fill);
    out.WriteBuffer(xorBits.data(), xorBits.size());
    out.WriteZeros(RowBytes(width, 1) * static_cast<size_t>(height));
    return out.TakeBytes();
}

struct ContainerImage {
    int Width = 0; // as stored in the directory byte
    int Height = 0;
    std::vector<uint8_t> Data;
    uint16_t Planes = 1;   // the hot spot x of a cursor file
    uint16_t BitCount = 0; // the hot spot y of a cursor file
};

// An ICO (kind 1) or CUR (kind 2) container with the images in order.
inline std::vector<uint8_t> Container(uint16_t kind, const std::vector<ContainerImage>& images) {
    MemoryStream out;
    out.WriteU16(0);
    out.WriteU16(kind);
    out.WriteU16(static_cast<uint16_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const ContainerImage& image : images) {
        out.WriteU8(static_cast<uint8_t>(image.Width));
        out.WriteU8(static_cast<uint8_t>(image.Height));
        out.WriteU8(0);
        out.WriteU8(0);
        out.WriteU16(image.Planes);
        out.WriteU16(image.BitCount);
        out.WriteU32(static_cast<uint32_t>(image.Data.size()));
        out.WriteU32(offset);
        offset += static_cast<uint32_t>(image.Data.size());
    }
    for (const ContainerImage& image : images)
        out.WriteBuffer(image.Data.data(), image.Data.size());
    return out.TakeBytes();
}

inline ContainerImage IconImage(int width, int height, int bits, uint32_t compression = 0) {
    return ContainerImage{width & 0xFF, height & 0xFF,
                          IconImageBytes(width, height, bits, compression), 1,
                          static_cast<uint16_t>(bits)};
}

// The three-image icon the group tests load: 16 x 16 4-bit, 32 x 32 8-bit, 256 x 256
// 32-bit.
inline std::vector<uint8_t> ThreeImageIcon() {
    return Container(1, {IconImage(16, 16, 4), IconImage(32, 32, 8), IconImage(256, 256, 32)});
}

// A unique temporary file that is removed again.
class TempFile {
public:
    explicit TempFile(const std::string& suffix, const std::vector<uint8_t>& bytes = {});
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

} // namespace pictavo::test
