#pragma once
// A line a child process writes to its parent through a pipe, read up to the newline.

#include <string>
#include <unistd.h>

namespace pictavo::test {

// Reads up to the newline or the end of the pipe, then closes it.
inline std::string ReadLineAndClose(int readEnd) {
    std::string line;
    char c = 0;
    while (::read(readEnd, &c, 1) == 1 && c != '\n')
        line += c;
    ::close(readEnd);
    return line;
}

} // namespace pictavo::test
