// Counting the icon groups of a module and loading one of them into a TMultiIcon.

#include "icons/ModuleIcons.h"

#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <map>

namespace pictavo {

namespace {

constexpr uint32_t GroupHeaderBytes = 6;
constexpr uint32_t GroupEntryBytes = 14;
constexpr uint32_t HotspotBytes = 4;

[[noreturn]] void InvalidIconResource() {
    throw Exception("Invalid icon resource");
}

TGroupEntry ReadGroupEntry(const ByteView& p, bool isCursor) {
    TGroupEntry entry;
    if (isCursor) {
        entry.Width = p.U16(0);
        entry.Height = p.U16(2);
    } else {
        entry.Width = p.U8(0);
        entry.Height = p.U8(1);
    }
    entry.Planes = p.U16(4);
    entry.BitCount = p.U16(6);
    entry.BytesInRes = p.U32(8);
    entry.Id = p.U16(12);
    return entry;
}

int SizeOrDefault(uint16_t size) {
    return size == 0 ? 256 : size;
}

// The pictures one group load has decoded, by the bytes they came from, and what it may
// still decode. Entries that name the same bytes share one decoded picture.
struct GroupDecoding {
    TDecodeBudget Icon = IconDecodeBudget();
    TDecodeBudget* File = nullptr;
    std::map<std::pair<uint64_t, uint32_t>, const TMultiIconImage*> Decoded;
};

void SharePicture(const TMultiIconImage& from, TMultiIconImage& image) {
    image.IsPng = from.IsPng;
    image.Png = from.Png;
    image.Width = from.Width; // the picture's size and depth, for PNG data too
    image.Height = from.Height;
    image.BitsPerPixel = from.BitsPerPixel;
    if (from.IsPng)
        return;
    image.HeaderSize = from.HeaderSize;
    image.Header = from.Header;
    image.ColorBits = from.ColorBits;
    image.ColorBitsSize = from.ColorBitsSize;
    image.ColorBitmap = from.ColorBitmap;
    image.MaskBits = from.MaskBits;
    image.MaskBitsSize = from.MaskBitsSize;
    image.MaskBitmap = from.MaskBitmap;
}

// Fills one image record from the image resource the entry names.
void LoadGroupImage(const ModuleReader& module, const TGroupEntry& entry, bool isCursor,
                    TMultiIconImage& image, GroupDecoding& decoding) {
    const std::optional<ResourceBytes> resource =
        module.FindResource(entry.Id, isCursor ? pe::RtCursor : pe::RtIcon);
    if (!resource || !resource->Data)
        InvalidIconResource();
    ByteView block(resource->Data, resource->Size, InvalidIconResource);
    if (isCursor) {
        const ByteView hotspot = block.Sub(0, HotspotBytes);
        image.HotspotX = hotspot.U16(0);
        image.HotspotY = hotspot.U16(2);
        block = block.From(HotspotBytes);
    }
    image.Width = SizeOrDefault(entry.Width);
    image.Height = SizeOrDefault(entry.Height);

    // The byte count may come from the group entry; the copy never goes past the
    // resource, whatever the entry says. An icon image's own size is at hand already.
    const uint32_t bytesInRes = isCursor
                                    ? GetIconResourceSize(module, entry)
                                    : (resource->Size != 0 ? resource->Size : entry.BytesInRes);
    image.BytesInRes = static_cast<int32_t>(bytesInRes);
    image.BitsPerPixel = entry.BitCount;

    const bool isPng =
        HasPngSignature(block.Data(), std::min<uint64_t>({bytesInRes, 8, block.Size()}));
    // A PNG image takes the byte count's bytes, which must all be in the resource; a
    // bitmap image measures itself within the resource.
    const ByteView data = isPng ? block.Sub(0, bytesInRes) : block;
    const std::pair<uint64_t, uint32_t> bytes{resource->FileOffset, resource->Size};
    const auto decoded = decoding.Decoded.find(bytes);
    if (decoded != decoding.Decoded.end() && decoded->second->IsPng == isPng) {
        SharePicture(*decoded->second, image);
        return;
    }
    const uint64_t pixels = DecodedBytesOfBlock(data.Data(), data.Size());
    decoding.Icon.Spend(pixels);
    if (decoding.File)
        decoding.File->Spend(pixels);
    if (isPng)
        ReadPngImageBlock(image, data.Data(), data.Size());
    else
        ReadBitmapImageBlock(image, data.Data(), data.Size(), "Invalid icon resource");
    decoding.Decoded.emplace(bytes, &image);
}

} // namespace

int CountResources(const ModuleReader& module, uint32_t type) {
    int count = 0;
    module.EnumResourceNames(type, [&count](const ResourceName&) {
        ++count;
        return true;
    });
    return count;
}

uint32_t GetIconResourceSize(const ModuleReader& module, const TGroupEntry& entry) {
    const std::optional<ResourceBytes> resource = module.FindResource(entry.Id, pe::RtIcon);
    if (resource && resource->Size != 0)
        return resource->Size;
    return entry.BytesInRes;
}

TModuleIcons::TModuleIcons(const std::string& fileName)
    : FModule(ModuleReader::Open(fileName)), FBudget(FileDecodeBudget(0)) {
    if (!FModule)
        return;
    FBudget = FileDecodeBudget(FModule->FileSize());
    FModule->EnumResourceNames(pe::RtGroupIcon, [this](const ResourceName& name) {
        FGroupNames.push_back(name.IsNumeric ? Format("#%u", name.Id) : name.Text);
        return true;
    });
}

std::vector<std::string> TModuleIcons::DamagedResources() const {
    return FModule ? FModule->DamagedResources() : std::vector<std::string>{};
}

void TModuleIcons::Load(TMultiIcon& icon, int n) {
    if (FGroupNames.empty())
        throw Exception("Invalid module or no icon resources");
    if (n < 0 || n >= Count())
        throw Exception("Invalid icon resource index");
    icon.LoadIconGroupResource(*FModule, FGroupNames[static_cast<size_t>(n)], &FBudget);
}

int GetModuleIconCount(const std::string& fileName) {
    try {
        const std::unique_ptr<ModuleReader> module = ModuleReader::Open(fileName);
        return module ? CountResources(*module, pe::RtGroupIcon) : 0;
    } catch (...) {
        return 0; // a probe of an arbitrary file: any failure means no icons
    }
}

void TMultiIcon::LoadFromModule(const std::string& fileName, int n) {
    const std::unique_ptr<ModuleReader> module = ModuleReader::Open(fileName);
    if (!module)
        throw Exception("Invalid module or no icon resources");
    LoadModuleIcon(*module, n);
}

void TMultiIcon::LoadModuleIcon(const ModuleReader& module, int n) {
    TCallBack callBack;
    callBack.Index = n;
    // Always the icon-group type, also for a cursor container.
    bool found = false; // a group may be named with an empty text: the name cannot tell
    module.EnumResourceNames(pe::RtGroupIcon, [&callBack, &found](const ResourceName& name) {
        found = callBack.Count == callBack.Index;
        if (found)
            callBack.Name = name.IsNumeric ? Format("#%u", name.Id) : name.Text;
        ++callBack.Count;
        return !found;
    });
    if (found)
        LoadIconGroupResource(module, callBack.Name);
    else if (callBack.Count == 0)
        throw Exception("Invalid module or no icon resources");
    else
        throw Exception("Invalid icon resource index");
}

void TMultiIcon::LoadGroupResource(const ModuleReader& module, const std::string& name,
                                   TDecodeBudget* fileBudget) {
    LoadGroup(module, name, FIsCursor, fileBudget);
}

void TMultiIcon::LoadIconGroupResource(const ModuleReader& module, const std::string& name,
                                       TDecodeBudget* fileBudget) {
    LoadGroup(module, name, false, fileBudget);
}

void TMultiIcon::LoadCursorGroupResource(const ModuleReader& module, const std::string& name,
                                         TDecodeBudget* fileBudget) {
    LoadGroup(module, name, true, fileBudget);
}

void TMultiIcon::LoadGroup(const ModuleReader& module, const std::string& name, bool cursor,
                           TDecodeBudget* fileBudget) {
    const std::optional<ResourceBytes> group =
        module.FindResource(name, cursor ? pe::RtGroupCursor : pe::RtGroupIcon);
    if (!group)
        InvalidIconResource();
    const ByteView bytes(group->Data, group->Size, InvalidIconResource);
    const ByteView header = bytes.Sub(0, GroupHeaderBytes);
    const uint16_t type = header.U16(2);
    if ((type == 1 && cursor) || (type == 2 && !cursor))
        InvalidIconResource();
    const uint16_t count = header.U16(4);
    // Every entry must lie inside the group before the container is touched.
    const ByteView entries = bytes.Sub(GroupHeaderBytes, uint64_t{count} * GroupEntryBytes);

    ClearImages();
    FIsCursor = cursor;
    FImages.assign(count, TMultiIconImage{});
    GroupDecoding decoding;
    decoding.File = fileBudget;
    for (size_t i = 0; i < count; ++i) {
        const TGroupEntry entry =
            ReadGroupEntry(entries.Sub(i * GroupEntryBytes, GroupEntryBytes), cursor);
        try {
            LoadGroupImage(module, entry, cursor, FImages[i], decoding);
        } catch (...) {
            // The images before stay loaded; this one and the later ones are empty.
            FreeImage(FImages[i]);
            FCurrentIndex = -1;
            throw;
        }
    }
    Changed();
}

} // namespace pictavo
