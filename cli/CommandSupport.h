#pragma once
// Helpers shared by the scan, extract, build and remove commands.

#include "cli/Command.h"
#include "library/FileIcons.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace pictavo::cli {

// A non-negative decimal number that fits an int; nullopt for anything else.
std::optional<int> ParseIndex(const std::string& text);

// A source of icons as commands take it: FILE:N (icon N, 0-based) when the text after
// the last ':' is a number, else FILE (no index).
struct IconSourceText {
    std::string FileName;
    std::optional<int> Index;
};
IconSourceText ParseIconSource(const std::string& text);

// The failure of a command that writes into a program: the error with the program's
// name, and for a signed program the option that writes it all the same.
int ProgramChangeFailure(const std::string& program, const std::exception& error);

// The command of the table with this name.
const Command& CommandNamed(const char* name);

// Says on standard error that the command waits for the library's lock file, so that a
// second build or removal does not look hung.
void SayWaitingForLock(const std::string& lockFile);

// A build's or removal's wait for the library's lock: said on standard error (after
// `beforeSaying`, which clears a progress line) and, with a limit (--wait SECONDS), given
// up with an error once that many seconds have passed.
struct LockWait {
    std::function<void(const std::string& lockFile)> OnWait;
    std::function<void()> WhileWaiting; // empty without a limit: the wait is the system's
};
LockWait WaitForLockSaying(std::optional<int> seconds,
                           const std::function<void()>& beforeSaying = {});

// Reads the value of "--wait" at args[i + 1] into `seconds` and steps past it; the usage
// error's text, or "" when the value is a number of seconds.
std::string ParseWaitValue(const Arguments& args, size_t& i, std::optional<int>& seconds);

// "FILE: the system's reason" when the file cannot be opened for reading (missing, no
// permission, a folder), else "": what to say instead of "no icons" for such a file.
std::string UnreadableFileError(const std::string& fileName);

// A file name as one line of text output: control characters, and the backslash that
// introduces them, escaped as C writes them (\n, \t, \r, \\, \xHH), so that a name
// holding a newline stays one record.
std::string LineText(const std::string& text);

} // namespace pictavo::cli
