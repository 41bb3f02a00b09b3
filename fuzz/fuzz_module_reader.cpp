// The read-only module reader over PE and 16-bit NE input (seeds of both kinds):
// open, enumerate every numeric type, find each name by id, by text and by "#id" (the
// first few names of each type), and touch the bytes found.

#include "peres/ModuleReader.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pictavo;
    const auto reader = ModuleReader::FromMemory(std::vector<uint8_t>(data, data + size));
    if (!reader)
        return 0;
    unsigned touched = 0;
    const auto touch = [&](const std::optional<ResourceBytes>& found) {
        if (found && found->Size > 0)
            touched += found->Data[0] + found->Data[found->Size - 1];
    };
    for (uint32_t type = 0; type <= 24; ++type) {
        int names = 0;
        reader->EnumResourceNames(type, [&](const ResourceName& name) {
            // Finding scans the name table, so finding every name of a huge table
            // would make each run quadratic; a few names cover the paths.
            if (++names > 8)
                return true;
            if (name.IsNumeric) {
                touch(reader->FindResource(name.Id, type));
                touch(reader->FindResource("#" + std::to_string(name.Id), type));
            } else {
                touch(reader->FindResource(name.Text, type));
            }
            return true;
        });
    }
    if (touched == 0xFFFFFFFFu)
        std::abort(); // keeps the reads from being optimised away
    return 0;
}
