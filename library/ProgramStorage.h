#pragma once
// The program's own embedded storage: one item, "DLL" (file name "Template.dll"),
// holding the template DLL of new icon libraries compressed at the default level.
// The build generates the item's payload (tools/make_template_dll); the storage is
// restored from it while the program starts (or on first use, whichever is earlier).

#include "library/FileStorage.h"

#include <cstddef>
#include <cstdint>

namespace pictavo {

// One item as the build embeds it.
struct TEmbeddedItem {
    const char* Name;
    const char* FileName;
    int32_t FileSize;
    const uint8_t* Payload;
    size_t PayloadSize;
};

// Generated at build time.
TEmbeddedItem EmbeddedTemplate();

// Restores an item into the storage as the form resource would: a new item, then
// Tag, Name, FileName, FileSize and the "StoredItem" data, all while restoring.
void RestoreStoredItem(TFileStorage& storage, const TEmbeddedItem& embedded);

// The main window's storage `Storage`.
TFileStorage& ProgramStorage();

} // namespace pictavo
