#pragma once
// The commands of pictavo-cli. Each command parses its own arguments and returns
// the exit code: 0 success, 1 failure (message on stderr), 2 bad usage.

#include <string>
#include <vector>

namespace pictavo::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* synopsis; // one line for the overview
    const char* help;     // the text of `pictavo-cli NAME --help`
    int (*run)(const Arguments& args);
};

// Every command, in the order the overview lists them.
const std::vector<Command>& Commands();

// Exit codes.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Prints "pictavo-cli NAME: message" and the command's usage line to stderr; returns ExitUsage.
int UsageError(const Command& command, const std::string& message);
// Prints "pictavo-cli: message" to stderr: every error and warning starts with the
// program's name.
void SayError(const std::string& message);
// SayError, then returns ExitFailure.
int Failure(const std::string& message);
// The options of any command that take the next argument as their value.
inline constexpr const char* OptionsWithValues[] = {
    "-o",    "-i",    "-m",    "--size", "--wait",         "--theme",          "--name",
    "--id",  "--sizes", "--set", "--file-version", "--product-version"};
bool TakesValue(const std::string& option);
// True when the arguments ask for help: "--help" or "-h" before "--", and not as the
// value of an option.
bool WantsHelp(const Arguments& args);
// The arguments without the first "--", which ends the options: what follows it is a
// file even when it begins with '-'. For commands that take no options.
Arguments Operands(const Arguments& args);
// The operands of a command whose only option is --json (which sets `json`); "--" ends
// the options. Returns the usage error for any other option, else "".
std::string ParseJsonOption(const Arguments& args, bool& json, Arguments& operands);

} // namespace pictavo::cli
