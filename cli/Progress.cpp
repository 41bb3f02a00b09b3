#include "cli/Progress.h"

#include "cli/CommandSupport.h"

#include <cstdio>
#include <unistd.h>

namespace pictavo::cli {

Progress::Progress() : FEnabled(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
    Clear();
}

void Progress::Show(const std::string& text) {
    if (!FEnabled)
        return;
    std::fprintf(stderr, "\r\033[K%s", LineText(text).c_str());
    std::fflush(stderr);
    FShown = true;
}

void Progress::Clear() {
    if (!FShown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    FShown = false;
}

} // namespace pictavo::cli
