#include "library/ProgramStorage.h"

namespace pictavo {

void RestoreStoredItem(TFileStorage& storage, const TEmbeddedItem& embedded) {
    storage.BeginRestore();
    try {
        TStoredItem& item = storage.StoredItems().Add();
        item.Tag = 0;
        item.SetName(embedded.Name);
        item.SetFileName(embedded.FileName);
        item.SetFileSize(embedded.FileSize);
        MemoryStream data;
        data.WriteU32(static_cast<uint32_t>(embedded.PayloadSize));
        data.WriteBuffer(embedded.Payload, embedded.PayloadSize);
        data.SetPosition(0);
        item.ReadStoredData(data);
    } catch (...) {
        storage.EndRestore();
        throw;
    }
    storage.EndRestore();
}

TFileStorage& ProgramStorage() {
    static TFileStorage& storage = []() -> TFileStorage& {
        static TFileStorage restored;
        RestoreStoredItem(restored, EmbeddedTemplate());
        return restored;
    }();
    return storage;
}

namespace {
// Restored while the program starts, as the window's components are; only the payload
// is copied here, nothing is decompressed until the template is needed.
[[maybe_unused]] const bool StorageRestoredAtStart = (ProgramStorage(), true);
} // namespace

} // namespace pictavo
