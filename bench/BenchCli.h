#pragma once
// The pictavo-cli a benchmark runs: the one built with it, or the one named by the
// environment variable PICTAVO_BENCH_CLI (to measure an older build in the same run of
// the machine). Header-only: each benchmark is one program.

#include <cstdlib>
#include <string>

namespace pictavo::bench {

inline std::string CliProgram() {
    const char* other = std::getenv("PICTAVO_BENCH_CLI");
    return other != nullptr && *other != '\0' ? other : PICTAVO_CLI;
}

} // namespace pictavo::bench
