// Cursor schemes from an install.inf and from file names.

#include "cursors/CursorScheme.h"
#include "cursors/CursorRoles.h"
#include "platform/CodePage.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace pictavo {
namespace {

const std::string Pack = std::string(PICTAVO_FIXTURES) + "/cursors/pack";

int Role(const char* registryName) {
    const auto& roles = CursorRoles();
    for (size_t r = 0; r < roles.size(); ++r)
        if (std::string(roles[r].RegistryName) == registryName)
            return static_cast<int>(r);
    return -1;
}

std::string FileOf(const TCursorScheme& scheme, const char* role) {
    return fs::path(scheme.RoleFiles.at(static_cast<size_t>(Role(role)))).filename().string();
}

using TempDir = cursortest::ScratchFolder;

TEST(CursorRoles, SeventeenInRegistryOrder) {
    const auto& roles = CursorRoles();
    ASSERT_EQ(roles.size(), 17u);
    const char* order[] = {"Arrow",   "Help",    "AppStarting", "Wait",   "Crosshair", "IBeam",
                           "NWPen",   "No",      "SizeNS",      "SizeWE", "SizeNWSE",  "SizeNESW",
                           "SizeAll", "UpArrow", "Hand",        "Pin",    "Person"};
    for (size_t r = 0; r < roles.size(); ++r)
        EXPECT_STREQ(roles[r].RegistryName, order[r]);
    EXPECT_EQ(roles[0].ThemeName, "default");
    EXPECT_EQ(roles[5].ThemeName, "text");
    EXPECT_EQ(roles[14].ThemeName, "pointer");
}

TEST(CursorRoles, RolesFromTheUsualFileNames) {
    const struct {
        const char* file;
        const char* role; // nullptr: no role
    } cases[] = {
        {"Normal Select.cur", "Arrow"},
        {"01 Normal Select.ani", "Arrow"},
        {"busy.ani", "Wait"},
        {"Working In Background.ani", "AppStarting"},
        {"text_select.cur", "IBeam"},
        {"Link-Select.cur", "Hand"},
        {"IBeam.cur", "IBeam"},
        {"SizeNWSE.cur", "SizeNWSE"},
        {"Diagonal Resize 2.cur", "SizeNESW"},
        {"unavailiable.cur", "No"},
        {"Handwriting.cur", "NWPen"},
        {"Location Select.cur", "Pin"},
        {"/some/folder/Alternate Select.cur", "UpArrow"},
        {"readme.cur", nullptr},
        {"123.cur", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::optional<int> role = RoleOfFileName(c.file);
        if (!c.role)
            EXPECT_FALSE(role.has_value());
        else
            EXPECT_EQ(role.value_or(-1), Role(c.role));
    }
}

TEST(CursorScheme, InfFields) {
    EXPECT_EQ(InfFields("HKCU,\"a,b\",c ; comment"),
              (std::vector<std::string>{"HKCU", "a,b", "c"}));
    EXPECT_EQ(InfFields("a,,\"say \"\"hi\"\"\""),
              (std::vector<std::string>{"a", "", "say \"hi\""}));
    EXPECT_EQ(InfFields("\"x;y\""), (std::vector<std::string>{"x;y"}));
}

TEST(CursorScheme, FromInstallInf) {
    const TCursorScheme scheme = ReadSchemeFromInf(Pack + "/install.inf");
    EXPECT_EQ(scheme.Name, "Pictavo Test");
    EXPECT_EQ(scheme.RoleCount(), 6);
    EXPECT_EQ(FileOf(scheme, "Arrow"), "Normal Select.cur"); // named in another case
    EXPECT_EQ(FileOf(scheme, "AppStarting"), "Working in Background.ani");
    EXPECT_EQ(FileOf(scheme, "Wait"), "Busy.ani");
    EXPECT_EQ(FileOf(scheme, "IBeam"), "Text Select.cur");
    EXPECT_EQ(FileOf(scheme, "No"), "Unavailable.cur");
    EXPECT_EQ(FileOf(scheme, "Hand"), "Link Select.cur");
    EXPECT_EQ(FileOf(scheme, "Help"), "");
    EXPECT_TRUE(scheme.Missing.empty());
}

// An .inf saved as UTF-16, naming a file that is not there, and single role lines.
TEST(CursorScheme, Utf16InfAndMissingFiles) {
    TempDir dir;
    fs::copy_file(Pack + "/Busy.ani", dir.Path() + "/Busy.ani");
    fs::copy_file(Pack + "/Link Select.cur", dir.Path() + "/Link Select.cur");
    const std::string text =
        "[Wreg]\r\n"
        "HKCU,\"Control Panel\\Cursors\",Hand,0x00020000,\"%10%\\Cursors\\%LINK%\"\r\n"
        "HKCU,\"Control "
        "Panel\\Cursors\\Schemes\",\"Schéma\",0x00020000,\"%10%\\x\\%B%,,gone.cur\"\r\n"
        "[Strings]\r\nb=busy.ANI\r\nLink=\"Link Select.cur\"\r\n";
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t c : platform::Utf8ToUtf16(text)) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    WriteFileBytes(dir.Path() + "/install.inf", bytes);
    const TCursorScheme scheme = ReadCursorScheme(dir.Path()); // the folder's .inf decides
    EXPECT_EQ(scheme.Name, "Schéma");
    EXPECT_EQ(FileOf(scheme, "Arrow"), "Busy.ani");
    EXPECT_EQ(FileOf(scheme, "Hand"), "Link Select.cur");
    ASSERT_EQ(scheme.Missing.size(), 1u);
    EXPECT_EQ(scheme.Missing[0], "AppStarting: gone.cur");
}

TEST(CursorScheme, FromFileNamesOfAFolder) {
    TempDir dir;
    for (const char* name : {"Busy.ani", "Text Select.cur", "Link Select.cur"})
        fs::copy_file(Pack + "/" + name, dir.Path() + "/" + name);
    fs::copy_file(Pack + "/Unavailable.cur", dir.Path() + "/Sparkle.cur");
    fs::copy_file(Pack + "/Normal Select.cur", dir.Path() + "/wait.cur"); // after Busy.ani
    WriteFileBytes(dir.Path() + "/notes.txt", {'x'});
    const TCursorScheme scheme = ReadCursorScheme(dir.Path());
    EXPECT_EQ(scheme.RoleCount(), 3);
    EXPECT_EQ(FileOf(scheme, "Wait"), "Busy.ani");
    EXPECT_EQ(FileOf(scheme, "IBeam"), "Text Select.cur");
    EXPECT_EQ(FileOf(scheme, "Hand"), "Link Select.cur");
    ASSERT_EQ(scheme.Unmatched.size(), 1u);
    EXPECT_EQ(fs::path(scheme.Unmatched[0]).filename(), "Sparkle.cur");
    ASSERT_EQ(scheme.Repeated.size(), 1u);
    EXPECT_EQ(fs::path(scheme.Repeated[0]).filename(), "wait.cur");
}

TEST(CursorScheme, NothingToTake) {
    TempDir dir;
    WriteFileBytes(dir.Path() + "/install.inf", {'[', 'x', ']'});
    EXPECT_THROW(ReadSchemeFromInf(dir.Path() + "/install.inf"), Exception);
    EXPECT_THROW(ReadCursorScheme(dir.Path()), Exception);
    EXPECT_THROW(ReadCursorScheme(dir.Path() + "/absent.inf"), Exception);
}

} // namespace
} // namespace pictavo
