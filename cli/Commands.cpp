// The table of pictavo-cli commands. Each command lives in its own cmd_*.cpp file.

#include "cli/Command.h"

namespace pictavo::cli {

int RunImages(const Arguments& args);
extern const char ImagesHelp[];
int RunIcons(const Arguments& args);
extern const char IconsHelp[];
int RunVersion(const Arguments& args);
extern const char VersionHelp[];

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        {"images", "list the images of an ICO or CUR file", ImagesHelp, RunImages},
        {"icons", "list the icons of a module or ICO/CUR file", IconsHelp, RunIcons},
        {"version", "show the version information of a file or of pictavo", VersionHelp,
         RunVersion},
    };
    return table;
}

} // namespace pictavo::cli
