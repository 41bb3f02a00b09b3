// The table of pictavo-cli commands. Each command lives in its own cmd_*.cpp file.

#include "cli/Command.h"

namespace pictavo::cli {

int RunImages(const Arguments& args);
extern const char ImagesHelp[];
int RunIcons(const Arguments& args);
extern const char IconsHelp[];
int RunVersion(const Arguments& args);
extern const char VersionHelp[];
int RunScan(const Arguments& args);
extern const char ScanHelp[];
int RunExtract(const Arguments& args);
extern const char ExtractHelp[];
int RunBuild(const Arguments& args);
extern const char BuildHelp[];
int RunRemove(const Arguments& args);
extern const char RemoveHelp[];
int RunCursorTheme(const Arguments& args);
extern const char CursorThemeHelp[];
int RunSetIcon(const Arguments& args);
extern const char SetIconHelp[];

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        {"images", "list the images of an ICO or CUR file", ImagesHelp, RunImages},
        {"icons", "list the icons of a module or ICO/CUR file", IconsHelp, RunIcons},
        {"version", "show the version information of a file or of pictavo", VersionHelp,
         RunVersion},
        {"scan", "list the files of a folder that hold icons", ScanHelp, RunScan},
        {"extract", "write icons of a file as .ico files", ExtractHelp, RunExtract},
        {"build", "collect icons into an icon library", BuildHelp, RunBuild},
        {"remove", "remove an icon from an icon library", RemoveHelp, RunRemove},
        {"cursor-theme", "write a Windows cursor pack as a Linux cursor theme", CursorThemeHelp,
         RunCursorTheme},
        {"set-icon", "replace the icon of a Windows program", SetIconHelp, RunSetIcon},
    };
    return table;
}

} // namespace pictavo::cli
