#pragma once
// Offsets and constants of the PE file layout shared by the reader and the writer.

#include <cstdint>

namespace pictavo::pe {

constexpr uint16_t DosSignature = 0x5A4D;    // "MZ"
constexpr uint32_t PeSignature = 0x00004550; // "PE\0\0"
constexpr uint32_t DosHeaderSize = 64;
constexpr uint32_t NewHeaderOffsetField = 60; // e_lfanew
constexpr uint32_t CoffHeaderSize = 20;
constexpr uint32_t SectionHeaderSize = 40;

// COFF header fields (from the start of the COFF header).
constexpr uint32_t NumberOfSectionsField = 2;
constexpr uint32_t PointerToSymbolTableField = 8; // a file offset
constexpr uint32_t SizeOfOptionalHeaderField = 16;

// Optional header.
constexpr uint16_t Pe32Magic = 0x10B;
constexpr uint16_t Pe32PlusMagic = 0x20B;
constexpr uint32_t SizeOfCodeField = 4;
constexpr uint32_t SizeOfInitializedDataField = 8;
constexpr uint32_t SizeOfUninitializedDataField = 12;
constexpr uint32_t BaseOfCodeField = 20;
constexpr uint32_t BaseOfDataField = 24; // PE32 only
constexpr uint32_t SectionAlignmentField = 32;
constexpr uint32_t FileAlignmentField = 36;
constexpr uint32_t SizeOfImageField = 56;
constexpr uint32_t SizeOfHeadersField = 60;
constexpr uint32_t CheckSumField = 64;
constexpr uint32_t NumberOfRvaAndSizesField32 = 92;
constexpr uint32_t DataDirectories32 = 96;
constexpr uint32_t NumberOfRvaAndSizesField64 = 108;
constexpr uint32_t DataDirectories64 = 112;
constexpr uint32_t DataDirectorySize = 8;
constexpr uint32_t ResourceDirectoryIndex = 2;
constexpr uint32_t SecurityDirectoryIndex = 4; // its "address" is a file offset

// Section header fields.
constexpr uint32_t VirtualSizeField = 8;
constexpr uint32_t VirtualAddressField = 12;
constexpr uint32_t SizeOfRawDataField = 16;
constexpr uint32_t PointerToRawDataField = 20;
constexpr uint32_t SectionCharacteristicsField = 36;

constexpr uint32_t SectionCode = 0x00000020;
constexpr uint32_t SectionInitializedData = 0x00000040;
constexpr uint32_t SectionUninitializedData = 0x00000080;
constexpr uint32_t SectionExecute = 0x20000000;
constexpr uint32_t SectionDiscardable = 0x02000000;
constexpr uint32_t SectionRead = 0x40000000;
constexpr uint32_t SectionWrite = 0x80000000;

// Numeric resource types.
constexpr uint32_t RtCursor = 1;
constexpr uint32_t RtBitmap = 2;
constexpr uint32_t RtIcon = 3;
constexpr uint32_t RtRcData = 10;
constexpr uint32_t RtGroupCursor = 12;
constexpr uint32_t RtGroupIcon = 14;
constexpr uint32_t RtVersion = 16;
constexpr uint32_t RtAniCursor = 21;
constexpr uint32_t RtAniIcon = 22;

} // namespace pictavo::pe
