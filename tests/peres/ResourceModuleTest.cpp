#include "peres/ResourceModule.h"
#include "peres/PEResourceModule.h"
#include "tests/peres/PeFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace pictavo {
namespace {

namespace fs = std::filesystem;

TResourceDetails& Add(TResourceModule& module, const std::string& type, const std::string& name,
                      const std::string& bytes = "x") {
    auto resource = CreateWithData<TResourceDetails>(
        &module, 0, name, type, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    TResourceDetails& added = *resource;
    module.Append(std::move(resource));
    return added;
}

std::vector<std::string> Paths(const TResourceModule& module) {
    std::vector<std::string> result;
    for (int i = 0; i < module.Count(); ++i)
        result.push_back(module.Item(i)->Type() + "/" + module.Item(i)->Name());
    return result;
}

TEST(ResourceModel, NumericName) {
    EXPECT_EQ(NumericName("007"), 7);
    EXPECT_EQ(NumericName("2147483647"), 2147483647);
    EXPECT_EQ(NumericName(""), -1);
    EXPECT_EQ(NumericName("#12"), -1);
    EXPECT_EQ(NumericName("12a"), -1);
    EXPECT_THROW(NumericName("2147483648"), EConvertError);
}

TEST(ResourceModel, NextFreeNameCountsOnlyNumericNamesOfTheType) {
    TPEResourceModule module;
    EXPECT_EQ(module.NextFreeName("14"), "1");
    Add(module, "14", "1");
    Add(module, "14", "3");
    Add(module, "14", "Main");
    Add(module, "3", "9");
    EXPECT_EQ(module.NextFreeName("14"), "4");
    Add(module, "14", "5");
    Add(module, "14", "2");
    EXPECT_EQ(module.NextFreeName("14"), "6");
}

// The names NextFreeName keeps follow every change of the list: a removed highest name
// is free again, as a scan of the module would find.
TEST(ResourceModel, NextFreeNameFollowsAddsRemovalsAndRenames) {
    TPEResourceModule module;
    Add(module, "14", "1");
    Add(module, "14", "2");
    TResourceDetails& five = Add(module, "14", "5");
    Add(module, "14", "5").SetLanguage(0x0409); // the same name in a second language
    EXPECT_EQ(module.NextFreeName("14"), "6");
    module.RemoveAt(module.IndexOf(&five));
    EXPECT_EQ(module.NextFreeName("14"), "6"); // the other language still bears 5
    module.RemoveAt(module.Count() - 1);
    EXPECT_EQ(module.NextFreeName("14"), "3");
    module.InsertAt(0, CreateWithData<TResourceDetails>(&module, 0, "9", "14", 1,
                                                        reinterpret_cast<const uint8_t*>("x")));
    EXPECT_EQ(module.NextFreeName("14"), "10");
    module.Item(0)->Rename("Nine");
    EXPECT_EQ(module.NextFreeName("14"), "3");
    Add(module, "14", "99999999999"); // too long for a number, as a scan would find
    EXPECT_THROW(module.NextFreeName("14"), EConvertError);
    module.RemoveAt(module.Count() - 1);
    EXPECT_EQ(module.NextFreeName("14"), "3");
}

TEST(ResourceModel, SortPutsNamedTypesFirstThenNumbers) {
    TPEResourceModule module;
    Add(module, "14", "2");
    Add(module, "3", "10");
    Add(module, "Bitmaps", "1");
    Add(module, "2", "1");
    Add(module, "abc", "1");
    Add(module, "14", "Zed");
    Add(module, "3", "007");
    Add(module, "14", "alpha");
    module.Sort();
    EXPECT_EQ(Paths(module), (std::vector<std::string>{"abc/1", "Bitmaps/1", "2/1", "3/007", "3/10",
                                                       "14/alpha", "14/Zed", "14/2"}));
}

TEST(ResourceModel, CompareResourcesIgnoresLanguage) {
    TPEResourceModule module;
    TResourceDetails& a = Add(module, "3", "1");
    TResourceDetails& b = Add(module, "3", "1");
    b.SetLanguage(1029);
    EXPECT_EQ(CompareResources(a, b), 0);
    EXPECT_LT(CompareResources(Add(module, "MYTYPE", "9"), a), 0);
}

TEST(ResourceModel, SortWithAnOverlongNumberFailsAndKeepsTheList) {
    TPEResourceModule module;
    Add(module, "14", "2");
    Add(module, "14", "99999999999");
    Add(module, "3", "1");
    EXPECT_THROW(module.Sort(), EConvertError);
    EXPECT_EQ(Paths(module), (std::vector<std::string>{"14/2", "14/99999999999", "3/1"}));
}

struct FactoryCase {
    const char* Bytes;
    size_t Size;
    const char* Expected; // "ansi", "unicode" or "generic"
};

void PrintTo(const FactoryCase& c, std::ostream* os) {
    *os << c.Expected << "/" << c.Size;
}

class Factory : public testing::TestWithParam<FactoryCase> {};

TEST_P(Factory, RecognisesTextResources) {
    const FactoryCase& c = GetParam();
    const auto resource = MakeResourceDetails(nullptr, 0, "1", "MYTYPE", c.Size,
                                              reinterpret_cast<const uint8_t*>(c.Bytes));
    const bool ansi = dynamic_cast<TAnsiResourceDetails*>(resource.get()) != nullptr;
    const bool unicode = dynamic_cast<TUnicodeResourceDetails*>(resource.get()) != nullptr;
    EXPECT_EQ(ansi ? "ansi" : unicode ? "unicode" : "generic", std::string(c.Expected));
    EXPECT_EQ(resource->Data().Bytes(), std::vector<uint8_t>(c.Bytes, c.Bytes + c.Size));
    EXPECT_EQ(resource->Type(), "MYTYPE");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Factory,
    testing::Values(FactoryCase{"A", 1, "ansi"}, FactoryCase{"line\r\n\tend", 10, "ansi"},
                    FactoryCase{"A\0B\0", 4, "generic"}, FactoryCase{"A\0B\0C\0D\0", 8, "unicode"},
                    FactoryCase{"\x01\x02", 2, "generic"}, FactoryCase{"", 0, "generic"}));

// Registry classes for the factory tests, on types nothing else serves.
class TestRawDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;
    static std::string TypeOfClass() { return "10"; }
    static bool AcceptsRawData(const std::string& name, size_t, const uint8_t*) {
        return name == "RAW";
    }
};

class TestThrowingDetails : public TResourceDetails {
public:
    TestThrowingDetails(TResourceModule* owner, int32_t language, const std::string& name,
                        const std::string& type)
        : TResourceDetails(owner, language, name, type) {
        throw Exception("broken class");
    }
    static std::string TypeOfClass() { return "7777"; }
};

class TestSignatureDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;
    static std::string TypeOfClass() { return "7778"; }
    static bool RecognisesData(size_t size, const uint8_t* data) {
        return size >= 4 && std::memcmp(data, "SIG!", 4) == 0;
    }
};

TEST(ResourceModel, FactoryUsesTheRegistry) {
    const TResourceDetailsClass raw = DetailsClassOf<TestRawDetails>("TestRawDetails");
    const TResourceDetailsClass throwing = DetailsClassOf<TestThrowingDetails>("TestThrowing");
    const TResourceDetailsClass signature = DetailsClassOf<TestSignatureDetails>("TestSignature");
    AddDetailsClass(throwing);
    AddDetailsClass(raw);
    AddDetailsClass(signature);
    AddDetailsClass(raw);
    const auto make = [](const std::string& type, const std::string& name, const char* bytes) {
        return MakeResourceDetails(nullptr, 0, name, type, std::strlen(bytes),
                                   reinterpret_cast<const uint8_t*>(bytes));
    };
    EXPECT_NE(dynamic_cast<TestRawDetails*>(make("10", "RAW", "\x01").get()), nullptr);
    EXPECT_EQ(dynamic_cast<TestRawDetails*>(make("10", "OTHER", "\x01").get()), nullptr);
    // A failing class leaves the resource to the generic classes.
    EXPECT_NE(dynamic_cast<TAnsiResourceDetails*>(make("7777", "1", "text").get()), nullptr);
    // Recognised by content whatever the type.
    EXPECT_NE(dynamic_cast<TestSignatureDetails*>(make("UNKNOWN", "1", "SIG!\x01").get()), nullptr);

    RemoveDetailsClass(raw);
    RemoveDetailsClass(throwing);
    RemoveDetailsClass(signature);
    for (const TResourceDetailsClass& cls : RegisteredDetailsClasses())
        EXPECT_FALSE(cls == raw || cls == throwing || cls == signature) << cls.ClassName;
}

// FillDefault runs after the resource joined its owner, and may add more resources.
class TestGroupDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;
    static std::string TypeOfClass() { return "7779"; }
    void FillDefault() override {
        ASSERT_NE(Owner(), nullptr);
        IndexWhenFilled = Owner()->IndexOf(this);
        Data().WriteBuffer("default", 7);
        CreateEmpty<TResourceDetails>(*Owner(), Language(), Owner()->NextFreeName("0"));
    }
    // Removing the group removes its companion first.
    void PrepareForRemoval() override {
        for (int i = 0; i < Owner()->Count(); ++i)
            if (Owner()->Item(i)->Type() == "0")
                Owner()->RemoveAt(i);
    }
    int IndexWhenFilled = -1;
};

TEST(ResourceModel, CreateEmptyAppendsBeforeFillDefault) {
    TPEResourceModule module;
    Add(module, "3", "1");
    TestGroupDetails* group = CreateEmpty<TestGroupDetails>(module, 1029, "5");
    EXPECT_EQ(group->IndexWhenFilled, 1);
    EXPECT_EQ(group->Type(), "7779");
    EXPECT_EQ(group->CodePage(), 1250u);
    EXPECT_EQ(Paths(module), (std::vector<std::string>{"3/1", "7779/5", "0/1"}));
    EXPECT_EQ(group->Data().Bytes().size(), 7u);

    const auto free = CreateEmpty<TAnsiResourceDetails>(0, "x");
    EXPECT_EQ(free->Owner(), nullptr);
    EXPECT_EQ(free->Type(), "0");
}

TEST(ResourceModel, RemoveAtRunsThePreparationChainAndSetsModified) {
    TPEResourceModule module;
    Add(module, "3", "1");
    CreateEmpty<TestGroupDetails>(module, 0, "5");
    module.ResetModified();
    module.RemoveAt(1);
    EXPECT_TRUE(module.Modified());
    EXPECT_EQ(Paths(module), (std::vector<std::string>{"3/1"}));
}

TEST(ResourceModel, RenameAndResetModified) {
    TPEResourceModule module;
    TResourceDetails& r = Add(module, "3", "1");
    r.Rename("1");
    EXPECT_FALSE(r.Modified());
    r.Rename("2");
    EXPECT_TRUE(r.Modified());
    EXPECT_EQ(r.Name(), "2");
    module.ResetModified();
    EXPECT_FALSE(r.Modified());
}

TEST(ResourceModel, ReplaceDataCopiesTheWholeStream) {
    TPEResourceModule module;
    TResourceDetails& r = Add(module, "3", "1", "old content");
    MemoryStream source(std::vector<uint8_t>{1, 2, 3});
    source.SetPosition(2);
    r.ReplaceData(source);
    EXPECT_EQ(r.Data().Bytes(), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(ResourceModel, BackupFileNameComesFromTheFileNamePart) {
    EXPECT_EQ(BackupFileName("lib.icl"), "lib.~icl");
    EXPECT_EQ(BackupFileName("dir/lib.icl"), "dir/lib.~icl");
    EXPECT_EQ(BackupFileName("noext"), "noext.~");
    EXPECT_EQ(BackupFileName("my.libs/iconlib"), "my.libs/iconlib.~");
    EXPECT_EQ(BackupFileName("./iconlib"), "./iconlib.~");
    EXPECT_EQ(BackupFileName("my.libs/a.b.icl"), "my.libs/a.b.~icl");
}

// ---- WriteToFile ----

// A module whose stream is its one resource's bytes; it can be told to fail mid-write.
class TestFileModule : public TPEResourceModule {
public:
    void WriteToStream(Stream& stream) override {
        stream.WriteBuffer("partial", 7);
        if (FailWriting)
            throw EWriteError("disk full");
        stream.SetSize(0);
        stream.SetPosition(0);
        stream.WriteBuffer(Content.data(), Content.size());
    }
    std::string Content = "new content";
    bool FailWriting = false;

protected:
    void CheckWritable() override {}
};

class WriteToFileTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("pictavo-peres-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static void Put(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Get(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    fs::path dir_;
};

TEST_F(WriteToFileTest, NewFileGetsNoBackup) {
    TestFileModule module;
    module.WriteToFile(Path("lib.icl"));
    EXPECT_EQ(Get(Path("lib.icl")), "new content");
    EXPECT_FALSE(fs::exists(Path("lib.~icl")));
}

TEST_F(WriteToFileTest, PreviousFileBecomesTheBackupReplacingAnOldOne) {
    Put(Path("lib.icl"), "previous");
    Put(Path("lib.~icl"), "ancient");
    TestFileModule module;
    Add(module, "3", "1").Rename("2");
    module.WriteToFile(Path("lib.icl"));
    EXPECT_EQ(Get(Path("lib.icl")), "new content");
    EXPECT_EQ(Get(Path("lib.~icl")), "previous");
    EXPECT_FALSE(module.Item(0)->Modified());
}

// A dot in a folder name once gave a backup name in a folder that does not exist.
TEST_F(WriteToFileTest, PreviousFileInAFolderWithADotIsKeptAsTheBackup) {
    fs::create_directories(Path("my.libs"));
    Put(Path("my.libs/iconlib"), "previous");
    TestFileModule module;
    module.WriteToFile(Path("my.libs/iconlib"));
    EXPECT_EQ(Get(Path("my.libs/iconlib")), "new content");
    EXPECT_EQ(Get(Path("my.libs/iconlib.~")), "previous");
}

TEST_F(WriteToFileTest, FailedWriteRestoresThePreviousFile) {
    Put(Path("lib.icl"), "previous");
    TestFileModule module;
    module.FailWriting = true;
    EXPECT_THROW(module.WriteToFile(Path("lib.icl")), EWriteError);
    EXPECT_EQ(Get(Path("lib.icl")), "previous");
    EXPECT_FALSE(fs::exists(Path("lib.~icl")));
}

TEST_F(WriteToFileTest, FailedWriteOfANewFileLeavesNothing) {
    TestFileModule module;
    module.FailWriting = true;
    EXPECT_THROW(module.WriteToFile(Path("lib.icl")), EWriteError);
    EXPECT_FALSE(fs::exists(Path("lib.icl")));
    EXPECT_FALSE(fs::exists(Path("lib.~icl")));
}

TEST_F(WriteToFileTest, TargetThatCannotBeBackedUpIsLeftUntouched) {
    // The backup name is taken by a folder that cannot be deleted or replaced.
    Put(Path("lib.icl"), "previous");
    fs::create_directories(Path("lib.~icl/inside"));
    TestFileModule module;
    EXPECT_THROW(module.WriteToFile(Path("lib.icl")), EFCreateError);
    EXPECT_EQ(Get(Path("lib.icl")), "previous");
}

TEST_F(WriteToFileTest, ConversionErrorWhileWritingAnImageRestoresThePreviousFile) {
    const std::string target = Path("icons.dll");
    fs::copy_file(test::PeFixture("noicons32.dll"), target);
    TPEResourceModule module;
    module.ReadFromFile(target);
    Add(module, "3", "", "bad name");
    EXPECT_THROW(module.WriteToFile(target), EConvertError);
    EXPECT_EQ(Get(target), Get(test::PeFixture("noicons32.dll")));
    EXPECT_FALSE(fs::exists(Path("icons.~dll")));
}

// Cross-compiled programs often carry no resources at all: the resources they are given
// go to a new last section, and the image before it keeps its bytes.
TEST_F(WriteToFileTest, ImageWithoutResourceSectionGetsOne) {
    const std::string target = Path("icons.dll");
    fs::copy_file(test::PeFixture("noicons32.dll"), target);
    TPEResourceModule module;
    module.ReadFromFile(target);
    const int sections = module.SectionCount();
    module.SetDataDirectory(2, TImageDataDirectory{});
    module.WriteToFile(target);
    TPEResourceModule reread;
    reread.ReadFromFile(target);
    ASSERT_EQ(reread.SectionCount(), sections + 1);
    EXPECT_EQ(reread.Section(sections).Name(), ".rsrc");
    uint32_t offset = 1;
    EXPECT_EQ(reread.ResourceSection(offset), &reread.Section(sections));
    EXPECT_EQ(offset, 0u);
    ASSERT_EQ(reread.Count(), module.Count());
    for (int i = 0; i < module.Count(); ++i)
        EXPECT_EQ(reread.Item(i)->Data().Bytes(), module.Item(i)->Data().Bytes());
    for (int i = 0; i < sections; ++i)
        EXPECT_EQ(reread.Section(i).RawData().Bytes(), module.Section(i).RawData().Bytes()) << i;
}

TEST_F(WriteToFileTest, WrittenImageReadsBack) {
    const std::string target = Path("icons.dll");
    TPEResourceModule module;
    module.ReadFromFile(test::PeFixture("icons32.dll"));
    const int count = module.Count();
    module.WriteToFile(target);
    TPEResourceModule reread;
    reread.ReadFromFile(target);
    EXPECT_EQ(reread.Count(), count);
}

TEST(ResourceModel, BaseModuleDoesNotStream) {
    struct Bare : TResourceModule {
        int Count() const override { return 0; }
        TResourceDetails* Item(int) const override { return nullptr; }
        int IndexOf(const TResourceDetails*) const override { return -1; }
    } bare;
    MemoryStream stream;
    try {
        bare.WriteToStream(stream);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Module doesn't support streaming");
    }
    EXPECT_THROW(bare.ReadFromStream(stream), Exception);
    EXPECT_EQ(bare.Append(std::make_unique<TResourceDetails>(nullptr, 0, "1", "3")), -1);
}

} // namespace
} // namespace pictavo
