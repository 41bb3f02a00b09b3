// Reading a cursor scheme from an install.inf or from the names of a folder's files.

#include "cursors/CursorScheme.h"

#include "cursors/CursorRoles.h"
#include "cursors/WindowsText.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace pictavo {

namespace {

// An .inf of a cursor pack is a few kilobytes; anything far larger is not one.
constexpr int64_t MaxInfFile = 1 << 20;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

struct InfFile {
    // Lower-case section name -> its lines, in file order.
    std::map<std::string, std::vector<std::string>> Sections;
    std::vector<std::string> SectionOrder;
    std::map<std::string, std::string> Strings; // lower-case key -> value
};

InfFile ParseInf(const std::string& text) {
    InfFile inf;
    std::string section;
    std::string pending; // a line continued with a trailing backslash
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line.back() == '\\' && line.find(';') == std::string::npos) {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        line = pending + line;
        pending.clear();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = Lower(
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            if (!inf.Sections.count(section))
                inf.SectionOrder.push_back(section);
            inf.Sections[section];
            continue;
        }
        inf.Sections[section].push_back(line);
        if (section == "strings") {
            const size_t equals = line.find('=');
            if (equals == std::string::npos)
                continue;
            const std::vector<std::string> value = InfFields(line.substr(equals + 1));
            inf.Strings[Lower(Trim(line.substr(0, equals)))] = value.empty() ? "" : value[0];
        }
    }
    return inf;
}

// "%key%" replaced from [Strings] (keys case-blind), "%%" by "%"; a key that is not there,
// such as a directory number ("%10%"), stays as it is.
std::string Resolve(const InfFile& inf, const std::string& text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('%', pos);
        if (open == std::string::npos) {
            out += text.substr(pos);
            break;
        }
        out += text.substr(pos, open - pos);
        const size_t close = text.find('%', open + 1);
        if (close == std::string::npos) {
            out += text.substr(open);
            break;
        }
        const std::string key = text.substr(open + 1, close - open - 1);
        const auto found = inf.Strings.find(Lower(key));
        if (key.empty())
            out += '%';
        else if (found != inf.Strings.end())
            out += found->second;
        else
            out += text.substr(open, close - open + 1);
        pos = close + 1;
    }
    return out;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (true) {
        const size_t comma = text.find(',', pos);
        out.push_back(
            Trim(text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos)));
        if (comma == std::string::npos)
            return out;
        pos = comma + 1;
    }
}

// The file name at the end of a Windows path.
std::string BaseName(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return Trim(cut == std::string::npos ? path : path.substr(cut + 1));
}

// The registry lines of the .inf's sections, [Scheme.Reg] first: a scheme's line under
// "Control Panel\Cursors\Schemes" gives every role; lines under "Control Panel\Cursors"
// named after a role give that one.
struct SchemeLines {
    std::optional<std::vector<std::string>> Scheme; // fields of the scheme line
    std::map<int, std::string> Single;              // role -> path
};

SchemeLines FindSchemeLines(const InfFile& inf) {
    std::vector<std::string> order = {"scheme.reg"};
    for (const std::string& name : inf.SectionOrder)
        if (name != "scheme.reg" && name != "strings")
            order.push_back(name);
    SchemeLines found;
    for (const std::string& section : order) {
        const auto lines = inf.Sections.find(section);
        if (lines == inf.Sections.end())
            continue;
        for (const std::string& line : lines->second) {
            std::vector<std::string> fields = InfFields(line);
            if (fields.size() < 5)
                continue;
            for (std::string& field : fields)
                field = Resolve(inf, field);
            const std::string key = Lower(fields[1]);
            if (EndsWith(key, "cursors\\schemes") && !found.Scheme) {
                found.Scheme = fields;
            } else if (EndsWith(key, "control panel\\cursors")) {
                const std::vector<TCursorRole>& roles = CursorRoles();
                for (size_t r = 0; r < roles.size(); ++r)
                    if (Lower(fields[2]) == Lower(roles[r].RegistryName))
                        found.Single.emplace(static_cast<int>(r), fields[4]);
            }
        }
    }
    return found;
}

// Lower-case file name -> path, of the regular files of a folder.
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::error_code kindError;
        if (entry.is_regular_file(kindError))
            files.emplace(Lower(entry.path().filename().string()), entry.path().string());
    }
    if (error)
        throw Exception("Cannot read the folder " + folder + ": " + error.message());
    return files;
}

bool HasCursorExtension(const std::string& lowerName) {
    return EndsWith(lowerName, ".cur") || EndsWith(lowerName, ".ani");
}

} // namespace

int TCursorScheme::RoleCount() const {
    return static_cast<int>(std::count_if(RoleFiles.begin(), RoleFiles.end(),
                                          [](const std::string& f) { return !f.empty(); }));
}

std::vector<std::string> InfFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            any = true;
        } else if (c == ',' && !quoted) {
            fields.push_back(Trim(field));
            field.clear();
        } else if (c == ';' && !quoted) {
            break;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !fields.empty())
        fields.push_back(Trim(field));
    return fields;
}

TCursorScheme ReadSchemeFromInf(const std::string& infFile) {
    FileStream file(infFile, FileMode::OpenRead);
    if (file.Size() > MaxInfFile)
        throw Exception(infFile + ": too large for a cursor pack's .inf file");
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    const InfFile inf = ParseInf(FileTextAsUtf8(bytes));
    const SchemeLines lines = FindSchemeLines(inf);

    const std::vector<TCursorRole>& roles = CursorRoles();
    std::vector<std::string> paths(roles.size());
    TCursorScheme scheme;
    if (lines.Scheme) {
        const std::vector<std::string>& fields = *lines.Scheme;
        scheme.Name = fields[2];
        // An unquoted list arrives split into further fields.
        std::string value = fields[4];
        for (size_t k = 5; k < fields.size(); ++k)
            value += "," + fields[k];
        const std::vector<std::string> list = SplitList(value);
        for (size_t r = 0; r < roles.size() && r < list.size(); ++r)
            paths[r] = list[r];
    }
    for (const auto& [role, path] : lines.Single)
        if (paths[static_cast<size_t>(role)].empty())
            paths[static_cast<size_t>(role)] = path;

    const std::string folder = fs::path(infFile).parent_path().string();
    const std::map<std::string, std::string> files = FolderFiles(folder.empty() ? "." : folder);
    scheme.RoleFiles.resize(roles.size());
    for (size_t r = 0; r < roles.size(); ++r) {
        const std::string name = BaseName(paths[r]);
        if (name.empty())
            continue;
        const auto found = files.find(Lower(name));
        if (found == files.end())
            scheme.Missing.push_back(std::string(roles[r].RegistryName) + ": " + name);
        else
            scheme.RoleFiles[r] = found->second;
    }
    if (scheme.RoleCount() == 0 && scheme.Missing.empty())
        throw Exception(infFile + ": names no cursor of a scheme");
    return scheme;
}

TCursorScheme ReadSchemeFromFolder(const std::string& folder) {
    const std::map<std::string, std::string> files = FolderFiles(folder);
    for (const auto& [name, path] : files) {
        if (!EndsWith(name, ".inf"))
            continue;
        try {
            TCursorScheme scheme = ReadSchemeFromInf(path);
            if (scheme.RoleCount() > 0)
                return scheme;
        } catch (const Exception&) {
            // Not a cursor scheme's .inf: the files' names decide.
        }
    }
    const std::vector<TCursorRole>& roles = CursorRoles();
    TCursorScheme scheme;
    scheme.RoleFiles.resize(roles.size());
    // Sorted by name, so the choice among files for one role does not depend on the disk.
    for (const auto& [name, path] : files) {
        if (!HasCursorExtension(name))
            continue;
        const std::optional<int> role = RoleOfFileName(path);
        if (!role)
            scheme.Unmatched.push_back(path);
        else if (!scheme.RoleFiles[static_cast<size_t>(*role)].empty())
            scheme.Repeated.push_back(path);
        else
            scheme.RoleFiles[static_cast<size_t>(*role)] = path;
    }
    if (scheme.RoleCount() == 0)
        throw Exception(folder + ": no .cur or .ani file is named after a cursor role");
    return scheme;
}

TCursorScheme ReadCursorScheme(const std::string& source) {
    std::error_code error;
    if (fs::is_directory(source, error))
        return ReadSchemeFromFolder(source);
    return ReadSchemeFromInf(source);
}

} // namespace pictavo
