#pragma once
// Opening a file for reading only when it is a regular file. A FIFO, socket or device
// given as a file would block the reader (a FIFO waits for a writer) or read a device;
// they are refused at once, and the open itself never waits.

#include <fcntl.h>
#include <string>

namespace pictavo::platform {

// Opens an existing regular file with the given access (O_RDONLY or O_RDWR); a relative
// name is looked for in the open folder folderFd. Returns a blocking descriptor, or -1
// with errno set: ENODEV (see NotARegularFileText) for anything that is not a regular
// file, EISDIR for a folder, the open error otherwise.
int OpenRegularFile(const std::string& fileName, int access, int folderFd = AT_FDCWD);

// The reason text for a file that is not a regular file.
const char* NotARegularFileText();

// The reason text for errno after a failed OpenRegularFile.
std::string OpenErrorText(int error);

} // namespace pictavo::platform
