// The module reader's view of a 16-bit NE module: the same lookups as for PE, served
// from the NE resource table. Names enumerate in table order.

#include "peres/ModuleReader.h"

#include "util/Bytes.h"
#include "util/Exceptions.h"

namespace pictavo {

bool ModuleReader::IndexNE(uint32_t neOffset) {
    uint8_t header[ne::HeaderSize];
    if (!ReadAt(neOffset, sizeof header, header))
        return false;
    try {
        const NEResourceTableRange range = FindNEResourceTable(header, neOffset, size_);
        std::vector<uint8_t> table(static_cast<size_t>(range.Size));
        if (!ReadAt(range.Offset, table.size(), table.data()))
            return false;
        ne_ = range.Size == 0 ? NEResourceTable()
                              : NEResourceTable::Read(table.data(), table.size(), size_);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

void ModuleReader::EnumNEResourceNames(
    uint32_t type, const std::function<bool(const ResourceName&)>& callback) const {
    const NEResourceType* resources = ne_->FindType(type);
    if (resources == nullptr)
        return;
    for (const NEResource& resource : resources->Resources)
        if (!callback(resource.Name))
            return;
}

std::optional<ResourceBytes> ModuleReader::FindNE(const ResourceName& name, uint32_t type) const {
    const NEResource* resource = ne_->Find(name, type);
    if (resource == nullptr)
        return std::nullopt;
    return ReadResource(resource->Offset, resource->Length);
}

} // namespace pictavo
