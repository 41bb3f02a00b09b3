// Reads fuzzed bytes as a VS_VERSIONINFO block, the way ReadVersionInfo does, plus a
// few paths that walk other branches of the tree.

#include "peres/VersionInfo.h"
#include "util/VersionBlock.h"

#include <cstdint>
#include <cstdlib>

using namespace pictavo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TVersionInfo info;
    const bool read = ReadVersionInfoFromBlock(data, size, info);
    if (read && info.VersionText.empty())
        std::abort();
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo",
                             "\\\\StringFileInfo\\\\040904E4\\Comments\\"}) {
        const std::optional<VersionValue> value = QueryVersionValue(data, size, path);
        if (!value)
            continue;
        if (value->Data < data || value->Data + value->Size > data + size)
            std::abort();
        VersionValueText(*value);
    }
    return 0;
}
