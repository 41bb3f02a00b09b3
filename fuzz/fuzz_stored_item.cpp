// Stored items read from untrusted bytes: the "StoredItem" data property (a 32-bit
// payload length and the payload), then extraction of the stored file. Any input must
// end in the file's bytes or in one of the storage's exceptions, never in a crash, a
// read outside the data, or an allocation the data does not justify.

#include "library/FileStorage.h"
#include "util/Exceptions.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pictavo;
    if (size == 0)
        return 0;
    TFileStorage storage;
    TStoredItem& item = storage.StoredItems().Add();
    // The first byte picks the compression setting the payload is read with.
    storage.BeginRestore();
    item.SetCompression(static_cast<TCompressionLevel>(data[0] % 4));
    storage.EndRestore();
    try {
        ByteViewStream property(data + 1, size - 1);
        item.ReadStoredData(property);
        MemoryStream file;
        item.SaveToStream(&file);
        // Storing the extracted file again and extracting it must give it back.
        MemoryStream again;
        item.LoadFromStream(&file);
        item.SaveToStream(&again);
        if (again.Bytes() != file.Bytes())
            __builtin_trap();
    } catch (const Exception&) {
    }
    return 0;
}
