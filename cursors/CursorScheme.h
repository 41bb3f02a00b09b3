#pragma once
// A Windows cursor scheme: which cursor file plays which role. Read from a pack's
// install.inf (its registry line for the scheme, "%strings%" resolved from [Strings]) or
// from a folder of .cur/.ani files (roles from the usual file names of packs).

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

struct TCursorScheme {
    std::string Name;                   // the scheme's name; "" when the source gives none
    std::vector<std::string> RoleFiles; // one path per role of CursorRoles(), "" for none
    std::vector<std::string> Unmatched; // files of a folder that matched no role
    std::vector<std::string> Repeated;  // files of a folder for a role another file took
    std::vector<std::string> Missing;   // "Role: file" for files an .inf names that are absent
    int RoleCount() const;
};

// The scheme of an install.inf. Raises Exception when the file cannot be read or names
// no cursor of a scheme.
TCursorScheme ReadSchemeFromInf(const std::string& infFile);

// The scheme of a folder: of an .inf in it that names a scheme, else of the .cur and .ani
// files by their names. Raises Exception when no file gives a role.
TCursorScheme ReadSchemeFromFolder(const std::string& folder);

// ReadSchemeFromFolder for a folder, ReadSchemeFromInf for a file.
TCursorScheme ReadCursorScheme(const std::string& source);

// ---- the pieces of an .inf, for tests ----

// The comma-separated fields of one .inf line, each trimmed and unquoted ("" in a quoted
// field stands for one quote); a comment after ';' outside quotes is dropped.
std::vector<std::string> InfFields(const std::string& line);

} // namespace pictavo
