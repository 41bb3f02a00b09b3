#include "util/IconDirectory.h"

#include "util/Bytes.h"
#include "util/Exceptions.h"

namespace pictavo {

namespace {

[[noreturn]] void DirectoryTooShort() {
    throw EReadError("Stream read error");
}

IconDirectoryEntry ReadEntry(const ByteView& bytes) {
    IconDirectoryEntry entry;
    entry.Width = bytes.U8(0);
    entry.Height = bytes.U8(1);
    entry.Colors = bytes.U8(2);
    entry.Planes = bytes.U16(4);
    entry.BitCount = bytes.U16(6);
    entry.Size = bytes.U32(8);
    entry.Offset = bytes.U32(12);
    return entry;
}

void AppendEntry(std::vector<uint8_t>& out, const IconDirectoryEntry& entry, uint32_t offset) {
    out.push_back(entry.Width);
    out.push_back(entry.Height);
    out.push_back(entry.Colors);
    out.push_back(0); // reserved
    AppendU16(out, entry.Planes);
    AppendU16(out, entry.BitCount);
    AppendU32(out, entry.Size);
    AppendU32(out, offset);
}

} // namespace

uint8_t IconSideByte(int side) {
    return static_cast<uint8_t>(side >= 256 ? 0 : side);
}

int IconSideOfByte(uint8_t side) {
    return side == 0 ? 256 : side;
}

uint8_t IconColorCountByte(int bitsPerPixel) {
    return bitsPerPixel >= 0 && bitsPerPixel < 8 ? static_cast<uint8_t>(1u << bitsPerPixel) : 0;
}

std::optional<IconDirectory> ReadIconDirectory(Stream& stream) {
    uint8_t header[IconDirectoryHeaderBytes];
    if (stream.Read(header, sizeof header) != sizeof header)
        return std::nullopt;
    const ByteView headerView(header, sizeof header, DirectoryTooShort);
    IconDirectory directory;
    directory.Type = headerView.U16(2);
    directory.Count = headerView.U16(4);
    // The whole directory must be there before anything is made for it.
    const size_t entryBytes = size_t{directory.Count} * IconDirectoryEntryBytes;
    if (stream.Remaining() < static_cast<int64_t>(entryBytes))
        return directory;
    std::vector<uint8_t> bytes(entryBytes);
    stream.ReadBuffer(bytes.data(), bytes.size()); // nothing to read for no entries

    const ByteView entries(bytes.data(), bytes.size(), DirectoryTooShort);
    directory.Entries.reserve(directory.Count);
    for (size_t i = 0; i < directory.Count; ++i)
        directory.Entries.push_back(
            ReadEntry(entries.Sub(i * IconDirectoryEntryBytes, IconDirectoryEntryBytes)));
    return directory;
}

std::vector<uint8_t> EncodeIconDirectory(uint16_t type,
                                         const std::vector<IconDirectoryEntry>& entries) {
    std::vector<uint8_t> out;
    out.reserve(IconDirectoryHeaderBytes + IconDirectoryEntryBytes * entries.size());
    AppendU16(out, 0); // reserved
    AppendU16(out, type);
    AppendU16(out, static_cast<uint16_t>(entries.size()));
    auto offset =
        static_cast<uint32_t>(IconDirectoryHeaderBytes + IconDirectoryEntryBytes * entries.size());
    for (const IconDirectoryEntry& entry : entries) {
        AppendEntry(out, entry, offset);
        offset += entry.Size;
    }
    return out;
}

} // namespace pictavo
