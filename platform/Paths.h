#pragma once
// The parts of a path, split at its last slash. A path is bytes: no case folding, no
// normalisation, no look at the disk.

#include <string>

namespace pictavo::platform {

// The part after the last slash: the whole path for a bare name, "" after a trailing slash.
std::string FileNameOf(const std::string& path);

// The part up to and including the last slash: "" for a bare name, "/" for a root entry.
std::string FolderPartOf(const std::string& path);

// The folder to hand to the system: "." for a bare name, "/" for a root entry, otherwise
// the folder part without its last slash.
std::string FolderOf(const std::string& path);

// Where the extension's dot is: the last dot of the file-name part (a leading dot counts),
// npos when the file-name part has none.
size_t ExtensionDot(const std::string& path);

// The file-name part up to its last dot (the whole file-name part without a dot).
std::string BaseNameOf(const std::string& path);

} // namespace pictavo::platform
