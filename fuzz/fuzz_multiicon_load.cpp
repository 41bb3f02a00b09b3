// Loads fuzzed bytes as an ICO/CUR stream; whatever loads is drawn, saved, reloaded,
// and must save to the same bytes again. The same bytes also go to the alpha bitmap's
// BMP reader, which must never write past its pixels.

#include "icons/AlphaBitmap.h"
#include "icons/MultiIcon.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include <cstdint>
#include <cstdlib>
#include <exception>

using namespace pictavo;

namespace {

std::vector<uint8_t> Save(TMultiIcon& icon) {
    MemoryStream stream;
    icon.SaveToStream(&stream);
    return stream.TakeBytes();
}

void LoadAlphaBitmap(const uint8_t* data, size_t size) {
    TAlphaBitmap bitmap;
    ByteViewStream input(data, size);
    try {
        bitmap.LoadFromStream(&input);
    } catch (const Exception&) {
        return;
    }
    auto canvas = platform::Surface::Create(40, 40);
    bitmap.Draw(*canvas, {0, 0, 32, 32});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAlphaBitmap(data, size);
    TMultiIcon icon;
    ByteViewStream input(data, size);
    try {
        icon.LoadFromStream(&input);
    } catch (const Exception&) {
        return 0; // rejected input is fine; crashes and sanitizer reports are not
    }
    auto canvas = platform::Surface::Create(40, 40);
    icon.Draw(*canvas, {0, 0, 32, 32});
    icon.Draw(*canvas, {3, 3, 40, 20});

    std::vector<uint8_t> saved = Save(icon);
    if (saved.empty())
        return 0; // an empty icon saves nothing
    TMultiIcon reloaded;
    ByteViewStream again(saved.data(), saved.size());
    reloaded.LoadFromStream(&again); // what was saved must load
    if (reloaded.IconCount() != (saved[4] | (saved[5] << 8)))
        std::abort();
    if (Save(reloaded) != saved)
        std::abort();
    return 0;
}
