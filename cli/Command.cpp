#include "cli/Command.h"

#include <algorithm>

#include <cstdio>

namespace pictavo::cli {

int UsageError(const Command& command, const std::string& message) {
    std::fprintf(stderr, "pictavo-cli %s: %s\n", command.name, message.c_str());
    std::fprintf(stderr, "Run 'pictavo-cli %s --help' for usage.\n", command.name);
    return ExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "pictavo-cli: %s\n", message.c_str());
    return ExitFailure;
}

bool WantsHelp(const Arguments& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

Arguments Operands(const Arguments& args) {
    Arguments operands = args;
    const auto end = std::find(operands.begin(), operands.end(), "--");
    if (end != operands.end())
        operands.erase(end);
    return operands;
}

} // namespace pictavo::cli
