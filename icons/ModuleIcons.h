#pragma once
// Icons in modules: executables, libraries and icon libraries keep one icon-group
// resource per icon and one image resource per image. A module's icons are named by
// their position among the icon groups; TMultiIcon::LoadFromModule loads one of them.

#include "icons/DecodeBudget.h"
#include "icons/MultiIcon.h"
#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

// What the enumeration callback of LoadModuleIcon works with.
struct TCallBack {
    int32_t Count = 0;
    int32_t Index = 0; // the wanted position
    std::string Name;  // the found group's name, or "#<id>"
};

// One 14-byte entry of an icon or cursor group resource.
struct TGroupEntry {
    uint16_t Width = 0; // an icon group holds 8 bits here and below; 0 means 256
    uint16_t Height = 0;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t BytesInRes = 0;
    uint16_t Id = 0; // of the image resource
};

// The icons of one module file, opened once: the group names are enumerated once and
// every icon is loaded by its name, so that listing or loading all icons of a module is
// one pass over it (reopening the file and walking its directory again for every icon
// makes that quadratic in the number of icons). What all the loads decode together is
// bounded by FileDecodeBudget of the file's size.
class TModuleIcons {
public:
    explicit TModuleIcons(const std::string& fileName);

    // False when the file cannot be opened as a module.
    bool IsModule() const { return FModule != nullptr; }
    // The number of icon groups, as GetModuleIconCount counts them.
    int Count() const { return static_cast<int>(FGroupNames.size()); }
    // The damaged resource entries the module's reader left out.
    std::vector<std::string> DamagedResources() const;
    // As TMultiIcon::LoadFromModule(fileName, n), with the same errors.
    void Load(TMultiIcon& icon, int n);

private:
    std::unique_ptr<ModuleReader> FModule;
    std::vector<std::string> FGroupNames; // in enumeration order, "#<id>" for numbers
    TDecodeBudget FBudget;
};

// Number of icon-group resources in the file; 0 when it is no module. Never raises.
int GetModuleIconCount(const std::string& fileName);

// Number of resource names of one type.
int CountResources(const ModuleReader& module, uint32_t type);

// The size of the icon image resource the entry names, or, when that is absent or
// empty, the entry's own byte count.
uint32_t GetIconResourceSize(const ModuleReader& module, const TGroupEntry& entry);

} // namespace pictavo
