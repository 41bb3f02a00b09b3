#include "cli/CommandSupport.h"

#include "util/Exceptions.h"

#include <climits>
#include <cstdio>

namespace pictavo::cli {

std::optional<int> ParseIndex(const std::string& text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

const Command& CommandNamed(const char* name) {
    for (const Command& command : Commands())
        if (std::string(command.name) == name)
            return command;
    throw Exception(std::string("no command ") + name);
}

void SayWaitingForLock(const std::string& lockFile) {
    std::fprintf(stderr, "waiting: another build or removal holds %s\n", lockFile.c_str());
    std::fflush(stderr);
}

} // namespace pictavo::cli
