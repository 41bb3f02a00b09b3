// Runs the built pictavo-thumbnailer as a file manager does: -s SIZE INPUT OUTPUT.

#include "icons/PngCodec.h"
#include "library/PrivateTempFolder.h"
#include "tests/CliRunner.h"
#include "util/AtomicFile.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/wait.h>

namespace pictavo {
namespace {

using testsupport::ShellQuoted;

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

struct ThumbnailerRunResult {
    int Status = -1;
    std::string Err;
};

ThumbnailerRunResult Thumbnail(const std::vector<std::string>& args, const std::string& errFile) {
    std::string command = ShellQuoted(std::string(PICTAVO_BIN_DIR) + "/pictavo-thumbnailer");
    for (const std::string& arg : args)
        command += " " + ShellQuoted(arg);
    command += " 2>" + ShellQuoted(errFile);
    ThumbnailerRunResult run;
    const int status = std::system(command.c_str());
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const std::vector<uint8_t> err = ReadFileBytes(errFile);
    run.Err.assign(err.begin(), err.end());
    return run;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

struct SizeCase {
    const char* input;
    int size;
    int width;
    int height;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.input << " at " << c.size;
}

class ThumbnailerRun : public testing::TestWithParam<SizeCase> {
protected:
    TPrivateTempFolder work;
    TPrivateTempFolder errors;
};

TEST_P(ThumbnailerRun, WritesOnlyThePngOfTheFittingSize) {
    const std::string output = work.Path() + "thumb.png";
    const ThumbnailerRunResult run =
        Thumbnail({"-s", std::to_string(GetParam().size), Fixture(GetParam().input), output},
                  errors.Path() + "err");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(FilesIn(work.Path()), std::vector<std::string>{"thumb.png"});
    const std::vector<uint8_t> bytes = ReadFileBytes(output);
    TPngImage png;
    png.LoadFromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(png.Width(), GetParam().width);
    EXPECT_EQ(png.Height(), GetParam().height);
}

// icons32.dll and icons16.dll: first icon 16x16 at 4 bits and 32x32 at 32 bits.
INSTANTIATE_TEST_SUITE_P(Cases, ThumbnailerRun,
                         testing::Values(SizeCase{"pe/icons32.dll", 256, 32, 32},
                                         SizeCase{"ne/icons16.dll", 24, 24, 24},
                                         SizeCase{"pe/icons64.dll", 128, 32, 32},
                                         SizeCase{"pe/big.ico", 128, 128, 128},
                                         SizeCase{"pe/arrow.cur", 16, 16, 16}));

TEST(Thumbnailer, StoredPngOfTheWantedSizeIsWrittenAsItIs) {
    TPrivateTempFolder work;
    const std::string output = work.Path() + "thumb.png";
    ASSERT_EQ(Thumbnail({"-s", "256", Fixture("pe/big.ico"), output}, work.Path() + "err").Status,
              0);
    // big.ico's second directory entry: the 256x256 PNG.
    const std::vector<uint8_t> ico = ReadFileBytes(Fixture("pe/big.ico"));
    const uint8_t* entry = ico.data() + 6 + 16;
    const auto png = ico.begin() + LoadU32(entry + 12);
    EXPECT_EQ(ReadFileBytes(output), std::vector<uint8_t>(png, png + LoadU32(entry + 8)));
}

// Tumbler makes OUTPUT, keeps it open and reads the thumbnail through its own handle: the
// PNG must land in that very file, not in a new one renamed over its name.
TEST(Thumbnailer, WritesIntoTheFileTheCallerHoldsOpen) {
    TPrivateTempFolder work;
    const std::string output = work.Path() + "tumbler-XXXXXX.png";
    const int held = ::open(output.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(held, 0);
    const ThumbnailerRunResult run =
        Thumbnail({"-s", "128", Fixture("pe/icons32.dll"), output}, work.Path() + "err");
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::vector<uint8_t> seen(1 << 20);
    const ssize_t got = ::pread(held, seen.data(), seen.size(), 0);
    ::close(held);
    ASSERT_GT(got, 8);
    seen.resize(static_cast<size_t>(got));
    EXPECT_EQ(seen, ReadFileBytes(output));
    EXPECT_TRUE(HasPngSignature(seen.data(), seen.size()));

    // "-" writes the same PNG to standard output.
    const std::string piped = work.Path() + "piped.png";
    const std::string command = ShellQuoted(std::string(PICTAVO_BIN_DIR) + "/pictavo-thumbnailer") +
                                " -s 128 " + ShellQuoted(Fixture("pe/icons32.dll")) + " - >" +
                                ShellQuoted(piped);
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(piped), seen);
}

TEST(Thumbnailer, NoIconMeansExitOneWithOneLineAndNoOutput) {
    TPrivateTempFolder work;
    for (const char* input : {"pe/icons32.rc", "ne/cursors16.dll", "pe/missing.dll"}) {
        const ThumbnailerRunResult run = Thumbnail(
            {"-s", "128", Fixture(input), work.Path() + "thumb.png"}, work.Path() + "err");
        EXPECT_EQ(run.Status, 1) << input;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
        EXPECT_EQ(FilesIn(work.Path()), std::vector<std::string>{"err"}) << input;
    }
    EXPECT_EQ(
        Thumbnail({"-s", "0", Fixture("pe/one.ico"), work.Path() + "t.png"}, work.Path() + "err")
            .Status,
        2);
}

// The output is the input (the same name, or a link to it): refused, the input untouched.
TEST(Thumbnailer, AnOutputThatIsTheInputIsRefused) {
    TPrivateTempFolder work;
    const std::string input = work.Path() + "same.ico";
    WriteFileBytes(input, ReadFileBytes(Fixture("pe/one.ico")));
    const std::vector<uint8_t> before = ReadFileBytes(input);
    ASSERT_EQ(::link(input.c_str(), (work.Path() + "hard.ico").c_str()), 0);
    ASSERT_EQ(::symlink(input.c_str(), (work.Path() + "soft.ico").c_str()), 0);
    for (const char* output : {"same.ico", "hard.ico", "soft.ico"}) {
        const ThumbnailerRunResult run =
            Thumbnail({"-s", "64", input, work.Path() + output}, work.Path() + "err");
        EXPECT_EQ(run.Status, 1) << output;
        EXPECT_NE(run.Err.find("the output is the input file"), std::string::npos) << run.Err;
        EXPECT_EQ(ReadFileBytes(input), before) << output;
    }
}

// A write that fails (a full disk; here a file size limit) removes the output the run
// created, and leaves one the caller made where it is.
TEST(Thumbnailer, AFailedWriteLeavesNoNewEmptyOutput) {
    TPrivateTempFolder work;
    const std::string program = std::string(PICTAVO_BIN_DIR) + "/pictavo-thumbnailer";
    const auto run = [&](const std::string& output) {
        const std::string command = "trap '' XFSZ; ulimit -f 0; exec " + ShellQuoted(program) +
                                    " -s 64 " + ShellQuoted(Fixture("pe/one.ico")) + " " +
                                    ShellQuoted(output) + " 2>/dev/null";
        const int status = std::system(("sh -c " + ShellQuoted(command)).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run(work.Path() + "new.png"), 1);
    EXPECT_FALSE(Exists(work.Path() + "new.png"));
    WriteFileBytes(work.Path() + "held.png", {});
    EXPECT_EQ(run(work.Path() + "held.png"), 1);
    EXPECT_TRUE(Exists(work.Path() + "held.png"));
}

} // namespace
} // namespace pictavo
