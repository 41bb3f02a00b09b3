#pragma once
// Runs the built programs as a user would, for the command tests of every folder.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace pictavo::testsupport {

struct CliRun {
    std::string Out; // standard output
    std::string Err; // standard error
    int Status = -1; // exit code, -1 when the program did not exit normally
};

// The text quoted for the shell.
inline std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string ReadWholeFile(FILE* file) {
    std::string text;
    std::array<char, 4096> buffer;
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        text.append(buffer.data(), got);
    return text;
}

// The lines of a command's output, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Runs PICTAVO_BIN_DIR/PROGRAM with the arguments, each passed as one word, with no
// display and no language variable but `language` (LANG=C.UTF-8 unless told), so the
// messages do not depend on the machine. Standard output goes to `outputTo` when given
// (Out stays empty). A program that runs for a minute is stopped (Status -1). Given
// `userId`, it runs as that user (the caller must be root).
inline CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& language = "LANG=C.UTF-8",
                         const std::string& outputTo = "", const std::string& userId = "") {
    char errName[] = "/tmp/pictavo-cli-stderr-XXXXXX";
    const int errFd = ::mkstemp(errName);
    std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG -u DISPLAY "
                          "-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                          ShellQuoted(language) +
                          (userId.empty() ? std::string()
                                          : " setpriv --reuid=" + userId + " --regid=" + userId +
                                                " --clear-groups") +
                          " timeout 60 " +
                          ShellQuoted(std::string(PICTAVO_BIN_DIR) + "/" + program);
    for (const std::string& arg : args)
        command += " " + ShellQuoted(arg);
    command += " 2>" + ShellQuoted(errName);
    if (!outputTo.empty())
        command += " >" + ShellQuoted(outputTo);
    CliRun run;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        run.Out = ReadWholeFile(pipe);
        const int status = ::pclose(pipe);
        run.Status = WIFEXITED(status) && WEXITSTATUS(status) != 124 ? WEXITSTATUS(status) : -1;
    }
    if (FILE* err = std::fopen(errName, "rb")) {
        run.Err = ReadWholeFile(err);
        std::fclose(err);
    }
    if (errFd >= 0)
        ::close(errFd);
    ::unlink(errName);
    return run;
}

inline CliRun RunCli(const std::vector<std::string>& args,
                     const std::string& language = "LANG=C.UTF-8") {
    return RunProgram("pictavo-cli", args, language);
}

// RunCli as a user without special rights: root reads every file, so a root test run
// becomes the user nobody (65534) for it; files it needs must be open to others.
inline CliRun RunCliUnprivileged(const std::vector<std::string>& args) {
    return RunProgram("pictavo-cli", args, "LANG=C.UTF-8", "", ::geteuid() == 0 ? "65534" : "");
}

} // namespace pictavo::testsupport
