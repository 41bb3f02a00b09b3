// Stored items: payload format and round trips at every compression level, naming,
// lookup, events, the form-resource data property, and the program's own item.

#include "library/FileStorage.h"
#include "library/ProgramStorage.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <ostream>

namespace pictavo {
namespace {

std::vector<uint8_t> SampleBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(i % 7 == 0 ? state >> 16 : i / 64); // part noise, part runs
    }
    return bytes;
}

std::vector<uint8_t> Extract(TStoredItem& item) {
    MemoryStream out;
    item.SaveToStream(&out);
    return out.TakeBytes();
}

void Store(TStoredItem& item, const std::vector<uint8_t>& bytes) {
    MemoryStream in(bytes);
    in.SetPosition(static_cast<int64_t>(bytes.size())); // storing rewinds the stream itself
    item.LoadFromStream(&in);
}

// The decompressed content of a payload, with zlib's one-shot API.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& payload, size_t expected) {
    std::vector<uint8_t> out(expected);
    uLongf size = static_cast<uLongf>(expected);
    EXPECT_EQ(uncompress(out.data(), &size, payload.data(), static_cast<uLong>(payload.size())),
              Z_OK);
    out.resize(size);
    return out;
}

struct LevelCase {
    TCompressionLevel Level;
    int ZlibLevel;
    const char* Name;
};
void PrintTo(const LevelCase& c, std::ostream* os) {
    *os << c.Name;
}

class StoredItemLevel : public testing::TestWithParam<LevelCase> {};

TEST_P(StoredItemLevel, PayloadRoundTripsAndHasItsFormat) {
    const LevelCase& c = GetParam();
    EXPECT_EQ(ZlibLevel(c.Level), c.ZlibLevel);
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    item.SetCompression(c.Level);
    for (size_t size : {size_t{1}, size_t{4}, size_t{70000}}) {
        const std::vector<uint8_t> bytes = SampleBytes(size);
        Store(item, bytes);
        EXPECT_EQ(Extract(item), bytes) << size;
        const std::vector<uint8_t>& payload = item.Payload().Bytes();
        if (c.Level == TCompressionLevel::clNone) {
            EXPECT_EQ(payload, bytes);
            continue;
        }
        EXPECT_EQ(item.FileSize(), static_cast<int32_t>(size));
        EXPECT_EQ(payload[0], 0x78); // zlib header
        const std::vector<uint8_t> content = Inflate(payload, size + 4);
        ASSERT_EQ(content.size(), size + 4);
        EXPECT_EQ(LoadU32(content.data()), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), content.begin() + 4));
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, StoredItemLevel,
                         testing::Values(LevelCase{TCompressionLevel::clNone, 0, "None"},
                                         LevelCase{TCompressionLevel::clFastest, 1, "Fastest"},
                                         LevelCase{TCompressionLevel::clDefault, -1, "Default"},
                                         LevelCase{TCompressionLevel::clMax, 9, "Max"}),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST(StoredItem, EmptyStreamLeavesEmptyPayloadAndExtractsNothing) {
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    Store(item, SampleBytes(100));
    MemoryStream empty;
    item.LoadFromStream(&empty);
    EXPECT_EQ(item.Size(), 0);
    EXPECT_FALSE(item.HasStoredData());
    EXPECT_TRUE(Extract(item).empty());
    item.LoadFromStream(nullptr);
    EXPECT_EQ(item.Size(), 0);
    item.SaveToStream(nullptr); // does nothing
}

TEST(StoredItem, PayloadWithCountZeroExtractsNothing) {
    const uint8_t zero[4] = {0, 0, 0, 0};
    std::vector<uint8_t> payload(compressBound(4));
    uLongf size = static_cast<uLongf>(payload.size());
    ASSERT_EQ(compress2(payload.data(), &size, zero, 4, 6), Z_OK);
    payload.resize(size);

    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    MemoryStream data;
    data.WriteU32(static_cast<uint32_t>(payload.size()));
    data.WriteBuffer(payload.data(), payload.size());
    data.SetPosition(0);
    item.ReadStoredData(data);
    EXPECT_EQ(item.Size(), static_cast<int32_t>(payload.size()));
    EXPECT_TRUE(Extract(item).empty());
}

TEST(StoredItem, DamagedPayloadsRaiseTheirErrors) {
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    Store(item, SampleBytes(5000));
    std::vector<uint8_t> payload = item.Payload().Bytes();

    auto reload = [&](const std::vector<uint8_t>& bytes) {
        MemoryStream data;
        data.WriteU32(static_cast<uint32_t>(bytes.size()));
        data.WriteBuffer(bytes.data(), bytes.size());
        data.SetPosition(0);
        item.ReadStoredData(data);
    };
    reload(std::vector<uint8_t>(payload.begin(), payload.begin() + 40)); // cut short
    EXPECT_THROW(Extract(item), EReadError);
    std::vector<uint8_t> garbled = payload;
    garbled[0] = 0x12; // not a zlib header
    reload(garbled);
    try {
        Extract(item);
        FAIL() << "no error";
    } catch (const EDecompressionError& error) {
        EXPECT_STREQ(error.what(), "错误");
    }
}

TEST(StoredItem, StoredDataPropertyRoundTripsAndRefusesOverlongLengths) {
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    const std::vector<uint8_t> bytes = SampleBytes(3000);
    Store(item, bytes);
    MemoryStream property;
    item.WriteStoredData(property);
    EXPECT_EQ(property.Size(), 4 + item.Size());
    EXPECT_EQ(LoadU32(property.Memory()), static_cast<uint32_t>(item.Size()));

    TStoredItem& copy = storage.StoredItems().Add();
    property.SetPosition(0);
    copy.ReadStoredData(property);
    EXPECT_EQ(Extract(copy), bytes);

    MemoryStream overlong;
    overlong.WriteU32(1000);
    overlong.WriteU32(0);
    overlong.SetPosition(0);
    EXPECT_THROW(copy.ReadStoredData(overlong), EReadError);
}

TEST(StoredItems, NewNamesFillTheSmallestGap) {
    TFileStorage storage;
    TStoredItems& items = storage.StoredItems();
    EXPECT_EQ(items.Add().Name(), "StoredItem1");
    EXPECT_EQ(items.Add().Name(), "StoredItem2");
    EXPECT_EQ(items.Add().Name(), "StoredItem3");
    items.Delete(1);
    EXPECT_EQ(items.Add().Name(), "StoredItem2");
    items.Items(0).SetName("storeditem4"); // taken without regard to case
    EXPECT_EQ(items.Add().Name(), "StoredItem1");
    EXPECT_EQ(items.Add().Name(), "StoredItem5");
}

TEST(StoredItems, DuplicateNamesAreRefusedAndOwnNameIsKept) {
    TFileStorage storage;
    TStoredItem& first = storage.StoredItems().Add();
    TStoredItem& second = storage.StoredItems().Add();
    first.SetName("DLL");
    try {
        second.SetName("dll");
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "保存项目的名称重复");
    }
    EXPECT_EQ(second.Name(), "StoredItem2");
    first.SetName("dll"); // its own name in other case: nothing changes
    EXPECT_EQ(first.Name(), "DLL");
    second.SetName("Template");
    EXPECT_EQ(second.Name(), "Template");
}

TEST(FileStorage, FindsAndGetsItems) {
    TFileStorage storage;
    storage.StoredItems().Add().SetName("DLL");
    storage.StoredItems().Add().SetName("Ärger");
    EXPECT_EQ(storage.FindStoredItem("dll"), &storage.StoredItems().Items(0));
    EXPECT_EQ(storage.FindStoredItem("äRGER"), &storage.StoredItems().Items(1));
    EXPECT_EQ(storage.FindStoredItem("exe"), nullptr);
    EXPECT_EQ(storage.GetStoredItem(1), &storage.StoredItems().Items(1));
    EXPECT_EQ(storage.GetStoredItem(2), nullptr);
    EXPECT_EQ(storage.GetStoredItem(-1), nullptr);
}

TEST(FileStorage, TotalsRatioAndVersion) {
    TFileStorage storage;
    EXPECT_EQ(storage.Ratio(), "100%");
    EXPECT_EQ(storage.Version(), "1.2");
    TStoredItem& item = storage.StoredItems().Add();
    Store(item, std::vector<uint8_t>(10000, 7));
    EXPECT_EQ(storage.OriginalSize(), 10000);
    EXPECT_EQ(storage.Size(), item.Size());
    EXPECT_EQ(item.Ratio(), RatioText(item.Size(), 10000));
    EXPECT_EQ(RatioText(9551, 17920), "53.30%");
    EXPECT_EQ(RatioText(5, 0), "100%");
}

TEST(StoredItem, ChangingCompressionRecompressesOutsideRestoring) {
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    const std::vector<uint8_t> bytes = SampleBytes(2000);
    Store(item, bytes);
    item.SetCompression(TCompressionLevel::clNone);
    EXPECT_EQ(item.Payload().Bytes(), bytes);
    item.SetCompression(TCompressionLevel::clMax);
    EXPECT_EQ(Extract(item), bytes);
    EXPECT_NE(item.Payload().Bytes(), bytes);

    // While restoring only the setting is recorded.
    const std::vector<uint8_t> payload = item.Payload().Bytes();
    storage.BeginRestore();
    item.SetCompression(TCompressionLevel::clNone);
    storage.EndRestore();
    EXPECT_EQ(item.Payload().Bytes(), payload);
}

TEST(StoredItem, FileNameAndSizeAreAssignableOnlyWhileRestoring) {
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    item.SetFileName("a.dll");
    item.SetFileSize(5);
    EXPECT_EQ(item.FileName(), "");
    EXPECT_EQ(item.FileSize(), 0);
    storage.BeginRestore();
    item.SetFileName("a.dll");
    item.SetFileSize(5);
    storage.EndRestore();
    EXPECT_EQ(item.FileName(), "a.dll");
    EXPECT_EQ(item.FileSize(), 5);
}

TEST(StoredItem, EventsSurroundTheStreamOperations) {
    std::vector<std::string> log;
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    item.OnBeforeLoad = [&](TStoredItem&, Stream& s) {
        log.push_back("before load " + std::to_string(s.Position()));
    };
    item.OnAfterLoad = [&](TStoredItem& i) {
        log.push_back("after load " + std::to_string(i.FileSize()));
    };
    item.OnBeforeSave = [&](TStoredItem&, Stream&) { log.push_back("before save"); };
    item.OnAfterSave = [&](TStoredItem&) { log.push_back("after save"); };
    item.OnDestroy = [&](TStoredItem& i) {
        log.push_back(i.Collection() == nullptr ? "destroy, taken out" : "destroy, still in");
    };
    Store(item, SampleBytes(10));
    Extract(item);
    storage.StoredItems().Delete(0);
    EXPECT_EQ(log, (std::vector<std::string>{"before load 0", "after load 10", "before save",
                                             "after save", "destroy, taken out"}));
}

TEST(StoredItem, AssignCopiesTagAndPayloadOnly) {
    TFileStorage storage;
    TStoredItem& source = storage.StoredItems().Add();
    source.Tag = 7;
    Store(source, SampleBytes(500));
    TFileStorage other;
    other.SetStoredItems(storage.StoredItems());
    ASSERT_EQ(other.StoredItems().Count(), 1);
    TStoredItem& copy = other.StoredItems().Items(0);
    EXPECT_EQ(copy.Tag, 7);
    EXPECT_EQ(copy.Payload().Bytes(), source.Payload().Bytes());
    EXPECT_EQ(copy.FileSize(), 0); // not copied
    EXPECT_EQ(Extract(copy), SampleBytes(500));
}

TEST(ProgramStorage, HoldsTheTemplateAsItemDll) {
    TFileStorage& storage = ProgramStorage();
    ASSERT_EQ(storage.StoredItems().Count(), 1);
    TStoredItem* item = storage.FindStoredItem("dll");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name(), "DLL");
    EXPECT_EQ(item->FileName(), "Template.dll");
    EXPECT_EQ(item->FileSize(), 17920);
    EXPECT_EQ(item->Tag, 0);
    EXPECT_EQ(item->Compression(), TCompressionLevel::clDefault);
    EXPECT_EQ(storage.OriginalSize(), 17920);
    EXPECT_EQ(storage.Ratio(), RatioText(item->Size(), 17920));

    // The payload is the template compressed at the default level, as storing it again gives.
    const std::vector<uint8_t> dll = Extract(*item);
    ASSERT_EQ(dll.size(), 17920u);
    EXPECT_EQ(dll[0], 'M');
    EXPECT_EQ(dll[1], 'Z');
    TFileStorage fresh;
    TStoredItem& again = fresh.StoredItems().Add();
    Store(again, dll);
    EXPECT_EQ(again.Payload().Bytes(), item->Payload().Bytes());
    EXPECT_EQ(Extract(*item), dll); // extracting changes nothing
}

} // namespace
} // namespace pictavo
