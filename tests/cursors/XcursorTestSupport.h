#pragma once
// Themes written by the tests, read back by libXcursor.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdlib.h>
#include <string>

// Last in every test file: Xlib's macros break the headers that follow it; the ones that
// clash with our names are dropped.
#include <X11/Xcursor/Xcursor.h>
#undef Status
#undef None
#undef Bool

namespace pictavo::xcursortest {

namespace fs = std::filesystem;

// libXcursor reads XCURSOR_PATH once per process: every theme of these tests goes under
// one folder, set before the first lookup.
inline const std::string& ThemeRoot() {
    static const std::string root = [] {
        std::string pattern = (fs::temp_directory_path() / "pictavo-themes-XXXXXX").string();
        std::string made = ::mkdtemp(pattern.data());
        ::setenv("XCURSOR_PATH", made.c_str(), 1);
        std::atexit([] { fs::remove_all(std::getenv("XCURSOR_PATH")); });
        return made;
    }();
    return root;
}

struct ImagesDeleter {
    void operator()(XcursorImages* images) const { XcursorImagesDestroy(images); }
};
using Loaded = std::unique_ptr<XcursorImages, ImagesDeleter>;

inline Loaded Load(const std::string& name, const std::string& theme, int size) {
    return Loaded(XcursorLibraryLoadImages(name.c_str(), theme.c_str(), size));
}

} // namespace pictavo::xcursortest
