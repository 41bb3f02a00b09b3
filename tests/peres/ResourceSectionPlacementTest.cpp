// Writing a module whose resource section is not the last one (GNU ld puts .reloc after
// .rsrc): no other section may move, since nothing inside them would follow. Fixture:
// rsrcmid32.dll (tests/fixtures/pe/build.sh from rsrcmid32.rc and relocs.c): .text
// .data .rdata .eh_fram .edata .idata .rsrc .reloc, .rsrc at 0x7000 (file 0x1000) with
// 0xE08 bytes, .reloc at 0x8000 (file 0x2000).

#include "peres/PEFormat.h"
#include "peres/PEResourceModule.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pictavo {
namespace {

using test::PeFixture;
using test::PeFixtureBytes;

// The fields of a section header that place it, with its bytes in the file.
struct PlacedSection {
    std::string Name;
    uint32_t VirtualSize, VirtualAddress, SizeOfRawData, PointerToRawData;
    std::vector<uint8_t> Bytes;
    bool operator==(const PlacedSection&) const = default;
};

void PrintTo(const PlacedSection& s, std::ostream* out) {
    *out << s.Name << " VA 0x" << std::hex << s.VirtualAddress << " size 0x" << s.VirtualSize
         << " file 0x" << s.PointerToRawData << " raw 0x" << s.SizeOfRawData;
}

// Reads a written image field by field, as a loader sees it.
struct Image {
    explicit Image(std::vector<uint8_t> bytes) : Bytes(std::move(bytes)) {}
    std::vector<uint8_t> Bytes;

    uint32_t Optional() const { return LoadU32(&Bytes[60]) + 24; }
    uint32_t Field(uint32_t offset) const { return LoadU32(&Bytes[Optional() + offset]); }
    int SectionCount() const { return LoadU16(&Bytes[LoadU32(&Bytes[60]) + 6]); }
    uint32_t SectionHeader(int i) const {
        return Optional() + LoadU16(&Bytes[LoadU32(&Bytes[60]) + 20]) + 40 * i;
    }
    PlacedSection Section(int i) const {
        const uint32_t at = SectionHeader(i);
        PlacedSection s{std::string(reinterpret_cast<const char*>(&Bytes[at]),
                                    strnlen(reinterpret_cast<const char*>(&Bytes[at]), 8)),
                        LoadU32(&Bytes[at + 8]),
                        LoadU32(&Bytes[at + 12]),
                        LoadU32(&Bytes[at + 16]),
                        LoadU32(&Bytes[at + 20]),
                        {}};
        s.Bytes.assign(Bytes.begin() + s.PointerToRawData,
                       Bytes.begin() + s.PointerToRawData + s.SizeOfRawData);
        return s;
    }
    std::pair<uint32_t, uint32_t> Directory(int i) const {
        return {Field(pe::DataDirectories32 + 8 * i), Field(pe::DataDirectories32 + 8 * i + 4)};
    }
    bool ChecksumValid() const {
        return Field(pe::CheckSumField) ==
               ImageChecksum(Bytes.data(), Bytes.size(), Optional() + pe::CheckSumField);
    }
};

std::vector<uint8_t> Written(TPEResourceModule& module) {
    MemoryStream out;
    module.WriteToStream(out);
    return out.TakeBytes();
}

void AddData(TPEResourceModule& module, const std::string& name, size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    module.Append(
        CreateWithData<TResourceDetails>(&module, 0, name, "10", bytes.size(), bytes.data()));
}

constexpr int ResourceIndex = 6;
constexpr int DirectoryCount = 16;

class ResourceSectionPlacement : public testing::Test {
protected:
    void SetUp() override { module.ParseImage(original.Bytes.data(), original.Bytes.size()); }
    void ExpectOtherDirectoriesUnchanged(const Image& written) {
        for (int d = 0; d < DirectoryCount; ++d) {
            if (d == pe::ResourceDirectoryIndex)
                continue;
            EXPECT_EQ(written.Directory(d), original.Directory(d)) << "directory " << d;
        }
    }

    Image original{PeFixtureBytes("rsrcmid32.dll")};
    TPEResourceModule module;
};

TEST_F(ResourceSectionPlacement, TheFixtureHasRelocationsAfterTheResources) {
    ASSERT_EQ(original.SectionCount(), 8);
    EXPECT_EQ(original.Section(ResourceIndex).Name, ".rsrc");
    EXPECT_EQ(original.Section(ResourceIndex + 1).Name, ".reloc");
    EXPECT_EQ(original.Directory(5).first, original.Section(ResourceIndex + 1).VirtualAddress);
}

// More resources than the room before .reloc: a new last section takes them.
TEST_F(ResourceSectionPlacement, ResourcesThatOutgrowTheirRoomGoToANewLastSection) {
    AddData(module, "BIG", 0x3000);
    const Image written(Written(module));

    ASSERT_EQ(written.SectionCount(), 9);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(written.Section(i), original.Section(i));
    const PlacedSection added = written.Section(8);
    const PlacedSection reloc = original.Section(7);
    EXPECT_EQ(added.Name, ".rsrc");
    EXPECT_EQ(added.VirtualAddress, 0x9000u); // after .reloc, section-aligned
    EXPECT_EQ(added.PointerToRawData, reloc.PointerToRawData + reloc.SizeOfRawData);
    EXPECT_EQ(written.Directory(pe::ResourceDirectoryIndex),
              std::make_pair(added.VirtualAddress, added.VirtualSize));
    ExpectOtherDirectoriesUnchanged(written);
    EXPECT_EQ(written.Field(pe::SizeOfImageField), 0x9000u + 0x4000u);
    EXPECT_EQ(written.Field(pe::SizeOfInitializedDataField),
              original.Field(pe::SizeOfInitializedDataField) + added.SizeOfRawData);
    EXPECT_EQ(written.Field(pe::SizeOfHeadersField), original.Field(pe::SizeOfHeadersField));
    EXPECT_TRUE(written.ChecksumValid());

    // Read back: every resource is there; written again, nothing moves.
    TPEResourceModule reread;
    reread.ParseImage(written.Bytes.data(), written.Bytes.size());
    ASSERT_NE(test::Find(reread, "10", "BIG"), nullptr);
    EXPECT_EQ(test::Find(reread, "10", "BIG")->Data().Size(), 0x3000);
    EXPECT_NE(test::Find(reread, "14", "1"), nullptr);
    EXPECT_EQ(Written(reread), written.Bytes);
}

TEST_F(ResourceSectionPlacement, ResourcesThatStillFitStayInTheirSection) {
    AddData(module, "SMALL", 0x100);
    const Image written(Written(module));
    ASSERT_EQ(written.SectionCount(), 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        if (i == ResourceIndex) {
            EXPECT_EQ(written.Section(i).VirtualAddress, original.Section(i).VirtualAddress);
            EXPECT_EQ(written.Section(i).PointerToRawData, original.Section(i).PointerToRawData);
            EXPECT_GT(written.Section(i).VirtualSize, original.Section(i).VirtualSize);
        } else {
            EXPECT_EQ(written.Section(i), original.Section(i));
        }
    }
    ExpectOtherDirectoriesUnchanged(written);
    EXPECT_EQ(written.Field(pe::SizeOfImageField), original.Field(pe::SizeOfImageField));
    EXPECT_TRUE(written.ChecksumValid());
}

// Whatever a linker or packer left in another section's header and file bytes stays, read
// from memory or from a file, whether the resources stay in their section or move to a
// new last one: a raw size below the memory size, unrounded (8 bytes of .data in the
// file, the rest zero-filled when loaded); bytes after the content up to the raw size,
// which the loader maps with the section (here made non-zero).
TEST_F(ResourceSectionPlacement, OtherSectionsKeepTheirSizesAndFileBytes) {
    std::vector<uint8_t> unrounded = original.Bytes;
    StoreU32(&unrounded[original.SectionHeader(1) + pe::SizeOfRawDataField], 8);
    std::vector<uint8_t> padded = original.Bytes;
    const PlacedSection data = original.Section(1);
    for (uint32_t i = data.VirtualSize; i < data.SizeOfRawData; ++i)
        padded[data.PointerToRawData + i] = static_cast<uint8_t>(0xA0 + i);
    const std::string file =
        (std::filesystem::temp_directory_path() / ("pictavo-kept-" + std::to_string(::getpid())))
            .string();

    for (const std::vector<uint8_t>* crafted : {&unrounded, &padded}) {
        const Image before(*crafted);
        WriteFileBytes(file, *crafted);
        for (const bool fromFile : {false, true}) {
            for (const size_t added : {size_t{0x100}, size_t{0x3000}}) {
                SCOPED_TRACE(testing::Message() << (crafted == &padded ? "padded" : "unrounded")
                                                << (fromFile ? " file" : " memory") << " +"
                                                << added);
                TPEResourceModule changed;
                if (fromFile)
                    changed.ReadFromFile(file);
                else
                    changed.ParseImage(crafted->data(), crafted->size());
                AddData(changed, "DATA", added);
                const Image written(Written(changed));
                for (int i = 0; i < 8; ++i) {
                    if (i == ResourceIndex)
                        continue;
                    EXPECT_EQ(written.Section(i), before.Section(i)) << "section " << i;
                }
                EXPECT_TRUE(written.ChecksumValid());
            }
        }
    }
    std::filesystem::remove(file);
}

// Bytes after the last section (COFF symbols, an installer's payload) move, unchanged,
// when a new last section comes before them: the header field that points at them by
// file offset follows.
TEST_F(ResourceSectionPlacement, PointersIntoTheOverlayFollowItWhenItMoves) {
    std::vector<uint8_t> bytes = original.Bytes;
    const uint32_t overlayAt = static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 64; ++i)
        bytes.push_back(static_cast<uint8_t>(0xC0 + i));
    const uint32_t coff = LoadU32(&bytes[60]) + 4;
    StoreU32(&bytes[coff + pe::PointerToSymbolTableField], overlayAt + 16);
    TPEResourceModule withOverlay;
    withOverlay.ParseImage(bytes.data(), bytes.size());
    AddData(withOverlay, "BIG", 0x3000);
    const Image written(Written(withOverlay));

    ASSERT_EQ(written.SectionCount(), 9);
    const uint32_t movedTo = written.Section(8).PointerToRawData + written.Section(8).SizeOfRawData;
    ASSERT_EQ(written.Bytes.size(), movedTo + 64u);
    EXPECT_TRUE(std::equal(bytes.begin() + overlayAt, bytes.end(), written.Bytes.begin() + movedTo));
    EXPECT_EQ(LoadU32(&written.Bytes[coff + pe::PointerToSymbolTableField]), movedTo + 16);
    EXPECT_TRUE(written.ChecksumValid());

    // Written again from what was written, nothing moves any further.
    TPEResourceModule reread;
    reread.ParseImage(written.Bytes.data(), written.Bytes.size());
    EXPECT_EQ(Written(reread), written.Bytes);
}

// A certificate table after the sections signs the file: a changed file is refused, or
// written without the table when asked to drop the signature.
TEST_F(ResourceSectionPlacement, ASignedFileIsRefusedUnlessItsSignatureIsDropped) {
    std::vector<uint8_t> bytes = original.Bytes;
    const uint32_t tableAt = static_cast<uint32_t>(bytes.size());
    bytes.resize(bytes.size() + 24, 0x5A);
    const uint32_t certificates = original.Optional() + pe::DataDirectories32 + 8 * 4;
    StoreU32(&bytes[certificates], tableAt);
    StoreU32(&bytes[certificates + 4], 24);
    TPEResourceModule signedModule;
    signedModule.ParseImage(bytes.data(), bytes.size());
    EXPECT_TRUE(signedModule.IsSigned());
    AddData(signedModule, "SMALL", 0x10);
    MemoryStream refused;
    EXPECT_THROW(signedModule.WriteToStream(refused), ESignedImage);
    EXPECT_EQ(refused.Size(), 0);

    signedModule.SetStripSignature(true);
    const Image written(Written(signedModule));
    EXPECT_EQ(written.Bytes.size(), tableAt);
    EXPECT_EQ(written.Directory(4), std::make_pair(0u, 0u));
    EXPECT_TRUE(written.ChecksumValid());
}

// Bytes right after the section table (here made non-zero) may belong to something; a
// new section header would overwrite them.
TEST_F(ResourceSectionPlacement, NoRoomForAnotherSectionHeaderIsRefusedBeforeWriting) {
    std::vector<uint8_t> bytes = original.Bytes;
    const uint32_t tableEnd = original.Optional() + LoadU16(&bytes[LoadU32(&bytes[60]) + 20]) +
                              40 * original.SectionCount();
    bytes[tableEnd + 8] = 0xAB;
    const std::string target =
        (std::filesystem::temp_directory_path() / ("pictavo-rsrcmid-" + std::to_string(::getpid())))
            .string();
    WriteFileBytes(target, bytes);
    TPEResourceModule full;
    full.ReadFromFile(target);
    AddData(full, "BIG", 0x3000);
    try {
        full.WriteToFile(target);
        ADD_FAILURE() << "written";
    } catch (const EPEException& error) {
        EXPECT_NE(std::string(error.what()).find("no room for another section header"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(ReadFileBytes(target), bytes);
    std::filesystem::remove(target);
}

} // namespace
} // namespace pictavo
