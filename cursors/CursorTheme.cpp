// Writing a cursor theme.

#include "cursors/CursorTheme.h"

#include "cursors/CursorRoles.h"
#include "cursors/XcursorImages.h"
#include "util/AtomicFile.h"
#include "util/Exceptions.h"
#include "util/TempFileCleanup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pictavo {

namespace {

// The temporary folder of a theme being written: removed with what it holds unless the
// theme was renamed into place, also when a SIGINT or SIGTERM ends the process.
class TThemeWorkFolder {
public:
    explicit TThemeWorkFolder(const std::string& parent) {
        std::string pattern = parent + "/.pictavo-theme-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw EFCreateError("Cannot create a folder in " + parent + ": " +
                                std::strerror(errno));
        FPath = pattern;
        FRegistration.emplace(FPath, TTempKind::Tree);
        ::chmod(FPath.c_str(), 0755);
    }
    ~TThemeWorkFolder() {
        std::error_code ignored;
        if (!FPath.empty())
            fs::remove_all(FPath, ignored);
    }
    TThemeWorkFolder(const TThemeWorkFolder&) = delete;
    TThemeWorkFolder& operator=(const TThemeWorkFolder&) = delete;

    const std::string& Path() const { return FPath; }
    // After the folder was renamed away, nothing is left to remove.
    void Release() {
        FRegistration.reset();
        FPath.clear();
    }

private:
    std::string FPath;
    std::optional<TTempFileRegistration> FRegistration;
};

std::string IndexTheme(const std::string& name, const std::string& schemeName) {
    std::string comment = schemeName.empty()
                              ? "Converted from Windows cursors"
                              : "Converted from the Windows cursor scheme " + schemeName;
    for (char& c : comment)
        if (c == '\n' || c == '\r')
            c = ' ';
    return "[Icon Theme]\nName=" + name + "\nComment=" + comment + "\n";
}

void WriteRole(const TCursorRole& role, const std::string& file, const std::string& cursorsFolder,
               const std::vector<int>& sizes) {
    try {
        const TAnimatedCursor cursor = LoadCursorAnimation(file);
        SaveXcursorFile(XcursorImagesOf(cursor, CursorSizes(cursor, sizes)),
                        cursorsFolder + "/" + role.ThemeName);
        for (const char* alias : role.Aliases)
            fs::create_symlink(role.ThemeName, cursorsFolder + "/" + alias);
    } catch (const std::exception& error) {
        throw Exception(
            Format("Cursor %s (%s): %s", role.RegistryName, file.c_str(), error.what()));
    }
}

// Puts the finished theme at `target`: by a plain rename when nothing is there, else by
// exchanging it with the earlier theme in one step, which then goes.
void PutThemeInPlace(TThemeWorkFolder& work, const std::string& target) {
    std::error_code error;
    const bool exists = fs::symlink_status(target, error).type() != fs::file_type::not_found;
    if (!exists) {
        if (::renameat2(AT_FDCWD, work.Path().c_str(), AT_FDCWD, target.c_str(),
                        RENAME_NOREPLACE) != 0)
            throw EFCreateError("Cannot create " + target + ": " + std::strerror(errno));
        work.Release();
        return;
    }
    if (!IsCursorThemeFolder(target))
        throw EFCreateError(target + " exists and is not a cursor theme; it is left as it is");
    if (::renameat2(AT_FDCWD, work.Path().c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0)
        throw EFCreateError("Cannot replace " + target + ": " + std::strerror(errno));
    // The work folder's name now holds the earlier theme; the destructor removes it.
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

} // namespace

const std::vector<int>& DefaultThemeSizes() {
    static const std::vector<int> sizes = {24, 32, 48, 64};
    return sizes;
}

std::string UserCursorThemesFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return std::string(data) + "/icons";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share/icons";
}

std::string ThemeNameOfSource(const std::string& source) {
    std::error_code error;
    fs::path folder = fs::path(source).lexically_normal();
    if (!fs::is_directory(folder, error))
        folder = folder.parent_path();
    if (!folder.has_filename())
        folder = folder.parent_path(); // a trailing '/'
    const std::string name = folder.filename().string();
    return IsValidThemeName(name) ? name : "Cursors";
}

bool IsCursorThemeFolder(const std::string& folder) {
    std::error_code error;
    const fs::path path(folder);
    return !fs::is_symlink(path, error) && fs::is_directory(path, error) &&
           fs::is_regular_file(path / "index.theme", error) &&
           fs::is_directory(path / "cursors", error);
}

bool IsValidThemeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string WriteCursorTheme(const TCursorScheme& scheme, const TCursorThemeRequest& request) {
    if (!IsValidThemeName(request.Name))
        throw Exception("Invalid theme name: " + request.Name);
    if (!scheme.Missing.empty())
        throw Exception("Cursor " + scheme.Missing.front() + " is not in the pack's folder");
    const std::string folder = request.Folder.empty() ? "." : request.Folder;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw EFCreateError("Cannot create the folder " + folder + ": " + error.message());

    TThemeWorkFolder work(folder);
    const std::string cursorsFolder = work.Path() + "/cursors";
    fs::create_directory(cursorsFolder);
    const std::vector<TCursorRole>& roles = CursorRoles();
    const size_t total = static_cast<size_t>(scheme.RoleCount());
    size_t done = 0;
    for (size_t r = 0; r < roles.size() && r < scheme.RoleFiles.size(); ++r) {
        if (scheme.RoleFiles[r].empty())
            continue;
        if (request.OnCursor)
            request.OnCursor(done, total, scheme.RoleFiles[r]);
        WriteRole(roles[r], scheme.RoleFiles[r], cursorsFolder, request.Sizes);
        ++done;
    }
    const std::string index = IndexTheme(request.Name, scheme.Name);
    WriteFileAtomically(work.Path() + "/index.theme",
                        std::vector<uint8_t>(index.begin(), index.end()));
    // Everything on the disk before the name appears.
    SyncFolder(work.Path());
    const std::string target = folder + "/" + request.Name;
    PutThemeInPlace(work, target);
    SyncFolder(folder);
    return target;
}

} // namespace pictavo
