// The command line's conventions, on all three programs: --help and --version, JSON
// beside the text outputs, "-o -", errors on standard output, and extract --best.

#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "icons/PngCodec.h"
#include "library/PrivateTempFolder.h"
#include "tests/CliRunner.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pictavo {
namespace {

using testsupport::CliRun;
using testsupport::Lines;
using testsupport::RunCli;
using testsupport::RunProgram;

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TPngImage DecodePng(const std::string& bytes) {
    TPngImage png;
    png.LoadFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return png;
}

const std::string Dll = Fixture("pe/icons32.dll");
const std::string PngIco = Fixture("icons/png256.ico");

TEST(CliConventions, EveryProgramAnswersHelpAndVersionWithoutADisplay) {
    for (const std::string program : {"pictavo-cli", "pictavo-thumbnailer", "pictavo"}) {
        if (::access((std::string(PICTAVO_BIN_DIR) + "/" + program).c_str(), X_OK) != 0) {
            EXPECT_EQ(program, "pictavo") << "not built"; // the window needs Qt
            continue;
        }
        const CliRun help = RunProgram(program, {"--help"});
        EXPECT_EQ(help.Status, 0) << program;
        EXPECT_EQ(help.Out.rfind("Usage: " + program, 0), 0u) << program << ": " << help.Out;
        const CliRun version = RunProgram(program, {"--version"});
        EXPECT_EQ(version.Status, 0) << program;
        EXPECT_EQ(version.Out, program + " 4.2.0.0\n");
        EXPECT_EQ(help.Err + version.Err, "") << program;
    }
}

TEST(CliConventions, JsonListsWhatTheTextListsOneObjectALine) {
    CliRun run = RunCli({"icons", "--json", Dll});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(Lines(run.Out)[2],
              R"({"icon": 2, "images": [{"index": 0, "width": 32, "height": 32, "bits": 32, )"
              R"("png": false}, {"index": 1, "width": 256, "height": 256, "bits": 32, "png": true}]})");
    EXPECT_EQ(Lines(run.Out).size(), 3u);

    run = RunCli({"images", "--json", "--", PngIco});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "{\"index\": 0, \"width\": 256, \"height\": 256, \"bits\": 32, \"png\": true}\n"
                       "{\"index\": 1, \"width\": 16, \"height\": 16, \"bits\": 4, \"png\": false}\n");

    run = RunCli({"version", "--json", Dll});
    EXPECT_EQ(run.Status, 0);
    ASSERT_EQ(Lines(run.Out).size(), 1u) << run.Out;
    EXPECT_EQ(run.Out.rfind("{\"FileName\": \"" + Dll + "\", \"FileVersion\": \"1.2.3.4\", ", 0), 0u)
        << run.Out;
    for (const char* field : {"\"CompanyName\": \"Vantrel\"", "\"Build\": 4", "\"Comments\": \"\"",
                              "\"PreRelease\": false}\n"})
        EXPECT_NE(run.Out.find(field), std::string::npos) << field;
    EXPECT_EQ(RunCli({"icons", "--xml", Dll}).Status, 2);
}

// Each command's one output, with "-o -", is the file it would otherwise write.
TEST(CliConventions, DashWritesTheOneOutputToStandardOutput) {
    TPrivateTempFolder work;
    CliRun run = RunCli({"extract", Dll, "-i", "1", "-o", work.Path()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    run = RunCli({"extract", Dll, "-i", "1", "-o", "-"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Bytes(run.Out), ReadFileBytes(work.Path() + "icons32_1.ico"));

    run = RunCli({"extract", "--best", "-o", work.Path() + "best.png", Dll});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, work.Path() + "best.png\n");
    run = RunCli({"extract", "--best", "-o", "-", Dll});
    EXPECT_EQ(Bytes(run.Out), ReadFileBytes(work.Path() + "best.png"));
    ::unlink((work.Path() + "icons32_1.ico").c_str());
    ::unlink((work.Path() + "best.png").c_str());
}

// The launcher's icon: the largest image of the first icon with its own alpha channel,
// or the best fit for --size scaled down; a stored PNG comes out as it is stored.
TEST(CliConventions, BestIsTheLargestImageOfTheFirstIconOrTheBestFit) {
    TMultiIcon first;
    first.LoadFromModule(Dll, 0);
    const RgbaImage largest = IconImageToRgba(first.GetIconData(1)); // 32x32, 32 bits
    bool seeThrough = false; // the fixture's alpha channel has transparent pixels
    for (size_t i = 3; i < largest.Pixels.size(); i += 4)
        seeThrough = seeThrough || largest.Pixels[i] < 255;
    ASSERT_TRUE(seeThrough);
    CliRun run = RunCli({"extract", "--best", "-o", "-", Dll});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TPngImage best = DecodePng(run.Out);
    EXPECT_EQ(best.Width(), 32);
    EXPECT_EQ(best.Pixels(), largest.Pixels);

    run = RunCli({"extract", "--best", "--size", "20", "-o", "-", Dll});
    EXPECT_EQ(DecodePng(run.Out).Width(), 20);
    EXPECT_EQ(DecodePng(run.Out).Height(), 20);

    TMultiIcon ico;
    ico.LoadFromFile(PngIco);
    run = RunCli({"extract", "--best", "-o", "-", PngIco});
    EXPECT_EQ(Bytes(run.Out), ico.GetIconData(0).Png->StoredBytes());
}

// A failed write to standard output is a failure, said once, whatever wrote it.
TEST(CliConventions, FullStandardOutputIsExitOneWithAMessage) {
    const std::vector<std::vector<std::string>> cases = {
        {"--version"},
        {"version"},
        {"icons", Dll},
        {"images", "--json", PngIco},
        {"scan", "-r", PICTAVO_FIXTURES},
        {"extract", Dll, "-i", "0", "-o", "-"},
        {"extract", "--best", "-o", "-", Dll},
    };
    for (const std::vector<std::string>& args : cases) {
        const CliRun run = RunProgram("pictavo-cli", args, "LANG=C.UTF-8", "/dev/full");
        EXPECT_EQ(run.Status, 1) << args[0];
        EXPECT_EQ(run.Err, "pictavo-cli: Cannot write to standard output. No space left on device\n")
            << args[0];
    }
    const CliRun thumbnail =
        RunProgram("pictavo-thumbnailer", {"-s", "32", Dll, "-"}, "LANG=C.UTF-8", "/dev/full");
    EXPECT_EQ(thumbnail.Status, 1);
    EXPECT_NE(thumbnail.Err.find("No space left on device"), std::string::npos) << thumbnail.Err;
}

TEST(CliConventions, ExtractOptionsThatDoNotGoTogetherAreBadUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"--size", "16", "-o", "x.png"},     // --size without --best
        {"--best"},                          // nowhere to write
        {"--best", "-i", "1", "-o", "-"},    // --best takes the first icon
        {"--best", "--png", "-o", "-"},      //
        {"--best", "--size", "0", "-o", "-"}, //
        {"-o", "-"},                         // which icon?
        {"-o", "-", "-i", "0", "-i", "1"},   //
        {"-o", "-", "-i", "0", "--png"},     // many files
    };
    for (std::vector<std::string> args : cases) {
        args.insert(args.begin(), {"extract", Dll});
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.Status, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.Out, "") << testing::PrintToString(args);
    }
}

// One error, one exit code and one message, whichever way extract was asked.
TEST(CliConventions, TheSameErrorGivesTheSameExitCodeOnEveryPath) {
    const std::string missing = "/nonexistent-folder";
    for (const std::string option : {"--png", "-i"}) {
        std::vector<std::string> args = {"extract", Dll, "-o", missing, option};
        if (option == "-i")
            args.push_back("0");
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.Status, 1) << option;
        EXPECT_EQ(run.Err, "pictavo-cli: " + missing + ": not a folder\n") << option;
    }
    EXPECT_EQ(RunCli({"extract", Dll, "--best", "-o", missing + "/x.png"}).Status, 1);
    const std::string noIcons = Fixture("pe/noicons32.dll");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"extract", noIcons, "-o", "/tmp"},
          std::vector<std::string>{"extract", noIcons, "--png", "-o", "/tmp"},
          std::vector<std::string>{"extract", noIcons, "-i", "0", "-o", "-"},
          std::vector<std::string>{"extract", noIcons, "--best", "-o", "-"}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.Status, 1) << testing::PrintToString(args);
        EXPECT_EQ(run.Err.rfind("pictavo-cli: " + noIcons + ": ", 0), 0u) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
}

// A folder under /tmp that other users may enter (mkdtemp's are 0700), removed at the end.
class OpenFolder {
public:
    OpenFolder() {
        char pattern[] = "/tmp/pictavo-cli-errors-XXXXXX";
        if (::mkdtemp(pattern) != nullptr)
            FPath = std::string(pattern) + "/";
        ::chmod(FPath.c_str(), 0755);
    }
    ~OpenFolder() {
        std::system(("chmod -R u+rwx " + testsupport::ShellQuoted(FPath) + " && rm -rf " +
                     testsupport::ShellQuoted(FPath))
                        .c_str());
    }
    const std::string& Path() const { return FPath; }
    // A folder inside with the given mode, holding a copy of the icon library.
    std::string FolderWithIcons(const std::string& name, mode_t mode) const {
        const std::string folder = FPath + name + "/";
        ::mkdir(folder.c_str(), 0755);
        const std::string copy = folder + "icons.dll";
        WriteFileBytes(copy, ReadFileBytes(Dll));
        ::chmod(copy.c_str(), 0644);
        ::chmod(folder.c_str(), mode);
        return folder;
    }

private:
    std::string FPath;
};

// scan: a start folder it cannot read is an error with the system's reason; a subfolder it
// cannot read is named and the scan goes on.
TEST(CliErrors, ScanSaysWhichFoldersItCannotRead) {
    const OpenFolder work;
    const std::string top = work.FolderWithIcons("top", 0755);
    const std::string locked = work.FolderWithIcons("top/locked", 0);
    const std::string closed = work.FolderWithIcons("closed", 0);
    const CliRun run = testsupport::RunCliUnprivileged({"scan", "-r", top});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find(top + "icons.dll"), std::string::npos) << run.Out;
    EXPECT_NE(run.Err.find("pictavo-cli: " + locked + ": Permission denied\n"), std::string::npos)
        << run.Err;
    for (const auto& [folder, reason] :
         {std::pair{closed, std::string("Permission denied")},
          {work.Path() + "missing", std::string("No such file or directory")},
          {top + "icons.dll", std::string("Not a directory")}}) {
        const CliRun failed = testsupport::RunCliUnprivileged({"scan", folder});
        EXPECT_EQ(failed.Status, 1) << folder;
        EXPECT_EQ(failed.Err, "pictavo-cli: " + folder + ": " + reason + "\n");
    }
}

// A file that cannot be read is said to be so, not to hold "no icons".
TEST(CliErrors, AFileItCannotReadGivesTheSystemsReason) {
    const OpenFolder work;
    const std::string locked = work.Path() + "locked.dll";
    WriteFileBytes(locked, ReadFileBytes(Dll));
    ::chmod(locked.c_str(), 0);
    const std::string library = work.Path() + "lib.icl";
    for (const auto& [file, reason] :
         {std::pair{work.Path() + "missing.dll", std::string("No such file or directory")},
          {locked, std::string("Permission denied")}}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"extract", file, "-o", work.Path()},
              std::vector<std::string>{"version", file},
              std::vector<std::string>{"build", library, file}}) {
            const CliRun run = testsupport::RunCliUnprivileged(args);
            EXPECT_EQ(run.Status, 1) << args[0];
            EXPECT_EQ(run.Err, "pictavo-cli: " + file + ": " + reason + "\n") << args[0];
        }
    }
}

// Names in errors are escaped as standard output escapes them: one line, and no escape
// sequence reaches the terminal.
TEST(CliErrors, NamesInErrorsAreEscaped) {
    const std::string name = "/tmp/no\nsuch\x1b[31mfile.dll";
    const CliRun run = RunCli({"extract", name, "-o", "/tmp"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err,
              "pictavo-cli: /tmp/no\\nsuch\\x1b[31mfile.dll: No such file or directory\n");
    const CliRun usage = RunCli({"scan", "-\x1b]0;x\x07"});
    EXPECT_EQ(usage.Status, 2);
    EXPECT_EQ(Lines(usage.Err).front(), "pictavo-cli scan: unknown option -\\x1b]0;x\\x07");
}

// An option's value is a value, also when it reads like an option.
TEST(CliErrors, AnOptionsValueIsNeverTakenForHelp) {
    const CliRun run = RunCli({"extract", Dll, "-o", "--help"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "pictavo-cli: --help: not a folder\n");
    EXPECT_EQ(RunCli({"extract", Dll, "--help"}).Status, 0);
}

} // namespace
} // namespace pictavo
