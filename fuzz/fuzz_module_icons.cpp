// Reads fuzzed bytes as a module: counts its icon groups and loads each of them, as an
// icon container and as a cursor container; whatever loads is drawn, saved and read
// back with the same number of images.

#include "icons/ModuleIcons.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include <cstdint>
#include <cstdlib>

using namespace pictavo;

namespace {

// Enough groups to reach every code path without letting one input run for long.
constexpr int MaxGroups = 32;

void CheckLoaded(TMultiIcon& icon) {
    auto canvas = platform::Surface::Create(40, 40);
    icon.Draw(*canvas, {0, 0, 32, 32});
    if (icon.IconCount() == 0)
        return; // a group without entries loads empty, and an empty icon saves nothing
    MemoryStream saved;
    icon.SaveToStream(&saved);
    saved.SetPosition(0);
    TMultiIcon reloaded;
    reloaded.LoadFromStream(&saved);
    if (reloaded.IconCount() != icon.IconCount())
        std::abort();
}

void LoadGroup(const ModuleReader& module, int n, const uint8_t* cursorFile, size_t size) {
    TMultiIcon icon;
    if (cursorFile) {
        // A container that last held a cursor looks for cursor groups.
        ByteViewStream stream(cursorFile, size);
        icon.LoadFromStream(&stream);
    }
    try {
        icon.LoadModuleIcon(module, n);
    } catch (const Exception&) {
        return; // refused input is fine; crashes and sanitizer reports are not
    }
    CheckLoaded(icon);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<ModuleReader> module =
        ModuleReader::FromMemory(std::vector<uint8_t>(data, data + size));
    if (!module)
        return 0;
    const int count = CountResources(*module, pe::RtGroupIcon);
    static const uint8_t emptyCursor[] = {0, 0, 2, 0, 0, 0};
    for (int n = -1; n <= count && n < MaxGroups; ++n) {
        LoadGroup(*module, n, nullptr, 0);
        LoadGroup(*module, n, emptyCursor, sizeof emptyCursor);
    }
    TGroupEntry entry;
    entry.Id = 1;
    GetIconResourceSize(*module, entry);
    return 0;
}
