// What the window opens when it is started with a path on its command line, as file
// managers start it through the desktop entry's %f: a folder is scanned; for a file,
// its folder is scanned and the file's row selected.
#pragma once

#include <QString>
#include <optional>

struct TStartPath {
    QString Folder;   // absolute
    QString FileName; // absolute; empty when a folder was given
};

// nullopt when the argument names nothing that exists.
std::optional<TStartPath> StartPathOf(const QString& argument);

// The folder itself when it exists, else its nearest existing parent ("/" at the last):
// where the tree goes when the stored start folder has vanished.
QString NearestExistingFolder(const QString& folder);
