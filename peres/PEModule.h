#pragma once
// A PE32 or PE32+ image (EXE or DLL) held as header blocks and sections: read, laid out
// again after a section changed size, and written back with a fresh checksum.
// Everything that is not section content is carried over byte for byte.

#include "peres/ResourceModule.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pictavo {

class TPEModule;

// A run of bytes of a file (or of bytes in memory), read when asked for.
struct TFilePart {
    std::shared_ptr<Stream> Source;
    uint64_t Offset = 0;
    uint64_t Size = 0;

    // A part over bytes of its own.
    static TFilePart Holding(std::vector<uint8_t> bytes);
    // The part [offset, offset + count) of this one; raises EPEException "图像无效"
    // when this one does not hold it.
    TFilePart Sub(uint64_t offset, uint64_t count) const;
    std::vector<uint8_t> Read() const;
    // The bytes in chunks of at most 1 MB, so that a large part is never held whole.
    void ForEachChunk(const std::function<void(const uint8_t*, size_t)>& chunk) const;
};

class TImageSection {
public:
    static constexpr size_t HeaderSize = 40;

    // header: the 40-byte section header; raw: the section's bytes in the file, already
    // checked to lie inside it. With keepUnread they are read only when RawData asks.
    TImageSection(TPEModule* owner, const uint8_t* header, const TFilePart& raw, bool keepUnread);
    // A section without content (a new one).
    TImageSection(TPEModule* owner, const uint8_t* header);

    TPEModule* Owner() const { return FOwner; }
    std::array<uint8_t, HeaderSize>& Header() { return FHeader; }
    const std::array<uint8_t, HeaderSize>& Header() const { return FHeader; }
    // The content as held in the file, without the file-alignment padding; read from
    // the file when first asked for.
    MemoryStream& RawData() const;
    // Its size, without reading it.
    uint64_t ContentSize() const;
    // Bytes the section occupies in memory beyond its file content.
    uint32_t UninitializedTail() const { return FUninitializedTail; }
    // New content (the rebuilt resources). The file's bytes after the old content go
    // with it: the new content is padded with zeros.
    void ReplaceContent(std::vector<uint8_t> bytes);

    std::string Name() const; // up to the first NUL of the 8-byte field
    uint32_t VirtualSize() const;
    uint32_t VirtualAddress() const;
    uint32_t SizeOfRawData() const;
    uint32_t PointerToRawData() const;
    uint32_t Characteristics() const;

private:
    friend class TPEModule;
    uint32_t Field(uint32_t offset) const;
    void SetField(uint32_t offset, uint32_t value);

    TPEModule* FOwner;
    std::array<uint8_t, HeaderSize> FHeader{};
    mutable MemoryStream FRawData;
    mutable std::optional<TFilePart> FUnread; // the content while it is still in the file
    // The file's bytes from the end of the content to SizeOfRawData. Linkers write zeros,
    // but the loader maps them with the section, so a section that does not change keeps them.
    std::optional<TFilePart> FFilePadding;
    uint32_t FUninitializedTail = 0;
};

struct TImageDataDirectory {
    uint32_t VirtualAddress = 0;
    uint32_t Size = 0;
};

// Writing a signed file is refused unless the signature is to be dropped: the changed
// file's signature would be void.
class ESignedImage : public EPEException {
    using EPEException::EPEException;
};

class TPEModule : public TResourceModule {
public:
    static constexpr size_t DOSHeaderSize = 64;
    static constexpr size_t COFFHeaderSize = 20;

    void WriteToStream(Stream& stream) override;
    // Copies the whole stream from its start and parses it.
    void ReadFromStream(Stream& stream) override;
    // Parses the file and keeps it open: section contents and the overlay are read when
    // asked for or copied through when written, never held whole.
    void ReadFromFile(const std::string& fileName) override;

    // PE32 and PE32+ alike. Raises EPEException "Invalid DOS signature", "Invalid COFF
    // signature", or "图像无效" for another optional-header magic and for headers or
    // sections that do not fit the block.
    virtual void ParseImage(const uint8_t* memory, size_t size);
    // The same over a file part; with keepUnread the contents stay in the file.
    virtual void ParseSource(const TFilePart& file, bool keepUnread);
    // Lays the image out again after the resource section changed size. No other
    // section moves: when placing every section again, one after the other, keeps
    // them where they are, that is done and the header totals recomputed; otherwise
    // every section keeps its place and only the resource section's sizes and the
    // totals that depend on them change.
    virtual void Relayout();

    // For a program (set-icon, version --set): the layout only resizes the resources where
    // they are, so that no header field changes but the totals the resources count in.
    // Without it an image whose sections lie one after the other is laid out again that
    // way, every total recomputed, as the library template's layout is.
    void SetKeepOtherHeaders(bool keep) { FKeepOtherHeaders = keep; }

    bool IsPe32Plus() const { return FIsPe32Plus; }
    // Whether the security directory names a certificate table.
    bool IsSigned() const;
    // Writing a signed file then drops its certificate table (and the directory entry)
    // instead of refusing it.
    void SetStripSignature(bool strip) { FStripSignature = strip; }
    // Raises ESignedImage for a signed file whose signature is not to be dropped.
    void CheckSignature() const;

    uint32_t DataDirectoryCount() const;
    // Raises EListError "Index exceeds data dictionary count" for an index out of range.
    TImageDataDirectory DataDirectory(uint32_t index) const;
    void SetDataDirectory(uint32_t index, const TImageDataDirectory& entry);

    int SectionCount() const { return static_cast<int>(FSections.size()); }
    TImageSection& Section(int index) const;
    // The first section whose [VirtualAddress, VirtualAddress + VirtualSize) holds the
    // directory's address, with the address's offset in it; -1 when none does.
    int SectionOfDirectory(uint32_t index, uint32_t& offset) const;
    // The section that holds the resource directory, or nullptr.
    TImageSection* ResourceSection(uint32_t& offset) const;

    const std::array<uint8_t, DOSHeaderSize>& DOSHeader() const { return FDOSHeader; }
    const MemoryStream& DOSStub() const { return FDOSStub; }
    const std::array<uint8_t, COFFHeaderSize>& COFFHeader() const { return FCOFFHeader; }
    const std::vector<uint8_t>& OptionalHeader() const { return FOptionalHeader; }
    const std::vector<uint8_t>& HeaderTail() const { return FHeaderTail; }
    // The bytes after the last section (read when first asked for).
    const std::vector<uint8_t>& Overlay() const;

protected:
    // Refuses a signed file (ESignedImage) unless its signature is to be dropped.
    void CheckWritable() override;

    // The section that is to hold a rebuilt resource section of contentSize bytes
    // without moving any other section: the section itself when it is the last one or
    // the new content fits in the room before the next section, else a new last section
    // (the old one stays, unreferenced). Raises EPEException when the headers have no
    // room for another section header.
    TImageSection& PlaceResourceSection(TImageSection& section, uint64_t contentSize);
    // A new, empty resource section after every other one (for an image that has none);
    // raises EPEException when the headers have no room for its header.
    TImageSection& AppendResourceSection();

private:
    // Hands the file's parts to `part` in file order: bytes, or a run of zeros (null
    // bytes), and returns where the overlay starts. Raises when sections are not in file
    // order.
    // Without bytes, file contents are handed over as runs of null bytes (counted only).
    uint64_t ForEachFilePart(const std::function<void(const uint8_t*, size_t)>& part,
                             bool withBytes) const;
    // The bytes after the last section move when that section changes size or a new one
    // comes after it: the header fields that point into them by file offset (COFF
    // symbols, the certificate table) move with them.
    void FollowTheOverlay(uint64_t overlayStart);
    bool PackingKeepsSectionsInPlace() const;
    void PackSections();
    void ResizeInPlace();
    uint64_t HeadersEnd() const;
    std::string NextSectionName(const TImageSection& section) const;
    bool HasRoomForSectionHeader() const;
    // A new last section with this header's name and flags, placed after every other
    // section in memory and in the file.
    TImageSection& AppendSection(std::array<uint8_t, TImageSection::HeaderSize> header);
    void DropSignature();
    uint32_t DataDirectoriesOffset() const;
    uint32_t NumberOfRvaAndSizesOffset() const;
    uint32_t OptionalField(uint32_t offset) const;
    void SetOptionalField(uint32_t offset, uint32_t value);

    std::array<uint8_t, DOSHeaderSize> FDOSHeader{};
    MemoryStream FDOSStub;
    std::array<uint8_t, COFFHeaderSize> FCOFFHeader{};
    std::vector<uint8_t> FOptionalHeader;
    std::vector<std::unique_ptr<TImageSection>> FSections;
    std::vector<uint8_t> FHeaderTail;
    TFilePart FOverlay;
    mutable std::optional<std::vector<uint8_t>> FOverlayRead; // for Overlay()
    uint64_t FOverlayOffset = 0; // where the overlay was read from
    bool FIsPe32Plus = false;
    bool FChecksumWasSet = false;
    bool FStripSignature = false;
    bool FKeepOtherHeaders = false;
};

// The standard PE image checksum (as CheckSumMappedFile computes it): the 16-bit
// little-endian word sum with carries folded back, the 4 bytes at checksumOffset
// counted as 0, plus the length of the image.
uint32_t ImageChecksum(const uint8_t* image, size_t size, size_t checksumOffset);

// The same checksum over an image handed over in parts, so that a large image need not
// be assembled in memory first.
class TImageChecksum {
public:
    explicit TImageChecksum(size_t checksumOffset) : FChecksumOffset(checksumOffset) {}
    // The next `size` bytes of the image; null bytes are zeros.
    void Add(const uint8_t* bytes, size_t size);
    uint32_t Value() const;

private:
    void AddByte(uint32_t byte);

    size_t FChecksumOffset;
    size_t FSize = 0;
    uint32_t FSum = 0;
    uint32_t FLowByte = 0; // the first byte of a word whose second is still to come
};

} // namespace pictavo
