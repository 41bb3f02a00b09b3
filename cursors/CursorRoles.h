#pragma once
// The roles of a Windows cursor scheme, in the fixed order of a scheme's registry line,
// with the names a Linux desktop asks for each of them: the freedesktop (CSS) name first,
// under which the Xcursor file is written, then the X core names and other names that
// toolkits ask for, made as links to it.

#include <optional>
#include <string>
#include <vector>

namespace pictavo {

struct TCursorRole {
    const char* RegistryName;           // "Arrow", "IBeam", ... as in the registry
    std::vector<const char*> FileNames; // the usual names of a pack's files for the role
    std::string ThemeName;              // the Xcursor file's name
    std::vector<const char*> Aliases;   // links to it
};

// The 17 roles in registry order: Arrow, Help, AppStarting, Wait, Crosshair, IBeam,
// NWPen, No, SizeNS, SizeWE, SizeNWSE, SizeNESW, SizeAll, UpArrow, Hand, Pin, Person.
const std::vector<TCursorRole>& CursorRoles();

// The role whose registry name or usual file name the file's name (without its folder
// and extension) is. Case, spaces, '_' and '-' do not matter, and leading digits with
// which packs number their files are skipped ("01 Normal Select", "busy", "IBeam").
std::optional<int> RoleOfFileName(const std::string& fileName);

} // namespace pictavo
