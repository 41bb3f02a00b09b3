// PE parse + resource decode + re-encode + re-parse, then an icon removed and one
// added as `remove` and `build --update` do it. A damaged image may be refused with one
// of the program's exceptions; anything else (a crash, a read outside the input,
// another exception) is a finding, and so is a rewritten image that cannot be read back
// or that gained resources, or a group entry that names an image no longer there.

#include "peres/IconGroupResources.h"
#include "peres/PEResourceModule.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pictavo;
    TPEResourceModule module;
    MemoryStream written;
    try {
        module.ParseImage(data, size);
        module.WriteToStream(written);
    } catch (const Exception&) {
        return 0;
    }
    // Referring to the icon-group class links the registered resource classes, so that
    // decoding runs their constructors on the fuzzed data.
    int groups = 0;
    for (int i = 0; i < module.Count(); ++i)
        groups += dynamic_cast<TIconGroupResourceDetails*>(module.Item(i)) != nullptr;
    if (groups > module.Count())
        std::abort();
    TPEResourceModule reread;
    reread.ParseImage(written.Memory(), static_cast<size_t>(written.Size()));
    // Resources with the same type, name and language merge; none may appear.
    if (reread.Count() > module.Count())
        std::abort();

    try {
        for (int i = 0; i < module.Count(); ++i) {
            if (dynamic_cast<TIconGroupResourceDetails*>(module.Item(i)) != nullptr) {
                module.RemoveAt(i);
                break;
            }
        }
        CreateEmpty<TIconGroupResourceDetails>(module, 0, module.NextFreeName("14"));
    } catch (const Exception&) {
    }
    for (int i = 0; i < module.Count(); ++i) {
        const auto* group = dynamic_cast<TIconCursorGroupResourceDetails*>(module.Item(i));
        for (int entry = 0; group != nullptr && entry < group->EntryCount(); ++entry) {
            const TIconCursorResourceDetails* image = group->ImageOfEntry(entry);
            if (image != nullptr && module.IndexOf(image) < 0)
                std::abort();
        }
    }
    return 0;
}
