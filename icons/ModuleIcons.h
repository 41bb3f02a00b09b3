#pragma once
// Icons in modules: executables, libraries and icon libraries keep one icon-group
// resource per icon and one image resource per image. A module's icons are named by
// their position among the icon groups; TMultiIcon::LoadFromModule loads one of them.

#include "icons/MultiIcon.h"
#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"

#include <cstdint>
#include <string>

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

// Number of icon-group resources in the file; 0 when it is no module. Never raises.
int GetModuleIconCount(const std::string& fileName);

// Number of resource names of one type.
int CountResources(const ModuleReader& module, uint32_t type);

// The size of the icon image resource the entry names, or, when that is absent or
// empty, the entry's own byte count.
uint32_t GetIconResourceSize(const ModuleReader& module, const TGroupEntry& entry);

} // namespace pictavo
