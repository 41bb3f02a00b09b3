// The writer's input side as set-icon and version --set drive it: a program is parsed,
// its version blocks decoded and encoded again, a large resource added (so the resources
// outgrow their section and, behind a .reloc, go to a new last section), its signature
// dropped, and the image written and read back. A damaged image may be refused with one
// of the program's exceptions; anything else (a crash, a read outside the input, another
// exception) is a finding, and so is a written image that cannot be read back, that lost
// a resource, or whose sections before the resources or overlay changed bytes.

#include "peres/IconGroupResources.h"
#include "peres/PEResourceModule.h"
#include "util/VersionBlock.h"

#include <cstdlib>

namespace {

using namespace pictavo;

void RewriteVersionBlocks(TPEResourceModule& module) {
    for (int i = 0; i < module.Count(); ++i) {
        TResourceDetails& resource = *module.Item(i);
        if (resource.Type() != "16")
            continue;
        const std::vector<uint8_t>& bytes = resource.Data().Bytes();
        std::optional<VersionNode> tree = DecodeVersionNode(bytes.data(), bytes.size());
        if (!tree)
            continue;
        tree->Children.push_back(VersionNode{"Comments", true, "fuzzed", {}, {}});
        MemoryStream block(EncodeVersionNode(*tree));
        resource.ReplaceData(block);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPEResourceModule module;
    MemoryStream written;
    try {
        module.ParseImage(data, size);
        // Referring to the icon-group class links the registered resource classes.
        if (module.Count() > 0 && dynamic_cast<TIconGroupResourceDetails*>(module.Item(0)))
            module.SetModified(true);
        RewriteVersionBlocks(module);
        const std::vector<uint8_t> payload(0x3000, 0x5A);
        module.Append(CreateWithData<TResourceDetails>(&module, 0x409, "FUZZ", "10",
                                                       payload.size(), payload.data()));
        module.SetStripSignature(true);
        // Both layouts: a program's (set-icon) and the library template's.
        module.SetKeepOtherHeaders(size % 2 == 0);
        module.WriteToStream(written);
    } catch (const Exception&) {
        return 0;
    }
    TPEResourceModule original;
    original.ParseImage(data, size);
    TPEResourceModule reread;
    reread.ParseImage(written.Memory(), static_cast<size_t>(written.Size()));
    if (reread.Count() < original.Count() || reread.SectionCount() < original.SectionCount())
        std::abort();
    uint32_t offset = 0;
    const TImageSection* resources = original.ResourceSection(offset);
    for (int i = 0; i < original.SectionCount(); ++i) {
        const TImageSection& before = original.Section(i);
        if (&before == resources)
            continue;
        if (reread.Section(i).RawData().Bytes() != before.RawData().Bytes() ||
            reread.Section(i).VirtualAddress() != before.VirtualAddress())
            std::abort();
    }
    return 0;
}
