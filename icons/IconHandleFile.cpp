#include "icons/IconHandleFile.h"

#include "util/Bytes.h"
#include "util/IconDirectory.h"

namespace pictavo {

namespace {

constexpr uint32_t InfoHeaderBytes = 40;

bool AllAlphaZero(const std::vector<uint8_t>& bgra) {
    for (size_t i = 3; i < bgra.size(); i += 4)
        if (bgra[i] != 0)
            return false;
    return true;
}

// Opaque where the mask is clear, transparent where it is set; padding bytes of 32-bit
// rows do not exist, so every fourth byte is an alpha byte.
std::vector<uint8_t> ColorBitsWithMaskAlpha(const platform::IconHandle& icon) {
    std::vector<uint8_t> bits = icon.ColorBits();
    if (icon.BitsPerPixel() != 32 || !AllAlphaZero(bits))
        return bits;
    const size_t rowBytes = static_cast<size_t>(icon.Width()) * 4;
    for (int y = 0; y < icon.Height(); ++y) {
        uint8_t* row = bits.data() + rowBytes * static_cast<size_t>(icon.Height() - 1 - y);
        for (int x = 0; x < icon.Width(); ++x)
            row[4 * x + 3] = icon.MaskBit(x, y) ? 0 : 255;
    }
    return bits;
}

} // namespace

std::vector<uint8_t> IconHandleFileBytes(const platform::IconHandle& icon) {
    const std::vector<uint8_t> color = ColorBitsWithMaskAlpha(icon);
    const std::vector<uint8_t>& mask = icon.MaskBits();
    const int depth = icon.BitsPerPixel();
    const uint32_t imageBytes =
        InfoHeaderBytes + static_cast<uint32_t>(color.size()) + static_cast<uint32_t>(mask.size());

    IconDirectoryEntry entry;
    entry.Width = IconSideByte(icon.Width());
    entry.Height = IconSideByte(icon.Height());
    entry.Colors = IconColorCountByte(depth);
    entry.Planes = 1;
    entry.BitCount = static_cast<uint16_t>(depth);
    entry.Size = imageBytes;
    std::vector<uint8_t> out = EncodeIconDirectory(IconFileType, {entry});
    out.reserve(out.size() + imageBytes);

    AppendU32(out, InfoHeaderBytes);
    AppendU32(out, static_cast<uint32_t>(icon.Width()));
    AppendU32(out, static_cast<uint32_t>(icon.Height()) * 2);
    AppendU16(out, 1); // planes
    AppendU16(out, static_cast<uint16_t>(depth));
    AppendU32(out, 0); // uncompressed
    AppendU32(out, static_cast<uint32_t>(color.size() + mask.size()));
    for (int i = 0; i < 4; ++i)
        AppendU32(out, 0); // resolution and colour counts

    out.insert(out.end(), color.begin(), color.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

} // namespace pictavo
