// The table of pictavo-cli commands. Each command lives in its own cmd_*.cpp file.

#include "cli/Command.h"

namespace pictavo::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
    };
    return table;
}

} // namespace pictavo::cli
