#pragma once
// A one-line progress display on stderr, shown only when stderr is a terminal, so that
// redirected output and scripts see only the final lines.

#include <string>

namespace pictavo::cli {

class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Replaces the progress line.
    void Show(const std::string& text);
    // Clears the progress line, so that the next output starts on a clean line.
    void Clear();

private:
    bool FEnabled;
    bool FShown = false;
};

} // namespace pictavo::cli
