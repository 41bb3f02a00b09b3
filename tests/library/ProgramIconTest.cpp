// set-icon's core: replacing an icon group of a MinGW-built program (tests/fixtures/
// program, made by its build.sh) keeps everything else of the program.

#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "library/ProgramIcon.h"
#include "library/ProgramVersion.h"
#include "peres/IconGroupResources.h"
#include "tests/library/LibraryTestFiles.h"
#include "tests/library/ProgramChecks.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace pictavo {
namespace {

namespace fs = std::filesystem;
using test::ProgramFixture;

// The icon as an .ico stream: two icons are the same when these bytes are.
std::vector<uint8_t> IconBytes(const std::string& fileName, int index) {
    TMultiIcon icon;
    LoadFileIcon(icon, fileName, index);
    MemoryStream out;
    icon.SaveAsIconToStream(&out);
    return out.TakeBytes();
}

class ProgramIcon : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("pictavo-seticon-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Copy(const std::string& fixture, const std::string& name) {
        const std::string target = (folder / name).string();
        fs::copy_file(ProgramFixture(fixture), target);
        return target;
    }

    fs::path folder;
};

struct IconCase {
    const char* Program;
    const char* Icon;         // a file of tests/fixtures/pe or /icons
    std::string GroupName;    // --id
    int GroupIndex;           // -i
    const char* ChangedGroup; // the group that gets the images
    int ImageCount;
};

void PrintTo(const IconCase& c, std::ostream* out) {
    *out << c.Program << " " << c.Icon;
}

class ProgramIconCases : public ProgramIcon, public testing::WithParamInterface<IconCase> {};

TEST_P(ProgramIconCases, TheGroupGetsTheIconAndEverythingElseKeepsItsBytes) {
    const IconCase& c = GetParam();
    const std::string program = Copy(c.Program, "app.exe");
    const std::string icon = std::string(c.Icon).find("256") != std::string::npos
                                 ? IconFixture(c.Icon)
                                 : PeFixture(c.Icon);
    const std::vector<uint8_t> original = ReadFileBytes(program);

    TProgramIconChange change;
    change.ProgramFileName = program;
    change.IconFileName = icon;
    change.GroupName = c.GroupName;
    change.GroupIndex = c.GroupIndex;
    const TProgramIconResult result = SetProgramIcon(change);
    EXPECT_EQ(result.GroupName, c.ChangedGroup);
    EXPECT_EQ(result.ImageCount, c.ImageCount);
    EXPECT_EQ(result.BackupFileName, (folder / "app.~exe").string());
    EXPECT_EQ(ReadFileBytes(result.BackupFileName), original);

    const std::vector<uint8_t> written = ReadFileBytes(program);
    test::ExpectTheRestKept(original, written);

    TPEResourceModule before, after;
    test::ReadModule(before, original);
    test::ReadModule(after, written);
    // Every resource that is no icon keeps its bytes; so does every other icon group.
    EXPECT_EQ(test::Without(test::ResourcesOf(after), {"3", "14"}),
              test::Without(test::ResourcesOf(before), {"3", "14"}));
    int changedIndex = -1, groups = 0;
    for (int i = 0; i < after.Count(); ++i) {
        const TResourceDetails& r = *after.Item(i);
        if (r.Type() != "14")
            continue;
        if (r.Name() == c.ChangedGroup) {
            changedIndex = groups;
            const TResourceDetails* old = test::Find(before, "14", r.Name());
            if (old != nullptr) {
                EXPECT_EQ(r.Language(), old->Language()); // the group keeps its language
            }
        } else {
            ASSERT_NE(test::Find(before, "14", r.Name()), nullptr);
            EXPECT_EQ(r.Data().Bytes(), test::Find(before, "14", r.Name())->Data().Bytes());
            EXPECT_EQ(IconBytes(program, groups), IconBytes(result.BackupFileName, groups));
        }
        ++groups;
    }
    ASSERT_GE(changedIndex, 0);
    EXPECT_EQ(IconBytes(program, changedIndex), IconBytes(icon, 0));
    // No image is left that no group lists, and the group's images are its own.
    int images = 0;
    for (int i = 0; i < after.Count(); ++i)
        images += after.Item(i)->Type() == "3";
    int listed = 0;
    for (int i = 0; i < after.Count(); ++i)
        if (auto* group = dynamic_cast<TIconGroupResourceDetails*>(after.Item(i)))
            listed += group->EntryCount();
    EXPECT_EQ(images, listed);

    // The loader searches each directory level as sorted: numeric types and, within a
    // type, numeric names ascend in the written directory.
    for (int i = 1; i < after.Count(); ++i) {
        const TResourceDetails& a = *after.Item(i - 1);
        const TResourceDetails& b = *after.Item(i);
        if (NumericName(a.Type()) < 0 || NumericName(b.Type()) < 0)
            continue;
        EXPECT_LE(NumericName(a.Type()), NumericName(b.Type())) << i;
        if (a.Type() == b.Type() && NumericName(a.Name()) >= 0 && NumericName(b.Name()) >= 0) {
            EXPECT_LT(NumericName(a.Name()), NumericName(b.Name())) << a.Type() << " " << i;
        }
    }
}

const IconCase Cases[] = {
    {"prog32.exe", "big.ico", "", -1, "1", 2},
    {"prog64.exe", "big.ico", "", -1, "1", 2},
    {"prog64.exe", "large256.ico", "", -1, "1", 1}, // outgrows .rsrc: a new last section
    {"prog64s.exe", "app.ico", "2", -1, "2", 2},
    {"prog64s.exe", "png256.ico", "", 1, "2", 2},
    {"bare64.exe", "big.ico", "", -1, "1", 2},
    {"bare64.exe", "one.ico", "MAINICON", -1, "MAINICON", 2},
};

INSTANTIATE_TEST_SUITE_P(Programs, ProgramIconCases, testing::ValuesIn(Cases));

// Linkers count their header totals each their own way (GNU ld leaves debug sections out
// of the initialised data): a changed program keeps what its linker wrote, whichever
// command changed it, also when its resources move to a new last section.
TEST_F(ProgramIcon, TheLinkersOwnHeaderTotalsStay) {
    const std::string program = Copy("prog32.exe", "app.exe");
    std::vector<uint8_t> original = ReadFileBytes(program);
    const size_t optional = LoadU32(&original[60]) + 24;
    for (const uint32_t field : {pe::SizeOfCodeField, pe::SizeOfInitializedDataField,
                                 pe::SizeOfUninitializedDataField, pe::BaseOfDataField})
        StoreU32(&original[optional + field], LoadU32(&original[optional + field]) + 0x1000);
    MemoryStream(original).SaveToFile(program);

    TProgramIconChange icon;
    icon.ProgramFileName = program;
    icon.IconFileName = IconFixture("large256.ico");
    SetProgramIcon(icon);
    const std::vector<uint8_t> withIcon = ReadFileBytes(program);
    test::ExpectTheRestKept(original, withIcon);

    TProgramVersionChange version;
    version.ProgramFileName = program;
    version.Strings = {{"FileDescription", "Game"}};
    SetProgramVersion(version);
    test::ExpectTheRestKept(withIcon, ReadFileBytes(program));
}

TEST_F(ProgramIcon, ASignedProgramIsRefusedUntouchedUnlessTheSignatureIsStripped) {
    const std::string program = Copy("signed64.exe", "app.exe");
    const std::vector<uint8_t> original = ReadFileBytes(program);
    TProgramIconChange change;
    change.ProgramFileName = program;
    change.IconFileName = PeFixture("big.ico");
    EXPECT_THROW(SetProgramIcon(change), ESignedImage);
    EXPECT_EQ(ReadFileBytes(program), original);
    EXPECT_FALSE(fs::exists(folder / "app.~exe"));

    change.StripSignature = true;
    SetProgramIcon(change);
    TPEResourceModule written;
    written.ReadFromFile(program);
    EXPECT_FALSE(written.IsSigned());
    // The payload before the table stays; the table is gone.
    TPEResourceModule unsignedOriginal;
    unsignedOriginal.ReadFromFile(ProgramFixture("prog64s.exe"));
    EXPECT_EQ(written.Overlay(), unsignedOriginal.Overlay());
}

TEST_F(ProgramIcon, AGroupThatIsNotThereIsAnErrorAndNothingIsWritten) {
    const std::string program = Copy("prog32.exe", "app.exe");
    const std::vector<uint8_t> original = ReadFileBytes(program);
    for (const auto& [name, index] : {std::pair<std::string, int>{"9", -1}, {"", 5}}) {
        TProgramIconChange change;
        change.ProgramFileName = program;
        change.IconFileName = PeFixture("big.ico");
        change.GroupName = name;
        change.GroupIndex = index;
        EXPECT_THROW(SetProgramIcon(change), Exception) << name << index;
        EXPECT_EQ(ReadFileBytes(program), original);
    }
}

} // namespace
} // namespace pictavo
