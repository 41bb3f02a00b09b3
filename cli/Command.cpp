#include "cli/Command.h"

#include "cli/CommandSupport.h"

#include <algorithm>

#include <cstdio>

namespace pictavo::cli {

int UsageError(const Command& command, const std::string& message) {
    std::fprintf(stderr, "pictavo-cli %s: %s\n", command.name, LineText(message).c_str());
    std::fprintf(stderr, "Run 'pictavo-cli %s --help' for usage.\n", command.name);
    return ExitUsage;
}

void SayError(const std::string& message) {
    // Escaped as standard output escapes names: a name with a newline stays on its line,
    // and a terminal's escape sequences in a name never reach the terminal.
    std::fprintf(stderr, "pictavo-cli: %s\n", LineText(message).c_str());
}

int Failure(const std::string& message) {
    SayError(message);
    return ExitFailure;
}

bool TakesValue(const std::string& option) {
    for (const char* name : OptionsWithValues)
        if (option == name)
            return true;
    return false;
}

bool WantsHelp(const Arguments& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--")
            return false;
        if (args[i] == "--help" || args[i] == "-h")
            return true;
        if (TakesValue(args[i]))
            ++i; // its value, whatever it reads ("-o --help" names a folder)
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
