#include "peres/PEModule.h"

#include "peres/PEFormat.h"
#include "util/Bytes.h"
#include "util/Messages.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace pictavo {

namespace {

const char* const InvalidImage = N_("图像无效");

[[noreturn]] void RefuseImage() {
    throw EPEException(_(InvalidImage));
}

uint64_t Align(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// Header values are 32-bit; an image whose layout does not fit them cannot be written.
uint32_t Fit32(uint64_t value) {
    if (value > 0xFFFFFFFFu)
        RefuseImage();
    return static_cast<uint32_t>(value);
}

// Linkers keep FileAlignment between 512 bytes and 64 KB; allowing more would let a tiny
// file ask for gigabytes of padding.
constexpr uint32_t MaxFileAlignment = 0x10000;

// Eight bytes as a little-endian number, in one load where the host's order is the file's.
uint64_t EightBytes(const uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    return LoadU64(bytes);
}

// A section's sizes once laid out again. One whose content still has the size its
// header describes keeps the header's sizes, even where the linker left them unrounded
// (a raw size of 8 with a larger memory size): rounding them would pull the file's
// padding into the section, and only the resources are to change.
bool ContentSizeUnchanged(const TImageSection& section) {
    return section.ContentSize() == std::min(section.SizeOfRawData(), section.VirtualSize());
}

uint64_t LaidOutVirtualSize(const TImageSection& section) {
    if (ContentSizeUnchanged(section))
        return section.VirtualSize();
    return section.ContentSize() + uint64_t{section.UninitializedTail()};
}

uint64_t LaidOutRawSize(const TImageSection& section, uint32_t fileAlignment) {
    if (ContentSizeUnchanged(section))
        return section.SizeOfRawData();
    return Align(section.ContentSize(), fileAlignment);
}

} // namespace

// ---- TFilePart ----

TFilePart TFilePart::Holding(std::vector<uint8_t> bytes) {
    const uint64_t size = bytes.size();
    auto memory = std::make_shared<MemoryStream>(std::move(bytes));
    return TFilePart{memory, 0, size};
}

TFilePart TFilePart::Sub(uint64_t offset, uint64_t count) const {
    if (!RangeFits(offset, count, Size))
        RefuseImage();
    return TFilePart{Source, Offset + offset, count};
}

std::vector<uint8_t> TFilePart::Read() const {
    std::vector<uint8_t> bytes(static_cast<size_t>(Size));
    if (Size != 0) {
        Source->SetPosition(static_cast<int64_t>(Offset));
        Source->ReadBuffer(bytes.data(), bytes.size());
    }
    return bytes;
}

void TFilePart::ForEachChunk(const std::function<void(const uint8_t*, size_t)>& chunk) const {
    constexpr uint64_t ChunkSize = 1 << 20;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(Size, ChunkSize)));
    for (uint64_t done = 0; done < Size;) {
        const auto count = static_cast<size_t>(std::min(Size - done, ChunkSize));
        Source->SetPosition(static_cast<int64_t>(Offset + done));
        Source->ReadBuffer(buffer.data(), count);
        chunk(buffer.data(), count);
        done += count;
    }
}

// ---- TImageSection ----

TImageSection::TImageSection(TPEModule* owner, const uint8_t* header, const TFilePart& raw,
                             bool keepUnread)
    : FOwner(owner) {
    std::copy(header, header + HeaderSize, FHeader.begin());
    uint32_t virtualSize = VirtualSize();
    const uint32_t rawSize = SizeOfRawData();
    uint64_t contentSize = 0;
    if (rawSize < virtualSize) {
        contentSize = rawSize;
        FUninitializedTail = virtualSize - rawSize;
    } else {
        if (virtualSize == 0) {
            virtualSize = rawSize;
            SetField(pe::VirtualSizeField, virtualSize);
        }
        // The file-alignment padding after VirtualSize is dropped.
        contentSize = virtualSize;
    }
    FUnread = raw.Sub(0, contentSize);
    if (raw.Size > contentSize) {
        FFilePadding = raw.Sub(contentSize, raw.Size - contentSize);
        if (!keepUnread)
            FFilePadding = TFilePart::Holding(FFilePadding->Read());
    }
    if (!keepUnread)
        RawData();
}

TImageSection::TImageSection(TPEModule* owner, const uint8_t* header) : FOwner(owner) {
    std::copy(header, header + HeaderSize, FHeader.begin());
}

MemoryStream& TImageSection::RawData() const {
    if (FUnread) {
        FRawData = MemoryStream(FUnread->Read());
        FUnread.reset();
    }
    return FRawData;
}

void TImageSection::ReplaceContent(std::vector<uint8_t> bytes) {
    FRawData = MemoryStream(std::move(bytes));
    FUnread.reset();
    FFilePadding.reset();
}

uint64_t TImageSection::ContentSize() const {
    return FUnread ? FUnread->Size : static_cast<uint64_t>(FRawData.Size());
}

std::string TImageSection::Name() const {
    const auto end = std::find(FHeader.begin(), FHeader.begin() + 8, 0);
    return std::string(FHeader.begin(), end);
}

uint32_t TImageSection::Field(uint32_t offset) const {
    return ByteView(FHeader.data(), FHeader.size(), RefuseImage).U32(offset);
}

uint32_t TImageSection::VirtualSize() const {
    return Field(pe::VirtualSizeField);
}
uint32_t TImageSection::VirtualAddress() const {
    return Field(pe::VirtualAddressField);
}
uint32_t TImageSection::SizeOfRawData() const {
    return Field(pe::SizeOfRawDataField);
}
uint32_t TImageSection::PointerToRawData() const {
    return Field(pe::PointerToRawDataField);
}
uint32_t TImageSection::Characteristics() const {
    return Field(pe::SectionCharacteristicsField);
}

void TImageSection::SetField(uint32_t offset, uint32_t value) {
    StoreU32(&FHeader[offset], value);
}

// ---- TPEModule: parsing ----

// The signatures are checked before the rest is read, with the errors ParseImage would
// raise for them: a large file that is no module fails at once, not after reading it all.
static void CheckSignaturesFirst(Stream& stream, int64_t size) {
    uint8_t dos[TPEModule::DOSHeaderSize];
    if (size < static_cast<int64_t>(sizeof dos))
        throw EPEException("Invalid DOS signature");
    stream.ReadBuffer(dos, sizeof dos);
    const ByteView dosHeader(dos, sizeof dos, RefuseImage);
    if (dosHeader.U16(0) != pe::DosSignature)
        throw EPEException("Invalid DOS signature");
    const uint32_t peOffset = dosHeader.U32(pe::NewHeaderOffsetField);
    if (!RangeFits(peOffset, 4 + TPEModule::COFFHeaderSize + 2, static_cast<uint64_t>(size)))
        RefuseImage();
    uint8_t signature[4];
    stream.SetPosition(peOffset);
    stream.ReadBuffer(signature, sizeof signature);
    if (ByteView(signature, sizeof signature, RefuseImage).U32(0) != pe::PeSignature)
        throw EPEException("Invalid COFF signature");
}

void TPEModule::ReadFromStream(Stream& stream) {
    stream.SetPosition(0);
    const int64_t size = stream.Size();
    CheckSignaturesFirst(stream, size);
    stream.SetPosition(0);
    std::vector<uint8_t> image(static_cast<size_t>(std::max<int64_t>(size, 0)));
    stream.ReadBuffer(image.data(), image.size());
    ParseImage(image.data(), image.size());
}

void TPEModule::ReadFromFile(const std::string& fileName) {
    auto file = std::make_shared<FileStream>(fileName, FileMode::OpenRead);
    const int64_t size = file->Size();
    CheckSignaturesFirst(*file, size);
    // The sections stay in the file until they are asked for: a program of hundreds of
    // megabytes is copied through, not held.
    ParseSource(TFilePart{file, 0, static_cast<uint64_t>(std::max<int64_t>(size, 0))}, true);
}

void TPEModule::ParseImage(const uint8_t* memory, size_t size) {
    ParseSource(TFilePart{std::make_shared<ByteViewStream>(memory, size), 0, size}, false);
}

void TPEModule::ParseSource(const TFilePart& file, bool keepUnread) {
    FSections.clear();
    FOptionalHeader.clear();
    FDOSStub.Clear();
    FHeaderTail.clear();
    FOverlay = TFilePart{};
    const uint64_t size = file.Size;

    // Every part is read through Part: one that lies outside the file refuses it.
    const auto part = [&file](uint64_t offset, uint64_t count) { return file.Sub(offset, count); };
    if (size < DOSHeaderSize)
        throw EPEException("Invalid DOS signature");
    const std::vector<uint8_t> dosBytes = part(0, DOSHeaderSize).Read();
    const ByteView dos(dosBytes.data(), dosBytes.size(), RefuseImage);
    if (dos.U16(0) != pe::DosSignature)
        throw EPEException("Invalid DOS signature");
    std::copy(dos.Data(), dos.Data() + dos.Size(), FDOSHeader.begin());
    const uint32_t peOffset = dos.U32(pe::NewHeaderOffsetField);
    const std::vector<uint8_t> headerBytes = part(peOffset, 4 + COFFHeaderSize + 2).Read();
    const ByteView headers(headerBytes.data(), headerBytes.size(), RefuseImage);
    if (peOffset > DOSHeaderSize) {
        const std::vector<uint8_t> stub = part(DOSHeaderSize, peOffset - DOSHeaderSize).Read();
        FDOSStub.WriteBuffer(stub.data(), stub.size());
    }

    if (headers.U32(0) != pe::PeSignature)
        throw EPEException("Invalid COFF signature");
    const ByteView coff = headers.Sub(4, COFFHeaderSize);
    std::copy(coff.Data(), coff.Data() + coff.Size(), FCOFFHeader.begin());
    const uint16_t magic = headers.U16(4 + COFFHeaderSize);
    if (magic != pe::Pe32Magic && magic != pe::Pe32PlusMagic)
        RefuseImage();
    FIsPe32Plus = magic == pe::Pe32PlusMagic;

    const uint64_t optionalOffset = peOffset + 4 + COFFHeaderSize;
    const uint32_t optionalSize = coff.U16(pe::SizeOfOptionalHeaderField);
    if (optionalSize < DataDirectoriesOffset())
        RefuseImage();
    FOptionalHeader = part(optionalOffset, optionalSize).Read();
    FChecksumWasSet = OptionalField(pe::CheckSumField) != 0;
    const uint32_t directoryCount = OptionalField(NumberOfRvaAndSizesOffset());
    const uint32_t fileAlignment = OptionalField(pe::FileAlignmentField);
    if (static_cast<uint64_t>(directoryCount) * pe::DataDirectorySize >
            optionalSize - DataDirectoriesOffset() ||
        !IsPowerOfTwo(fileAlignment) || fileAlignment > MaxFileAlignment ||
        !IsPowerOfTwo(OptionalField(pe::SectionAlignmentField)))
        RefuseImage();

    const uint32_t sectionCount = coff.U16(pe::NumberOfSectionsField);
    if (sectionCount == 0)
        RefuseImage();
    const uint64_t tableOffset = optionalOffset + optionalSize;
    const std::vector<uint8_t> tableBytes =
        part(tableOffset, uint64_t{sectionCount} * TImageSection::HeaderSize).Read();
    const ByteView table(tableBytes.data(), tableBytes.size(), RefuseImage);
    const uint64_t tableEnd = tableOffset + table.Size();

    // The header tail runs up to the first raw data in the file, and the overlay starts
    // after the last; sections without raw data (.bss) mark neither.
    uint64_t firstRaw = size;
    uint64_t rawEnd = tableEnd;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const ByteView header =
            table.Sub(uint64_t{i} * TImageSection::HeaderSize, TImageSection::HeaderSize);
        const uint32_t rawOffset = header.U32(pe::PointerToRawDataField);
        const uint32_t rawSize = header.U32(pe::SizeOfRawDataField);
        const TFilePart raw = part(rawOffset, rawSize);
        if (rawSize != 0) {
            firstRaw = std::min<uint64_t>(firstRaw, rawOffset);
            rawEnd = std::max<uint64_t>(rawEnd, uint64_t{rawOffset} + rawSize);
        }
        FSections.push_back(std::make_unique<TImageSection>(this, header.Data(), raw, keepUnread));
    }
    if (firstRaw > tableEnd && firstRaw != size)
        FHeaderTail = part(tableEnd, firstRaw - tableEnd).Read();
    if (rawEnd < size) {
        FOverlay = part(rawEnd, size - rawEnd);
        if (!keepUnread)
            FOverlay = TFilePart::Holding(FOverlay.Read());
    }
    FOverlayOffset = rawEnd;
}

// ---- TPEModule: directories and sections ----

uint32_t TPEModule::OptionalField(uint32_t offset) const {
    return ByteView(FOptionalHeader.data(), FOptionalHeader.size(), RefuseImage).U32(offset);
}

void TPEModule::SetOptionalField(uint32_t offset, uint32_t value) {
    StoreU32(FOptionalHeader.data() + offset, value);
}

uint32_t TPEModule::DataDirectoriesOffset() const {
    return FIsPe32Plus ? pe::DataDirectories64 : pe::DataDirectories32;
}

uint32_t TPEModule::NumberOfRvaAndSizesOffset() const {
    return FIsPe32Plus ? pe::NumberOfRvaAndSizesField64 : pe::NumberOfRvaAndSizesField32;
}

uint32_t TPEModule::DataDirectoryCount() const {
    if (FOptionalHeader.size() < DataDirectoriesOffset())
        return 0;
    return OptionalField(NumberOfRvaAndSizesOffset());
}

TImageDataDirectory TPEModule::DataDirectory(uint32_t index) const {
    if (index >= DataDirectoryCount())
        throw EListError("Index exceeds data dictionary count");
    const uint32_t offset = DataDirectoriesOffset() + index * pe::DataDirectorySize;
    return TImageDataDirectory{OptionalField(offset), OptionalField(offset + 4)};
}

void TPEModule::SetDataDirectory(uint32_t index, const TImageDataDirectory& entry) {
    if (index >= DataDirectoryCount())
        throw EListError("Index exceeds data dictionary count");
    const uint32_t offset = DataDirectoriesOffset() + index * pe::DataDirectorySize;
    SetOptionalField(offset, entry.VirtualAddress);
    SetOptionalField(offset + 4, entry.Size);
}

TImageSection& TPEModule::Section(int index) const {
    if (index < 0 || index >= SectionCount())
        throw EListError(Format("List index out of bounds (%d)", index));
    return *FSections[static_cast<size_t>(index)];
}

int TPEModule::SectionOfDirectory(uint32_t index, uint32_t& offset) const {
    const uint32_t address = DataDirectory(index).VirtualAddress;
    for (int i = 0; i < SectionCount(); ++i) {
        const TImageSection& section = *FSections[static_cast<size_t>(i)];
        if (address >= section.VirtualAddress() &&
            address - section.VirtualAddress() < section.VirtualSize()) {
            offset = address - section.VirtualAddress();
            return i;
        }
    }
    return -1;
}

TImageSection* TPEModule::ResourceSection(uint32_t& offset) const {
    if (DataDirectoryCount() <= pe::ResourceDirectoryIndex)
        return nullptr;
    const int index = SectionOfDirectory(pe::ResourceDirectoryIndex, offset);
    return index < 0 ? nullptr : FSections[static_cast<size_t>(index)].get();
}

// ---- TPEModule: layout and writing ----

uint64_t TPEModule::HeadersEnd() const {
    return FDOSStub.Bytes().size() + DOSHeaderSize + 4 + COFFHeaderSize + FOptionalHeader.size() +
           TImageSection::HeaderSize * FSections.size();
}

void TPEModule::Relayout() {
    // A module that holds no parsed image (never read, or its last read was refused)
    // has no headers to lay out.
    if (FOptionalHeader.size() < DataDirectoriesOffset() || FSections.empty())
        RefuseImage();
    if (FSections.size() > 0xFFFF)
        RefuseImage();
    // Code and data refer to each other by address, and nothing inside a section is
    // adjusted here: no section may move.
    if (!FKeepOtherHeaders && PackingKeepsSectionsInPlace())
        PackSections();
    else
        ResizeInPlace();
}

bool TPEModule::PackingKeepsSectionsInPlace() const {
    const uint32_t fileAlignment = OptionalField(pe::FileAlignmentField);
    const uint32_t sectionAlignment = OptionalField(pe::SectionAlignmentField);
    uint64_t filePos = Align(FHeaderTail.size() + HeadersEnd(), fileAlignment);
    uint64_t rva = sectionAlignment;
    for (const std::unique_ptr<TImageSection>& section : FSections) {
        const uint64_t rawSize = LaidOutRawSize(*section, fileAlignment);
        if (rva != section->VirtualAddress() ||
            (rawSize != 0 && filePos != section->PointerToRawData()))
            return false;
        filePos += Align(rawSize, fileAlignment);
        rva += Align(LaidOutVirtualSize(*section), sectionAlignment);
    }
    return true;
}

void TPEModule::PackSections() {
    const uint32_t fileAlignment = OptionalField(pe::FileAlignmentField);
    const uint32_t sectionAlignment = OptionalField(pe::SectionAlignmentField);
    const uint64_t newHeaderOffset = FDOSStub.Size() + DOSHeaderSize;
    StoreU32(&FDOSHeader[pe::NewHeaderOffsetField], Fit32(newHeaderOffset));
    StoreU16(&FCOFFHeader[pe::NumberOfSectionsField], static_cast<uint16_t>(FSections.size()));

    const uint64_t headersEnd = HeadersEnd();
    SetOptionalField(pe::SizeOfHeadersField, Fit32(Align(headersEnd, fileAlignment)));
    SetOptionalField(pe::CheckSumField, 0);
    uint32_t baseOfCode = 0xFFFFFFFFu;

    uint64_t filePos = Align(FHeaderTail.size() + headersEnd, fileAlignment);
    uint64_t rva = sectionAlignment;
    uint64_t imageSize = Align(headersEnd, sectionAlignment);
    uint64_t code = 0, init = 0, uninit = 0;
    for (const std::unique_ptr<TImageSection>& section : FSections) {
        const uint64_t virtualSize = LaidOutVirtualSize(*section);
        const uint64_t rawSize = LaidOutRawSize(*section, fileAlignment);
        section->SetField(pe::PointerToRawDataField, Fit32(filePos));
        section->SetField(pe::VirtualAddressField, Fit32(rva));
        section->SetField(pe::VirtualSizeField, Fit32(virtualSize));
        section->SetField(pe::SizeOfRawDataField, Fit32(rawSize));
        const uint32_t flags = section->Characteristics();
        if (flags & pe::SectionExecute) {
            code += Align(virtualSize, fileAlignment);
            baseOfCode = std::min(baseOfCode, static_cast<uint32_t>(rva));
        } else if (flags & pe::SectionInitializedData) {
            init += Align(virtualSize, fileAlignment);
        } else if (flags & pe::SectionUninitializedData) {
            uninit += Align(virtualSize, fileAlignment);
        }
        imageSize += Align(virtualSize, sectionAlignment);
        filePos += Align(rawSize, fileAlignment);
        rva += Align(virtualSize, sectionAlignment);
    }
    Fit32(filePos + FOverlay.Size);
    SetOptionalField(pe::SizeOfCodeField, Fit32(code));
    SetOptionalField(pe::SizeOfInitializedDataField, Fit32(init));
    SetOptionalField(pe::SizeOfUninitializedDataField, Fit32(uninit));
    SetOptionalField(pe::BaseOfCodeField, baseOfCode);
    // PE32+ has no BaseOfData: its place holds the upper half of the image base.
    if (!FIsPe32Plus) {
        // 32-bit arithmetic as the header holds it: without code the base wraps around.
        const uint32_t dataOffset =
            Fit32(Align(FOptionalHeader.size() + 24 + code, sectionAlignment));
        SetOptionalField(pe::BaseOfDataField, baseOfCode + dataOffset);
    }
    SetOptionalField(pe::SizeOfImageField, Fit32(imageSize));
}

void TPEModule::ResizeInPlace() {
    const uint32_t fileAlignment = OptionalField(pe::FileAlignmentField);
    const uint32_t sectionAlignment = OptionalField(pe::SectionAlignmentField);
    StoreU16(&FCOFFHeader[pe::NumberOfSectionsField], static_cast<uint16_t>(FSections.size()));
    SetOptionalField(pe::SizeOfHeadersField, std::max(OptionalField(pe::SizeOfHeadersField),
                                                      Fit32(Align(HeadersEnd(), fileAlignment))));
    SetOptionalField(pe::CheckSumField, 0);

    // Only sections whose content changed size (the resources, or a new last section
    // that holds them) get new sizes. The totals count each section's memory size
    // rounded to the file alignment; only the changed sections' shares change.
    for (const std::unique_ptr<TImageSection>& section : FSections) {
        const uint64_t virtualSize = LaidOutVirtualSize(*section);
        const uint64_t rawSize = LaidOutRawSize(*section, fileAlignment);
        if (virtualSize == section->VirtualSize() && rawSize == section->SizeOfRawData())
            continue;
        const uint64_t oldShare = Align(section->VirtualSize(), fileAlignment);
        const uint64_t newShare = Align(virtualSize, fileAlignment);
        const uint32_t flags = section->Characteristics();
        const uint32_t total = flags & pe::SectionExecute ? pe::SizeOfCodeField
                               : flags & pe::SectionInitializedData
                                   ? pe::SizeOfInitializedDataField
                                   : pe::SizeOfUninitializedDataField;
        SetOptionalField(
            total, Fit32(std::max<uint64_t>(OptionalField(total) + newShare, oldShare) - oldShare));
        section->SetField(pe::VirtualSizeField, Fit32(virtualSize));
        section->SetField(pe::SizeOfRawDataField, Fit32(rawSize));
    }
    uint64_t imageEnd = Align(HeadersEnd(), sectionAlignment);
    for (const std::unique_ptr<TImageSection>& section : FSections)
        imageEnd = std::max(imageEnd, uint64_t{section->VirtualAddress()} +
                                          Align(section->VirtualSize(), sectionAlignment));
    SetOptionalField(pe::SizeOfImageField, Fit32(imageEnd));
}

TImageSection& TPEModule::PlaceResourceSection(TImageSection& section, uint64_t contentSize) {
    const uint32_t fileAlignment = OptionalField(pe::FileAlignmentField);
    const uint32_t sectionAlignment = OptionalField(pe::SectionAlignmentField);
    // The room before the next section, in memory and in the file.
    uint64_t nextAddress = UINT64_MAX, nextRaw = UINT64_MAX;
    for (const std::unique_ptr<TImageSection>& other : FSections) {
        if (other.get() == &section)
            continue;
        if (other->VirtualAddress() > section.VirtualAddress())
            nextAddress = std::min<uint64_t>(nextAddress, other->VirtualAddress());
        if (other->SizeOfRawData() != 0 && other->PointerToRawData() > section.PointerToRawData())
            nextRaw = std::min<uint64_t>(nextRaw, other->PointerToRawData());
    }
    const uint64_t memoryEnd = section.VirtualAddress() + contentSize + section.FUninitializedTail;
    if (Align(memoryEnd, sectionAlignment) <= nextAddress &&
        section.PointerToRawData() + Align(contentSize, fileAlignment) <= nextRaw)
        return section;

    if (!HasRoomForSectionHeader())
        throw EPEException(Format("Cannot write the image: the resources no longer fit before "
                                  "section %s, and the headers have no room for another "
                                  "section header",
                                  NextSectionName(section).c_str()));
    return AppendSection(section.FHeader);
}

bool TPEModule::HasRoomForSectionHeader() const {
    uint64_t firstRaw = UINT64_MAX;
    for (const std::unique_ptr<TImageSection>& other : FSections)
        if (other->SizeOfRawData() != 0)
            firstRaw = std::min<uint64_t>(firstRaw, other->PointerToRawData());
    // A new section header takes the first 40 bytes after the section table, which
    // must be free (zero) and before the first section's data.
    const bool tailFree =
        FHeaderTail.size() >= TImageSection::HeaderSize &&
        std::all_of(FHeaderTail.begin(), FHeaderTail.begin() + TImageSection::HeaderSize,
                    [](uint8_t b) { return b == 0; });
    return tailFree && HeadersEnd() + TImageSection::HeaderSize <= firstRaw;
}

TImageSection& TPEModule::AppendSection(std::array<uint8_t, TImageSection::HeaderSize> header) {
    if (!HasRoomForSectionHeader())
        throw EPEException("Cannot write the image: the headers have no room for another "
                           "section header");
    const uint32_t fileAlignment = OptionalField(pe::FileAlignmentField);
    const uint32_t sectionAlignment = OptionalField(pe::SectionAlignmentField);
    uint64_t imageEnd = 0, fileEnd = 0;
    for (const std::unique_ptr<TImageSection>& other : FSections) {
        imageEnd = std::max(imageEnd, uint64_t{other->VirtualAddress()} + other->VirtualSize());
        if (other->SizeOfRawData() != 0)
            fileEnd =
                std::max(fileEnd, uint64_t{other->PointerToRawData()} + other->SizeOfRawData());
    }
    // Counted from nothing: the totals then add the whole new section.
    StoreU32(&header[pe::VirtualSizeField], 0);
    StoreU32(&header[pe::SizeOfRawDataField], 0);
    StoreU32(&header[pe::VirtualAddressField], Fit32(Align(imageEnd, sectionAlignment)));
    StoreU32(&header[pe::PointerToRawDataField],
             Fit32(Align(std::max(fileEnd, HeadersEnd()), fileAlignment)));
    FSections.push_back(std::make_unique<TImageSection>(this, header.data()));
    FHeaderTail.erase(FHeaderTail.begin(), FHeaderTail.begin() + TImageSection::HeaderSize);
    return *FSections.back();
}

TImageSection& TPEModule::AppendResourceSection() {
    std::array<uint8_t, TImageSection::HeaderSize> header{};
    const char name[] = ".rsrc";
    std::copy(name, name + 5, header.begin());
    StoreU32(&header[pe::SectionCharacteristicsField],
             pe::SectionInitializedData | pe::SectionRead);
    return AppendSection(header);
}

std::string TPEModule::NextSectionName(const TImageSection& section) const {
    const TImageSection* next = nullptr;
    for (const std::unique_ptr<TImageSection>& other : FSections)
        if (other->VirtualAddress() > section.VirtualAddress() &&
            (next == nullptr || other->VirtualAddress() < next->VirtualAddress()))
            next = other.get();
    return next != nullptr ? next->Name() : section.Name();
}

uint64_t TPEModule::ForEachFilePart(
    const std::function<void(const uint8_t*, size_t)>& part, bool withBytes) const {
    uint64_t position = 0;
    const auto bytes = [&](const uint8_t* data, size_t size) {
        part(data, size);
        position += size;
    };
    // The parts still in the file are read in chunks, or only counted.
    const auto fileBytes = [&](const TFilePart& file) {
        if (withBytes)
            file.ForEachChunk(bytes);
        else
            bytes(nullptr, static_cast<size_t>(file.Size));
    };
    bytes(FDOSHeader.data(), FDOSHeader.size());
    bytes(FDOSStub.Memory(), FDOSStub.Bytes().size());
    uint8_t signature[4];
    StoreU32(signature, pe::PeSignature);
    bytes(signature, sizeof signature);
    bytes(FCOFFHeader.data(), FCOFFHeader.size());
    bytes(FOptionalHeader.data(), FOptionalHeader.size());
    for (const std::unique_ptr<TImageSection>& section : FSections)
        bytes(section->FHeader.data(), section->FHeader.size());
    bytes(FHeaderTail.data(), FHeaderTail.size());
    for (const std::unique_ptr<TImageSection>& section : FSections) {
        const uint64_t start = section->PointerToRawData();
        if (section->SizeOfRawData() != 0 && position > start)
            throw EPEException("Cannot write the image: its sections are not in file order");
        if (position < start)
            bytes(nullptr, static_cast<size_t>(start - position));
        if (section->FUnread) {
            fileBytes(*section->FUnread);
        } else {
            const std::vector<uint8_t>& raw = section->FRawData.Bytes();
            bytes(raw.data(), raw.size());
        }
        // Pad the file content (not the memory size) up to SizeOfRawData, so that a
        // section with an uninitialised tail still fills its place in the file: with the
        // file's own bytes where the section is as it was read.
        if (section->SizeOfRawData() > section->ContentSize()) {
            const uint64_t padding = section->SizeOfRawData() - section->ContentSize();
            if (section->FFilePadding && section->FFilePadding->Size == padding)
                fileBytes(*section->FFilePadding);
            else
                bytes(nullptr, static_cast<size_t>(padding));
        }
    }
    const uint64_t overlayStart = position;
    fileBytes(FOverlay);
    return overlayStart;
}

void TPEModule::FollowTheOverlay(uint64_t overlayStart) {
    if (FOverlay.Size == 0 || overlayStart == FOverlayOffset)
        return;
    const auto moved = [&](uint32_t offset) -> uint32_t {
        if (offset == 0 || offset < FOverlayOffset || offset - FOverlayOffset >= FOverlay.Size)
            return offset;
        return Fit32(overlayStart + (offset - FOverlayOffset));
    };
    const ByteView coff(FCOFFHeader.data(), FCOFFHeader.size(), RefuseImage);
    StoreU32(&FCOFFHeader[pe::PointerToSymbolTableField],
             moved(coff.U32(pe::PointerToSymbolTableField)));
    if (DataDirectoryCount() > pe::SecurityDirectoryIndex) {
        TImageDataDirectory certificates = DataDirectory(pe::SecurityDirectoryIndex);
        certificates.VirtualAddress = moved(certificates.VirtualAddress);
        SetDataDirectory(pe::SecurityDirectoryIndex, certificates);
    }
    FOverlayOffset = overlayStart;
}

bool TPEModule::IsSigned() const {
    if (DataDirectoryCount() <= pe::SecurityDirectoryIndex)
        return false;
    const TImageDataDirectory certificates = DataDirectory(pe::SecurityDirectoryIndex);
    return certificates.VirtualAddress != 0 || certificates.Size != 0;
}

void TPEModule::CheckWritable() {
    CheckSignature();
}

void TPEModule::CheckSignature() const {
    if (IsSigned() && !FStripSignature)
        throw ESignedImage("The file is signed (it carries a certificate table): a changed "
                           "file's signature would be void");
}

void TPEModule::DropSignature() {
    if (!IsSigned())
        return;
    // The table is the last thing in a signed file; where it is, the file ends now.
    const TImageDataDirectory certificates = DataDirectory(pe::SecurityDirectoryIndex);
    const uint64_t start = certificates.VirtualAddress;
    if (start >= FOverlayOffset && start - FOverlayOffset <= FOverlay.Size &&
        start + certificates.Size >= FOverlayOffset + FOverlay.Size)
        FOverlay = FOverlay.Sub(0, start - FOverlayOffset);
    SetDataDirectory(pe::SecurityDirectoryIndex, TImageDataDirectory{});
}

const std::vector<uint8_t>& TPEModule::Overlay() const {
    if (!FOverlayRead || FOverlayRead->size() != FOverlay.Size)
        FOverlayRead = FOverlay.Read();
    return *FOverlayRead;
}

void TPEModule::WriteToStream(Stream& stream) {
    TPEModule::CheckWritable();
    DropSignature();
    Relayout();
    FollowTheOverlay(ForEachFilePart([](const uint8_t*, size_t) {}, false));
    // One pass writes the image and sums it; the checksum field (counted as zero) is
    // filled in afterwards, so that a large image is read once and never held whole.
    const size_t checksumPos = FDOSHeader.size() + FDOSStub.Bytes().size() + 4 +
                               FCOFFHeader.size() + pe::CheckSumField;
    SetOptionalField(pe::CheckSumField, 0);
    const int64_t start = stream.Position();
    TImageChecksum checksum(checksumPos);
    ForEachFilePart(
        [&](const uint8_t* bytes, size_t size) {
            if (FChecksumWasSet)
                checksum.Add(bytes, size);
            if (bytes != nullptr)
                stream.WriteBuffer(bytes, size);
            else
                stream.WriteZeros(size);
        },
        true);
    // A file without a checksum keeps none: only a file that carried one is checked.
    if (FChecksumWasSet) {
        SetOptionalField(pe::CheckSumField, checksum.Value());
        const int64_t end = stream.Position();
        uint8_t value[4];
        StoreU32(value, checksum.Value());
        stream.SetPosition(start + static_cast<int64_t>(checksumPos));
        stream.WriteBuffer(value, sizeof value);
        stream.SetPosition(end);
    }
}

uint32_t ImageChecksum(const uint8_t* image, size_t size, size_t checksumOffset) {
    TImageChecksum checksum(checksumOffset);
    checksum.Add(image, size);
    return checksum.Value();
}

void TImageChecksum::AddByte(uint32_t byte) {
    // The CheckSum field counts as zero wherever it lies.
    if (FSize >= FChecksumOffset && FSize - FChecksumOffset < 4)
        byte = 0;
    if (FSize % 2 == 0) {
        FLowByte = byte;
    } else {
        FSum += FLowByte | (byte << 8);
        FSum = (FSum & 0xFFFF) + (FSum >> 16);
        FLowByte = 0;
    }
    ++FSize;
}

void TImageChecksum::Add(const uint8_t* bytes, size_t size) {
    size_t i = 0;
    while (i < size) {
        // Whole words away from the CheckSum field are summed in one run; the carries
        // folded at the end give the same sum as folding after every word.
        size_t run = FSize % 2 == 0 ? (size - i) & ~size_t{1} : 0;
        if (FSize < FChecksumOffset + 4 && FSize + run > FChecksumOffset)
            run = FSize < FChecksumOffset ? (FChecksumOffset - FSize) & ~size_t{1} : 0;
        if (run == 0) {
            AddByte(bytes != nullptr ? bytes[i] : 0);
            ++i;
            continue;
        }
        if (bytes != nullptr) {
            uint64_t sum = FSum;
            size_t k = 0;
            // Four words at a time, as two 32-bit numbers: 2^16 is 1 modulo 0xFFFF, so a
            // 32-bit number folds to the sum of its two words, and a program of hundreds
            // of megabytes is summed at the speed of its copy.
            for (; k + 8 <= run; k += 8) {
                const uint64_t eight = EightBytes(bytes + i + k);
                sum += (eight & 0xFFFFFFFFu) + (eight >> 32);
            }
            for (; k < run; k += 2)
                sum += uint32_t{bytes[i + k]} | uint32_t{bytes[i + k + 1]} << 8;
            while (sum > 0xFFFF)
                sum = (sum & 0xFFFF) + (sum >> 16);
            FSum = static_cast<uint32_t>(sum);
        }
        FSize += run;
        i += run;
    }
}

uint32_t TImageChecksum::Value() const {
    uint32_t sum = FSum;
    if (FSize % 2 != 0) { // the last word's high byte is beyond the end: zero
        sum += FLowByte;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return sum + static_cast<uint32_t>(FSize);
}

} // namespace pictavo
