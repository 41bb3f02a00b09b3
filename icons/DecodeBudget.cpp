#include "icons/DecodeBudget.h"

#include "icons/MultiIcon.h"
#include "icons/PngCodec.h"
#include "util/Exceptions.h"

namespace pictavo {

void TDecodeBudget::Spend(uint64_t bytes) {
    if (bytes > left_)
        throw EInvalidGraphic(message_);
    left_ -= bytes;
}

TDecodeBudget IconDecodeBudget() {
    return TDecodeBudget(IconDecodeLimit, "Icon too large: its images need more than 64 MB");
}

TDecodeBudget FileDecodeBudget(uint64_t fileSize) {
    const uint64_t perByte = fileSize > (UINT64_MAX - FileDecodeBase) / FileDecodePerByte
                                 ? UINT64_MAX - FileDecodeBase
                                 : fileSize * FileDecodePerByte;
    const uint64_t bytes = FileDecodeBase + perByte;
    return TDecodeBudget(bytes, Format("File too large: its icons need more than %llu MB",
                                       static_cast<unsigned long long>(bytes >> 20)));
}

uint64_t DecodedBytesOfBlock(const uint8_t* block, size_t size) {
    uint32_t width = 0, height = 0;
    if (ReadPngSize(block, size, width, height))
        return uint64_t{width} * height * 4;
    if (HasPngSignature(block, size) || size < 40)
        return 0;
    const BitmapBlockLayout layout = MeasureBitmapBlock(block);
    return layout.valid ? static_cast<uint64_t>(layout.colorSize + layout.maskSize) : 0;
}

} // namespace pictavo
