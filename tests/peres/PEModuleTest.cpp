#include "peres/PEFormat.h"
#include "peres/PEResourceModule.h"
#include "tests/peres/PeFixtures.h"
#include "util/Bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace pictavo {
namespace {

using test::PeFixture;
using test::PeFixtureBytes;

uint32_t NewHeader(const std::vector<uint8_t>& image) {
    return LoadU32(&image[60]);
}
uint32_t OptionalOffset(const std::vector<uint8_t>& image) {
    return NewHeader(image) + 24;
}
uint32_t Optional32(const std::vector<uint8_t>& image, uint32_t field) {
    return LoadU32(&image[OptionalOffset(image) + field]);
}

// The checksums that checksum.py recorded when the fixtures were built.
std::map<std::string, uint32_t> RecordedChecksums() {
    std::map<std::string, uint32_t> result;
    std::ifstream file(PeFixture("checksums.txt"));
    std::string name, value;
    while (file >> name >> value)
        result[name] = static_cast<uint32_t>(std::stoul(value, nullptr, 16));
    return result;
}

// A PE image without a resource list: writing it changes no section.
class PlainPEModule : public TPEModule {
public:
    int Count() const override { return 0; }
    TResourceDetails* Item(int) const override { return nullptr; }
    int IndexOf(const TResourceDetails*) const override { return -1; }
};

std::vector<uint8_t> WriteToBytes(TPEModule& module) {
    MemoryStream out;
    module.WriteToStream(out);
    return out.TakeBytes();
}

TEST(PEChecksum, EqualsTheIndependentlyRecordedValues) {
    const std::map<std::string, uint32_t> recorded = RecordedChecksums();
    ASSERT_EQ(recorded.size(), 4u);
    for (const auto& [name, checksum] : recorded) {
        const std::vector<uint8_t> image = PeFixtureBytes(name);
        EXPECT_EQ(ImageChecksum(image.data(), image.size(), OptionalOffset(image) + 64), checksum)
            << name;
    }
}

TEST(PEChecksum, OddLengthAndOddFieldPosition) {
    // Words 0x0201 and 0x0003 (odd tail padded with zero), field bytes ignored.
    const std::vector<uint8_t> bytes = {1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 3};
    EXPECT_EQ(ImageChecksum(bytes.data(), bytes.size(), 2), 0x0201u + 0x0003u + 7u);
    // A field at an odd offset zeroes the bytes it covers, wherever they fall in words.
    const std::vector<uint8_t> shifted = {1, 0xFF, 0xFF, 0xFF, 0xFF, 2};
    EXPECT_EQ(ImageChecksum(shifted.data(), shifted.size(), 1), 0x0001u + 0x0200u + 6u);
}

// The checksum as its definition reads: word by word, carries folded after each word.
uint32_t ChecksumWordByWord(const std::vector<uint8_t>& bytes, size_t checksumOffset) {
    const auto byteAt = [&](size_t i) -> uint32_t {
        return i >= bytes.size() || (i >= checksumOffset && i < checksumOffset + 4) ? 0 : bytes[i];
    };
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        sum += byteAt(i) | byteAt(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<uint32_t>(bytes.size());
}

TEST(PEChecksum, LargeRunsInAnyPiecesSumAsWordByWord) {
    // Mostly 0xFF, so that the carries are many; an odd length and odd pieces.
    std::vector<uint8_t> bytes(100001);
    uint32_t state = 12345;
    for (uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = (state >> 16) % 4 != 0 ? 0xFF : static_cast<uint8_t>(state >> 24);
    }
    for (const size_t checksumOffset : {size_t{0}, size_t{217}, size_t{4096}, size_t{99999}}) {
        const uint32_t expected = ChecksumWordByWord(bytes, checksumOffset);
        EXPECT_EQ(ImageChecksum(bytes.data(), bytes.size(), checksumOffset), expected);
        for (const size_t piece : {size_t{1}, size_t{7}, size_t{4099}, size_t{65536}}) {
            TImageChecksum checksum(checksumOffset);
            for (size_t done = 0; done < bytes.size(); done += piece)
                checksum.Add(bytes.data() + done, std::min(piece, bytes.size() - done));
            EXPECT_EQ(checksum.Value(), expected) << checksumOffset << " " << piece;
        }
    }
}

class RoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, UnchangedImageKeepsSectionsAndHeaderTotals) {
    const std::vector<uint8_t> original = PeFixtureBytes(GetParam());
    PlainPEModule module;
    module.ParseImage(original.data(), original.size());
    const std::vector<uint8_t> written = WriteToBytes(module);

    ASSERT_EQ(written.size(), original.size());
    EXPECT_EQ(Optional32(written, pe::SizeOfImageField),
              Optional32(original, pe::SizeOfImageField));
    EXPECT_EQ(Optional32(written, pe::SizeOfHeadersField),
              Optional32(original, pe::SizeOfHeadersField));
    ASSERT_EQ(module.SectionCount(), LoadU16(&original[NewHeader(original) + 6]));
    const uint32_t table = OptionalOffset(original) + LoadU16(&original[NewHeader(original) + 20]);
    for (int i = 0; i < module.SectionCount(); ++i) {
        const uint32_t header = table + 40 * static_cast<uint32_t>(i);
        SCOPED_TRACE(module.Section(i).Name());
        // VirtualSize, VirtualAddress, SizeOfRawData, PointerToRawData
        for (uint32_t field = 8; field < 24; field += 4)
            EXPECT_EQ(LoadU32(&written[header + field]), LoadU32(&original[header + field]));
        const uint32_t start = LoadU32(&original[header + 20]);
        const uint32_t size = LoadU32(&original[header + 16]);
        EXPECT_TRUE(std::equal(original.begin() + start, original.begin() + start + size,
                               written.begin() + start));
    }
    const uint32_t checksumAt = OptionalOffset(written) + pe::CheckSumField;
    EXPECT_EQ(LoadU32(&written[checksumAt]),
              ImageChecksum(written.data(), written.size(), checksumAt));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RoundTrip,
                         testing::Values("icons32.dll", "noicons32.dll", "app32.exe"),
                         [](const testing::TestParamInfo<const char*>& param) {
                             std::string name = param.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(PEModule, WrittenFixtureMatchesTheLinkerOutputExceptBaseOfData) {
    // GNU ld writes BaseOfData 0 and a checksum; the layout recomputes BaseOfData.
    const std::vector<uint8_t> original = PeFixtureBytes("icons32.dll");
    PlainPEModule module;
    module.ParseImage(original.data(), original.size());
    std::vector<uint8_t> written = WriteToBytes(module);
    ASSERT_EQ(written.size(), original.size());
    const uint32_t baseOfData = OptionalOffset(original) + pe::BaseOfDataField;
    // BaseOfCode 0x1000 + align(SizeOfOptionalHeader 224 + 24 + SizeOfCode 0x200, 0x1000)
    EXPECT_EQ(LoadU32(&written[baseOfData]), 0x2000u);
    StoreU32(&written[baseOfData], LoadU32(&original[baseOfData]));
    const uint32_t checksumAt = OptionalOffset(original) + pe::CheckSumField;
    // With the linker's BaseOfData the standard checksum is the recorded one.
    EXPECT_EQ(ImageChecksum(written.data(), written.size(), checksumAt),
              RecordedChecksums()["icons32.dll"]);
    StoreU32(&written[checksumAt], LoadU32(&original[checksumAt]));
    EXPECT_EQ(written, original);
}

// noicons32.dll: e_lfanew 0x80, section table at 0x178; .text is section 0, .rdata 1.
constexpr uint32_t SectionTable = 0x178;

TEST(PEModule, SectionContentFollowsVirtualAndRawSizes) {
    std::vector<uint8_t> image = PeFixtureBytes("noicons32.dll");
    const uint32_t text = SectionTable, rdata = SectionTable + 40;
    ASSERT_EQ(LoadU32(&image[text + 8]), 0x18u);   // VirtualSize
    ASSERT_EQ(LoadU32(&image[text + 16]), 0x200u); // SizeOfRawData
    // .rdata becomes an uninitialised section: no bytes in the file.
    StoreU32(&image[rdata + 8], 0x27EC);
    StoreU32(&image[rdata + 16], 0);
    StoreU32(&image[rdata + 20], 0);
    PlainPEModule module;
    module.ParseImage(image.data(), image.size());
    EXPECT_EQ(module.Section(0).RawData().Size(), 0x18);
    EXPECT_EQ(module.Section(0).UninitializedTail(), 0u);
    EXPECT_EQ(module.Section(1).RawData().Size(), 0);
    EXPECT_EQ(module.Section(1).UninitializedTail(), 0x27ECu);

    const std::vector<uint8_t> written = WriteToBytes(module);
    EXPECT_EQ(LoadU32(&written[rdata + 8]), 0x27ECu);
    EXPECT_EQ(LoadU32(&written[rdata + 16]), 0u);
    // .text is padded with zeros from 0x18 up to its 0x200 bytes.
    const uint32_t textStart = LoadU32(&written[text + 20]);
    EXPECT_TRUE(std::all_of(written.begin() + textStart + 0x18, written.begin() + textStart + 0x200,
                            [](uint8_t b) { return b == 0; }));
    // Packing would move the sections after .rdata by the two extra pages it now
    // occupies, and nothing inside them would follow: they stay where they are.
    EXPECT_EQ(LoadU32(&written[rdata + 40 + 12]), LoadU32(&image[rdata + 40 + 12]));
    EXPECT_EQ(LoadU32(&written[rdata + 40 + 20]), LoadU32(&image[rdata + 40 + 20]));
    EXPECT_EQ(Optional32(written, pe::SizeOfInitializedDataField),
              Optional32(image, pe::SizeOfInitializedDataField));
}

// Sections listed in another order than their data: refused before any byte reaches
// the output, which the checksum pass runs ahead of.
TEST(PEModule, SectionsOutOfFileOrderAreRefusedBeforeAnythingIsWritten) {
    std::vector<uint8_t> image = PeFixtureBytes("noicons32.dll");
    const uint32_t text = SectionTable, rdata = SectionTable + 40;
    const uint32_t textData = LoadU32(&image[text + 20]);
    StoreU32(&image[text + 20], LoadU32(&image[rdata + 20]));
    StoreU32(&image[rdata + 20], textData);
    PlainPEModule module;
    module.ParseImage(image.data(), image.size());
    MemoryStream out;
    try {
        module.WriteToStream(out);
        FAIL() << "no error";
    } catch (const EPEException& e) {
        EXPECT_STREQ(e.what(), "Cannot write the image: its sections are not in file order");
    }
    EXPECT_EQ(out.Size(), 0);
}

TEST(PEModule, ZeroVirtualSizeTakesTheRawSize) {
    std::vector<uint8_t> image = PeFixtureBytes("noicons32.dll");
    StoreU32(&image[SectionTable + 8], 0);
    PlainPEModule module;
    module.ParseImage(image.data(), image.size());
    EXPECT_EQ(module.Section(0).RawData().Size(), 0x200);
    EXPECT_EQ(module.Section(0).VirtualSize(), 0x200u);
}

// A 2 GB stream of zeros, or of a PE header followed by nothing useful, counting what
// is read from it.
class LargeStream : public Stream {
public:
    explicit LargeStream(std::vector<uint8_t> head) : head_(std::move(head)) {}
    size_t Read(void* buffer, size_t count) override {
        const size_t n = static_cast<size_t>(std::min<int64_t>(count, Size() - position_));
        auto* out = static_cast<uint8_t*>(buffer);
        for (size_t i = 0; i < n; ++i) {
            const uint64_t at = static_cast<uint64_t>(position_) + i;
            out[i] = at < head_.size() ? head_[at] : 0;
        }
        position_ += static_cast<int64_t>(n);
        read += n;
        return n;
    }
    size_t Write(const void*, size_t) override { return 0; }
    int64_t Seek(int64_t offset, SeekOrigin origin) override {
        position_ = (origin == SeekOrigin::Begin ? 0
                     : origin == SeekOrigin::End ? Size()
                                                 : position_) +
                    offset;
        return position_;
    }
    int64_t Size() override { return int64_t{2} << 30; }
    void SetSize(int64_t) override {}
    uint64_t read = 0;

private:
    std::vector<uint8_t> head_;
    int64_t position_ = 0;
};

// Reading a library checks the signatures before it reads the rest.
TEST(PEModule, LargeFileThatIsNoModuleFailsBeforeBeingRead) {
    std::vector<uint8_t> dosOnly(64, 0);
    StoreU16(dosOnly.data(), pe::DosSignature);
    StoreU32(dosOnly.data() + pe::NewHeaderOffsetField, 0x80);
    const struct {
        std::vector<uint8_t> head;
        const char* error;
    } cases[] = {{{}, "Invalid DOS signature"}, {dosOnly, "Invalid COFF signature"}};
    for (const auto& c : cases) {
        LargeStream stream(c.head);
        TPEResourceModule module;
        try {
            module.ReadFromStream(stream);
            ADD_FAILURE() << "read as a module";
        } catch (const EPEException& error) {
            EXPECT_EQ(error.Message(), c.error);
        }
        EXPECT_LT(stream.read, 4096u) << c.error;
    }
}

TEST(PEModule, AModuleWithoutAnImageIsNotWritten) {
    // Never read, and read again from bytes that are refused: no headers to lay out.
    PlainPEModule never;
    PlainPEModule refused;
    const std::vector<uint8_t> image = PeFixtureBytes("noicons32.dll");
    refused.ParseImage(image.data(), image.size());
    const std::vector<uint8_t> notPe(image.begin(), image.begin() + 0x80);
    EXPECT_THROW(refused.ParseImage(notPe.data(), notPe.size()), EPEException);
    for (PlainPEModule* module : {&never, &refused}) {
        MemoryStream out;
        EXPECT_THROW(module->WriteToStream(out), EPEException);
        EXPECT_EQ(out.Size(), 0);
    }
}

TEST(PEModule, LongerStubAndOverlayAreKept) {
    // Move the PE header from 0x80 to 0x100 (192 stub bytes), taking the room from the
    // zero padding before the first section at 0x400, and append an overlay.
    const std::vector<uint8_t> original = PeFixtureBytes("noicons32.dll");
    std::vector<uint8_t> image(original.begin(), original.begin() + 0x80);
    image.resize(0x100, 0xCC);
    image.insert(image.end(), original.begin() + 0x80, original.begin() + 0x380);
    image.insert(image.end(), original.begin() + 0x400, original.end());
    StoreU32(&image[60], 0x100);
    const std::string overlay = "signature block";
    image.insert(image.end(), overlay.begin(), overlay.end());
    PlainPEModule module;
    module.ParseImage(image.data(), image.size());
    EXPECT_EQ(module.DOSStub().Bytes().size(), 192u);
    EXPECT_EQ(std::string(module.Overlay().begin(), module.Overlay().end()), overlay);
    const std::vector<uint8_t> written = WriteToBytes(module);
    EXPECT_EQ(LoadU32(&written[60]), 0x100u);
    EXPECT_EQ(std::string(written.end() - overlay.size(), written.end()), overlay);
    EXPECT_EQ(written.size(), image.size());
}

} // namespace
} // namespace pictavo
