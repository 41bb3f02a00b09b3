// The table of pictavo-cli commands. Each command lives in its own cmd_*.cpp file.

#include "cli/Command.h"

namespace pictavo::cli {

int RunImages(const Arguments& args);
extern const char ImagesHelp[];

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        {"images", "list the images of an ICO or CUR file", ImagesHelp, RunImages},
    };
    return table;
}

} // namespace pictavo::cli
