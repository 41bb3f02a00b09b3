// Runs the built pictavo-cli: scan, extract, build and remove, their output, exit codes
// and files.

#include "icons/ModuleIcons.h"
#include "icons/MultiIcon.h"
#include "library/PrivateTempFolder.h"
#include "peres/PEResourceModule.h"
#include "tests/CliRunner.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <ostream>
#include <regex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pictavo {
namespace {

using testsupport::CliRun;
using testsupport::Lines;

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

void CopyFile(const std::string& from, const std::string& to) {
    MemoryStream bytes;
    bytes.LoadFromFile(from);
    bytes.SaveToFile(to);
}

void EmptyFirstIconGroup(const std::string& library) {
    TPEResourceModule module;
    module.ReadFromFile(library);
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == "14") {
            MemoryStream empty(std::vector<uint8_t>{0, 0, 1, 0, 0, 0});
            module.Item(i)->ReplaceData(empty);
            break;
        }
    module.WriteToFile(library);
}

// The folder scanned below: a module with 3 icons, an icon file, a text file, a hidden
// icon file and, in a subfolder, a cursor file.
class CliCommands : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir + "sub").c_str(), 0755), 0);
        CopyFile(Fixture("pe/icons32.dll"), dir + "a.dll");
        CopyFile(Fixture("pe/one.ico"), dir + "b.ico");
        CopyFile(Fixture("pe/arrow.cur"), dir + "sub/c.cur");
        CopyFile(Fixture("pe/one.ico"), dir + ".hidden.ico");
        MemoryStream(std::vector<uint8_t>{'t', 'e', 'x', 't'}).SaveToFile(dir + "notes.txt");
    }
    void TearDown() override {
        for (const char* name : {"a.dll", "b.ico", "sub/c.cur", ".hidden.ico", "notes.txt"})
            ::unlink((dir + name).c_str());
        ::rmdir((dir + "sub").c_str());
        ::rmdir(dir.c_str());
    }
    CliRun Run(const std::vector<std::string>& args,
               const std::string& language = "LANG=C.UTF-8") {
        return testsupport::RunCli(args, language);
    }

    TPrivateTempFolder work;
    std::string dir = work.Path() + "scan/";
};

// The PATH column of scan's lines, in order.
std::vector<std::string> ScannedPaths(const std::string& out) {
    std::vector<std::string> paths;
    for (const std::string& line : Lines(out))
        paths.push_back(line.substr(line.rfind('\t') + 1));
    return paths;
}

TEST_F(CliCommands, ScanListsFilesWithIconsInTheLineFormat) {
    const CliRun run = Run({"scan", dir});
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 2u) << run.Out;
    const std::regex format(R"((\d+)\t(\d+)\t\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\t(.*))");
    std::map<std::string, std::pair<std::string, std::string>> found;
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, format)) << line;
        found[match[3]] = {match[1], match[2]};
    }
    EXPECT_EQ(found[dir + "a.dll"], (std::pair<std::string, std::string>{"3", "19456"}));
    EXPECT_EQ(found[dir + "b.ico"], (std::pair<std::string, std::string>{"1", "3382"}));
}

// The summary is Chinese under any zh* language and English under every other one; no
// locale has to be installed for either.
TEST_F(CliCommands, ScanSummaryFollowsTheUserLanguage) {
    const std::pair<const char*, const char*> cases[] = {
        {"LANG=zh_CN.UTF-8", "文件: 2    图标: 4    搜索时间: "},
        {"LANG=zh_TW.UTF-8", "文件: 2    图标: 4    搜索时间: "},
        {"LANGUAGE=zh_CN", "文件: 2    图标: 4    搜索时间: "},
        {"LC_MESSAGES=zh_CN.UTF-8", "文件: 2    图标: 4    搜索时间: "},
        {"LANG=en_US.UTF-8", "Files: 2    Icons: 4    Search time: "},
        {"LANG=de_DE.UTF-8", "Files: 2    Icons: 4    Search time: "},
        {"LANG=C.UTF-8", "Files: 2    Icons: 4    Search time: "},
        {"LANG=C", "Files: 2    Icons: 4    Search time: "},
        {"LC_ALL=en_US.UTF-8", "Files: 2    Icons: 4    Search time: "},
    };
    for (const auto& [language, summary] : cases) {
        const CliRun run = Run({"scan", dir}, language);
        EXPECT_EQ(run.Status, 0) << language;
        EXPECT_EQ(run.Err.rfind(summary, 0), 0u) << language << ": " << run.Err;
        if (summary[0] == 'F') { // English: not one byte of another script
            EXPECT_TRUE(std::all_of(run.Err.begin(), run.Err.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                << language << ": " << run.Err;
        }
    }
}

TEST_F(CliCommands, ScanJsonHasOneObjectPerFile) {
    const CliRun run = Run({"scan", "--json", "-m", "*.dll", dir});
    EXPECT_EQ(run.Status, 0);
    const std::regex format("\\{\"path\": \"" + dir +
                            "a\\.dll\", \"icons\": 3, \"size\": 19456, \"modified\": "
                            "\"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\"\\}\n");
    EXPECT_TRUE(std::regex_match(run.Out, format)) << run.Out;
}

// JSON text stays valid whatever bytes a file name holds, and a script gets the exact
// bytes back: each byte outside valid UTF-8 is the lone surrogate \udcXX, as Python's
// os.fsdecode gives it (os.fsencode undoes it).
TEST_F(CliCommands, ScanJsonKeepsTheBytesOfEveryName) {
    const std::pair<std::string, std::string> cases[] = {
        {"q\"\xff.ico", "q\\\"\\udcff.ico"},
        {"over\xc0\xaf.ico", "over\\udcc0\\udcaf.ico"},               // overlong '/'
        {"half\xed\xa0\x80.ico", "half\\udced\\udca0\\udc80.ico"},    // a UTF-16 surrogate
        {"cut\xe2\x82.ico", "cut\\udce2\\udc82.ico"},                  // a sequence cut short
        {"caf\xc3\xa9 \xf0\x9f\x98\x80.ico", "caf\xc3\xa9 \xf0\x9f\x98\x80.ico"}, // valid
        {"ctl\x01\x7f.ico", "ctl\\u0001\\u007f.ico"},
    };
    for (const auto& [name, json] : cases)
        CopyFile(Fixture("pe/one.ico"), dir + "j" + name);
    const CliRun run = Run({"scan", "--json", "-m", "j*", dir});
    for (const auto& [name, json] : cases)
        ::unlink((dir + "j" + name).c_str());
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out).size(), std::size(cases));
    for (const auto& [name, json] : cases)
        EXPECT_NE(run.Out.find("{\"path\": \"" + dir + "j" + json + "\","), std::string::npos)
            << json << " in " << run.Out;
}

// A name holding a newline, a tab or a backslash stays one line: escaped as C writes them.
TEST_F(CliCommands, TextOutputKeepsOneRecordPerLine) {
    const std::string odd = dir + "new\nline\tand\\.ico";
    CopyFile(Fixture("pe/one.ico"), odd);
    const std::string escaped = dir + "new\\nline\\tand\\\\.ico";
    const CliRun scan = Run({"scan", "-m", "new*", dir});
    EXPECT_EQ(scan.Status, 0) << scan.Err;
    const std::vector<std::string> lines = Lines(scan.Out);
    ASSERT_EQ(lines.size(), 1u) << scan.Out;
    EXPECT_EQ(lines[0].substr(lines[0].rfind('\t') + 1), escaped);

    const std::string out = dir + "out/";
    ASSERT_EQ(::mkdir(out.c_str(), 0700), 0);
    const CliRun extract = Run({"extract", odd, "-o", out});
    EXPECT_EQ(extract.Status, 0) << extract.Err;
    EXPECT_EQ(Lines(extract.Out), (std::vector<std::string>{out + "new\\nline\\tand\\\\_0.ico"}));
    ::unlink((out + "new\nline\tand\\_0.ico").c_str());
    ::rmdir(out.c_str());
    ::unlink(odd.c_str());
}

struct MaskCase {
    const char* Name;
    std::vector<std::string> Options;
    std::vector<std::string> Files; // relative to the folder, in output order or sorted
};
void PrintTo(const MaskCase& c, std::ostream* os) {
    *os << c.Name;
}

class ScanMasks : public CliCommands, public testing::WithParamInterface<MaskCase> {};

TEST_P(ScanMasks, SelectTheFilesAsTheMaskBoxDoes) {
    std::vector<std::string> args = {"scan"};
    args.insert(args.end(), GetParam().Options.begin(), GetParam().Options.end());
    args.push_back(dir);
    const CliRun run = Run(args);
    EXPECT_EQ(run.Status, 0) << run.Err;
    std::vector<std::string> paths = ScannedPaths(run.Out);
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> expected;
    for (const std::string& file : GetParam().Files)
        expected.push_back(dir + file);
    EXPECT_EQ(paths, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanMasks,
    testing::Values(
        MaskCase{"Semicolons", {"-m", "*.dll;*.ico"}, {"a.dll", "b.ico"}},
        MaskCase{"Blanks", {"-m", "*.dll *.ico"}, {"a.dll", "b.ico"}},
        MaskCase{"Commas", {"-m", " *.dll,*.ico "}, {"a.dll", "b.ico"}},
        MaskCase{"Quoted", {"-m", "\"*.d,ll\";b.ico"}, {"b.ico"}},
        MaskCase{"TrailingSeparatorAddsEveryFile", {"-m", "*.ico;"}, {"a.dll", "b.ico", "b.ico"}},
        MaskCase{"DuplicatesIgnored", {"-m", "*.ico;", "--ignore-duplicates"}, {"a.dll", "b.ico"}},
        MaskCase{"EmptyMaskSearchesNothing", {"-m", ""}, {}},
        MaskCase{"Subfolders", {"-r", "-m", "*.cur;*.ico"}, {"b.ico", "sub/c.cur"}}),
    [](const auto& param) { return std::string(param.param.Name); });

// DIR is one folder however it is named: ">", "<" and ";" are part of the name, never a
// level prefix or a list of folders.
TEST_F(CliCommands, ScanTakesTheFolderNameLiterally) {
    for (const std::string name : {"a>sub", "a<sub", "a;sub"}) {
        SCOPED_TRACE(name);
        const std::string odd = dir + name + "/";
        ASSERT_EQ(::mkdir(odd.c_str(), 0755), 0);
        CopyFile(Fixture("pe/one.ico"), odd + "own.ico");
        const CliRun run = Run({"scan", "-r", odd});
        ::unlink((odd + "own.ico").c_str());
        ::rmdir(odd.c_str());
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(ScannedPaths(run.Out), std::vector<std::string>{odd + "own.ico"});
    }
}

TEST_F(CliCommands, ExtractWritesBaseUnderscoreIndexFiles) {
    const std::string out = work.Path() + "out/";
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    CliRun run = Run({"extract", dir + "a.dll", "-o", out});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out),
              (std::vector<std::string>{out + "a_0.ico", out + "a_1.ico", out + "a_2.ico"}));
    for (int i = 0; i < 3; ++i) {
        TMultiIcon written, source;
        written.LoadFromFile(out + "a_" + std::to_string(i) + ".ico");
        source.LoadFromModule(dir + "a.dll", i);
        EXPECT_EQ(written.IconCount(), source.IconCount());
        ::unlink((out + "a_" + std::to_string(i) + ".ico").c_str());
    }

    run = Run({"extract", dir + "b.ico", "-i", "0", "-o", out});
    EXPECT_EQ(run.Status, 0);
    {
        // The icon file is icon 0: its images are written again, as the window saves them.
        TMultiIcon written, source;
        written.LoadFromFile(out + "b_0.ico");
        source.LoadFromFile(dir + "b.ico");
        ASSERT_EQ(written.IconCount(), source.IconCount());
        for (int i = 0; i < source.IconCount(); ++i) {
            const TMultiIconImage w = written.GetIconData(i), s = source.GetIconData(i);
            EXPECT_EQ(w.Width, s.Width);
            EXPECT_EQ(w.BitsPerPixel, s.BitsPerPixel);
            EXPECT_TRUE(std::equal(w.ColorBits, w.ColorBits + w.ColorBitsSize, s.ColorBits));
        }
    }
    ::unlink((out + "b_0.ico").c_str());

    // An empty group (as older builds left for an icon of 256-pixel images only) is not
    // written as an empty file.
    const std::string library = work.Path() + "empty.icl";
    ASSERT_EQ(Run({"build", library, Fixture("icons/large256.ico"), dir + "b.ico"}).Status, 0);
    EmptyFirstIconGroup(library);
    run = Run({"extract", library, "-o", out});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{out + "empty_1.ico"}));
    EXPECT_EQ(run.Err, "pictavo-cli: " + library + ": icon 0 has no images\n");
    EXPECT_FALSE(::access((out + "empty_0.ico").c_str(), F_OK) == 0);
    ::unlink((out + "empty_1.ico").c_str());
    ::unlink(library.c_str());

    EXPECT_EQ(Run({"extract", dir + "a.dll", "-i", "3", "-o", out}).Status, 1);
    EXPECT_EQ(Run({"extract", dir + "notes.txt", "-o", out}).Status, 1);
    EXPECT_EQ(Run({"extract", dir + "a.dll", "-i", "x"}).Status, 2);
    ::rmdir(out.c_str());
}

TEST_F(CliCommands, BuildUpdateOverwriteAndRemove) {
    const std::string library = work.Path() + "lib.icl";
    CliRun run = Run({"build", library, dir + "a.dll", dir + "b.ico"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "4\n");
    EXPECT_EQ(GetModuleIconCount(library), 4);

    run = Run({"build", library, dir + "b.ico"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("--update or --overwrite"), std::string::npos);
    EXPECT_EQ(Run({"build", library, "--update", "--overwrite", dir + "b.ico"}).Status, 2);

    run = Run({"build", library, "--update", dir + "a.dll:1"});
    EXPECT_EQ(run.Out, "1\n");
    EXPECT_EQ(GetModuleIconCount(library), 5);

    const std::vector<uint8_t> before = ReadFileBytes(library);
    run = Run({"build", library, "--overwrite", dir + "b.ico", dir + "notes.txt"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "pictavo-cli: " + dir + "notes.txt: no icons\n");
    EXPECT_EQ(ReadFileBytes(library), before);
    run = Run({"build", library, "--update", dir + "a.dll:3"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "pictavo-cli: " + dir + "a.dll: no icon 3 (the file holds 3)\n");
    EXPECT_EQ(ReadFileBytes(library), before);

    run = Run({"build", library, "--overwrite", dir + "b.ico"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(GetModuleIconCount(library), 1);
    EXPECT_EQ(ReadFileBytes(work.Path() + "lib.~icl"), before);

    EXPECT_EQ(Run({"build", library, "--update", dir + "a.dll"}).Out, "3\n");
    EXPECT_EQ(Run({"remove", library, "1"}).Status, 0);
    EXPECT_EQ(GetModuleIconCount(library), 3);
    EXPECT_EQ(Run({"remove", library, "3"}).Status, 1);
    EXPECT_EQ(Run({"remove", library, "-1"}).Status, 2);
    EXPECT_EQ(Run({"remove", library}).Status, 2);
    ::unlink(library.c_str());
    ::unlink((work.Path() + "lib.~icl").c_str());
}

// The core's messages do not say which file they are about; the commands put it first,
// after the program's name.
TEST_F(CliCommands, ErrorsNameTheFile) {
    const std::string notes = dir + "notes.txt";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"images", notes}, notes + ": Stream read error\n"},
        {{"icons", notes}, notes + ": Stream read error\n"},
        {{"remove", notes, "0"}, notes + ": Invalid DOS signature\n"},
        {{"build", notes, "--update", dir + "b.ico"}, notes + ": Invalid DOS signature\n"},
        // A message that names the file already is left as it is.
        {{"images", dir + "missing.ico"},
         "Cannot open file \"" + dir + "missing.ico\". No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.Status, 1) << c.args[0];
        EXPECT_EQ(run.Err, "pictavo-cli: " + c.err) << c.args[0];
    }
}

// "--" ends the options: a file named like an option is then a file; --version answers.
TEST_F(CliCommands, DoubleDashEndsTheOptionsAndVersionAnswers) {
    const std::string dashed = dir + "-x.ico";
    CopyFile(Fixture("pe/one.ico"), dashed);
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    EXPECT_EQ(Run({"extract", "-x.ico"}).Status, 2); // an unknown option without "--"
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"icons", "--", "-x.ico"},
          std::vector<std::string>{"images", "--", "-x.ico"},
          std::vector<std::string>{"extract", "-o", dir, "--", "-x.ico"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.Status, 0) << args[0] << ": " << run.Err;
    }
    EXPECT_EQ(Run({"scan", "-m", "-x*", "--", "."}).Out.find("-x.ico") != std::string::npos, true);
    const CliRun version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("pictavo-cli 4.", 0), 0u) << version.Out;
    ::unlink(dashed.c_str());
    ::unlink((dir + "-x_0.ico").c_str());
    ASSERT_EQ(::chdir(previous), 0);
}

// A FIFO given as a file is refused at once: nothing waits for a writer. Should a
// command wait all the same, the watchdog opens the FIFO for writing after a few
// seconds and closes it, which ends the wait, and the test fails.
TEST_F(CliCommands, FifoIsRefusedWithoutWaiting) {
    const std::string fifo = dir + "f.ico";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string library = work.Path() + "fifo.icl";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"images", fifo},
                                               {"icons", fifo},
                                               {"extract", fifo, "-o", work.Path()},
                                               {"build", library, fifo},
                                               {"build", fifo, "--update", dir + "b.ico"}}) {
        std::atomic<bool> finished{false}, unblocked{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 50 && !finished; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (finished)
                return;
            unblocked = true;
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        const CliRun run = Run(args);
        finished = true;
        watchdog.join();
        EXPECT_FALSE(unblocked) << args[0] << " waited on the FIFO";
        EXPECT_EQ(run.Status, 1) << args[0] << ": " << run.Err;
    }
    EXPECT_NE(::access(library.c_str(), F_OK), 0);
    ::unlink(fifo.c_str());
}

TEST_F(CliCommands, EveryCommandHasHelpAndRefusesBadUsage) {
    for (const char* name : {"scan", "extract", "build", "remove"}) {
        const CliRun help = Run({name, "--help"});
        EXPECT_EQ(help.Status, 0) << name;
        EXPECT_EQ(help.Out.rfind(std::string("Usage: pictavo-cli ") + name, 0), 0u) << help.Out;
        EXPECT_EQ(Run({name, "--no-such-option"}).Status, 2) << name;
    }
    EXPECT_EQ(Run({"scan"}).Status, 2);
    EXPECT_EQ(Run({"scan", dir + "notes.txt"}).Status, 1);
    EXPECT_EQ(Run({"build", work.Path() + "x.icl"}).Status, 2);
}

} // namespace
} // namespace pictavo
