// The ICO/CUR stream format: a 6-byte header, 16-byte directory entries, then the
// image data blocks one after another in directory order.

#include "icons/DecodeBudget.h"
#include "icons/MultiIcon.h"
#include "util/Bytes.h"
#include "util/IconDirectory.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace pictavo {

namespace {

// Raised when the stream ends before a part it announces; nothing past the end is read.
[[noreturn]] void StreamTooShort() {
    throw EReadError("Stream read error");
}

bool HoldsData(const TMultiIconImage& image) {
    return image.IsPng ? image.Png != nullptr : image.Header != nullptr && image.ColorBitmap;
}

IconDirectoryEntry EntryOf(const TMultiIconImage& image, bool isCursor, uint32_t size) {
    IconDirectoryEntry entry;
    // A PNG image's picture may be larger than 256 pixels; its entry says 0 all the same.
    entry.Width = IconSideByte(image.Width);
    entry.Height = IconSideByte(image.Height);
    entry.Colors = IconColorCountByte(image.BitsPerPixel);
    if (isCursor && !image.IsPng) {
        entry.SetHotspot(static_cast<uint16_t>(image.HotspotX),
                         static_cast<uint16_t>(image.HotspotY));
    } else {
        entry.Planes = 1;
        entry.BitCount = static_cast<uint16_t>(image.BitsPerPixel);
    }
    entry.Size = size;
    return entry;
}

void WriteBitmapBlock(Stream& stream, const TMultiIconImage& image) {
    // The block header carries the doubled height of colour and mask together.
    std::vector<uint8_t> header(image.Header.get(), image.Header.get() + image.HeaderSize);
    StoreI32(header.data() + 8, image.Height * 2);
    stream.WriteBuffer(header.data(), header.size());
    stream.WriteBuffer(image.ColorBits, static_cast<size_t>(image.ColorBitsSize));
    stream.WriteBuffer(image.MaskBits, static_cast<size_t>(image.MaskBitsSize));
}

} // namespace

void TMultiIcon::LoadFromStream(Stream* stream) {
    if (!stream)
        return;
    ClearImages();
    const std::optional<IconDirectory> directory = ReadIconDirectory(*stream);
    if (!directory)
        StreamTooShort();
    FIsCursor = directory->IsCursor(); // taken from the header even when entries are missing
    if (!directory->Complete())
        StreamTooShort();
    FImages.assign(directory->Entries.size(), TMultiIconImage{});
    for (size_t i = 0; i < FImages.size(); ++i) {
        const IconDirectoryEntry& entry = directory->Entries[i];
        TMultiIconImage& image = FImages[i];
        image.Width = IconSideOfByte(entry.Width);
        image.Height = IconSideOfByte(entry.Height);
        if (FIsCursor) {
            image.HotspotX = entry.HotspotX();
            image.HotspotY = entry.HotspotY();
        }
        image.BytesInRes = static_cast<int32_t>(entry.Size);
        image.ImageOffset = entry.Offset;
        image.BitsPerPixel = entry.BitCount;
    }
    TDecodeBudget budget = IconDecodeBudget();
    for (size_t i = 0; i < FImages.size(); ++i) {
        try {
            LoadImageBlock(*stream, FImages[i], budget);
        } catch (...) {
            // The failing image and the ones not reached yet are left empty.
            for (size_t j = i; j < FImages.size(); ++j)
                FreeImage(FImages[j]);
            FCurrentIndex = -1;
            throw;
        }
    }
    Changed();
}

void TMultiIcon::LoadImageBlock(Stream& stream, TMultiIconImage& image, TDecodeBudget& budget) {
    uint8_t signature[8] = {};
    const size_t got = stream.Read(signature, sizeof signature);
    stream.Seek(-static_cast<int64_t>(got), SeekOrigin::Current);

    if (HasPngSignature(signature, got)) {
        if (image.BytesInRes < 0 || stream.Remaining() < image.BytesInRes)
            StreamTooShort();
        std::vector<uint8_t> block(static_cast<size_t>(image.BytesInRes));
        stream.ReadBuffer(block.data(), block.size());
        budget.Spend(DecodedBytesOfBlock(block.data(), block.size()));
        ReadPngImageBlock(image, block.data(), block.size());
        return;
    }

    uint8_t header[40];
    stream.ReadBuffer(header, sizeof header);
    const BitmapBlockLayout layout = MeasureBitmapBlock(header);
    image.BitsPerPixel = layout.bitsPerPixel;
    image.Width = layout.width;
    image.Height = layout.height;
    if (!layout.valid || layout.Total() != image.BytesInRes)
        throw Exception("Invalid icon format");
    if (stream.Remaining() < image.BytesInRes - 40)
        StreamTooShort();
    budget.Spend(static_cast<uint64_t>(layout.colorSize + layout.maskSize));
    std::vector<uint8_t> block(static_cast<size_t>(image.BytesInRes));
    std::memcpy(block.data(), header, sizeof header);
    stream.ReadBuffer(block.data() + 40, block.size() - 40);
    ReadBitmapImageBlock(image, block.data(), block.size());
    StoreU32(image.Header.get() + 20, 0); // the image-size field is not kept from files
}

namespace {

// A PNG block as the decoder will take it: a PNG header chunk with a size the decoder
// accepts. The pixel bytes are added to `pixels`.
bool PngBlockLooksLoadable(Stream& stream, int32_t bytesInRes, uint64_t& pixels) {
    if (bytesInRes < 0 || stream.Remaining() < bytesInRes)
        return false;
    uint8_t start[24] = {};
    const size_t got = stream.Read(start, std::min<size_t>(sizeof start, bytesInRes));
    uint32_t width = 0, height = 0;
    if (!ReadPngSize(start, got, width, height) || width == 0 || height == 0)
        return false;
    pixels += uint64_t{width} * height * 4;
    stream.Seek(bytesInRes - static_cast<int64_t>(got), SeekOrigin::Current);
    return true;
}

// A bitmap block as the loader takes it: sizes that match the entry, a depth and size a
// bitmap can have, all of it in the stream.
bool BitmapBlockLooksLoadable(Stream& stream, int32_t bytesInRes, uint64_t& pixels) {
    uint8_t header[40];
    if (stream.Read(header, sizeof header) != sizeof header)
        return false;
    const BitmapBlockLayout layout = MeasureBitmapBlock(header);
    if (!layout.valid || layout.Total() != bytesInRes || layout.width <= 0 || layout.height <= 0 ||
        !platform::IsDibDepth(layout.bitsPerPixel) || stream.Remaining() < bytesInRes - 40)
        return false;
    pixels += static_cast<uint64_t>(layout.colorSize + layout.maskSize);
    stream.Seek(bytesInRes - 40, SeekOrigin::Current);
    return true;
}

} // namespace

bool IconStreamHasImages(Stream& stream) {
    const std::optional<IconDirectory> directory = ReadIconDirectory(stream);
    if (!directory || !directory->Complete() || directory->Entries.empty())
        return false;
    uint64_t pixels = 0;
    for (const IconDirectoryEntry& entry : directory->Entries) {
        const auto bytesInRes = static_cast<int32_t>(entry.Size);
        uint8_t signature[8] = {};
        const size_t got = stream.Read(signature, sizeof signature);
        stream.Seek(-static_cast<int64_t>(got), SeekOrigin::Current);
        const bool loadable = HasPngSignature(signature, got)
                                  ? PngBlockLooksLoadable(stream, bytesInRes, pixels)
                                  : BitmapBlockLooksLoadable(stream, bytesInRes, pixels);
        if (!loadable || pixels > IconDecodeLimit)
            return false;
    }
    return true;
}

void TMultiIcon::SaveToStream(Stream* stream) {
    WriteContainer(stream, FIsCursor);
}

void TMultiIcon::SaveAsIconToStream(Stream* stream) {
    WriteContainer(stream, false);
}

void TMultiIcon::WriteContainer(Stream* stream, bool asCursor) {
    if (!stream || GetEmpty())
        return;
    // PNG images are always re-encoded; their entries carry the new lengths. Images that
    // share one picture (entries of a module that named the same bytes) share its
    // encoding too.
    std::vector<const TMultiIconImage*> written;
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> encoded;
    std::map<const TPngImage*, std::shared_ptr<const std::vector<uint8_t>>> encodings;
    for (TMultiIconImage& image : FImages) {
        if (!HoldsData(image))
            continue;
        written.push_back(&image);
        encoded.emplace_back();
        if (image.IsPng) {
            auto& encoding = encodings[image.Png.get()];
            if (!encoding)
                encoding = std::make_shared<const std::vector<uint8_t>>(image.Png->SaveToBytes());
            encoded.back() = encoding;
            image.BytesInRes = static_cast<int32_t>(encoding->size());
            // The entry states the depth of the picture written, as it states its length.
            image.BitsPerPixel = ReadPngBitsPerPixel(encoding->data(), encoding->size());
        }
    }

    std::vector<IconDirectoryEntry> entries;
    for (const TMultiIconImage* image : written) {
        const uint32_t size = image->IsPng
                                  ? static_cast<uint32_t>(image->BytesInRes)
                                  : static_cast<uint32_t>(image->HeaderSize + image->ColorBitsSize +
                                                          image->MaskBitsSize);
        entries.push_back(EntryOf(*image, asCursor, size));
    }
    const std::vector<uint8_t> directory =
        EncodeIconDirectory(asCursor ? CursorFileType : IconFileType, entries);
    stream->WriteBuffer(directory.data(), directory.size());
    for (size_t k = 0; k < written.size(); ++k) {
        if (written[k]->IsPng)
            stream->WriteBuffer(encoded[k]->data(), encoded[k]->size());
        else
            WriteBitmapBlock(*stream, *written[k]);
    }
}

} // namespace pictavo
