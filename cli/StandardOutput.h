#pragma once
// Standard output as the commands write their results to it. A write that fails (a full
// disk, a pipe closed while SIGPIPE is ignored) raises, so the command ends with status
// 1 and says why instead of reporting success.

#include <cstdint>
#include <vector>

namespace pictavo::cli {

// Writes the bytes (a whole output file given as "-o -") and flushes them.
void WriteStandardOutput(const std::vector<uint8_t>& bytes);

// Flushes what was printed; raises Exception when any write to standard output failed.
void FlushStandardOutput();

} // namespace pictavo::cli
