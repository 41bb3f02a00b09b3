#include "cli/Command.h"

#include <algorithm>

#include <cstdio>

namespace pictavo::cli {

int UsageError(const Command& command, const std::string& message) {
    std::fprintf(stderr, "pictavo-cli %s: %s\n", command.name, message.c_str());
    std::fprintf(stderr, "Run 'pictavo-cli %s --help' for usage.\n", command.name);
    return ExitUsage;
}

void SayError(const std::string& message) {
    std::fprintf(stderr, "pictavo-cli: %s\n", message.c_str());
}

int Failure(const std::string& message) {
    SayError(message);
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

std::string ParseJsonOption(const Arguments& args, bool& json, Arguments& operands) {
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (option && arg == "--")
            optionsEnded = true;
        else if (option && arg == "--json")
            json = true;
        else if (option)
            return "unknown option " + arg;
        else
            operands.push_back(arg);
    }
    return "";
}

} // namespace pictavo::cli
