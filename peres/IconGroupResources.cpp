#include "peres/IconGroupResources.h"

#include "peres/BitmapResources.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <limits>

namespace pictavo {

namespace {

const char* const kInvalidIconOrCursor = "无效的图标或光标";

constexpr size_t kGroupHeaderSize = 6;
constexpr size_t kGroupEntrySize = 14;
constexpr int kDefaultSize = 32;
constexpr TPixelFormat kDefaultFormat = TPixelFormat::pf4bit;

// True when `name` is the decimal text of `id` (leading zeros allowed). Never raises:
// a digit text too long for a number simply names some other resource.
bool NameIsNumber(const std::string& name, uint32_t id) {
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const size_t first = name.find_first_not_of('0');
    if (first == std::string::npos)
        return id == 0;
    if (name.size() - first > 10)
        return false;
    uint64_t value = 0;
    for (size_t i = first; i < name.size(); ++i)
        value = value * 10 + static_cast<uint64_t>(name[i] - '0');
    return value == id;
}

std::string TypeText(int32_t number) {
    return std::to_string(number);
}

constexpr int64_t kHighestImageId = std::numeric_limits<uint16_t>::max();

// The 16-bit image id an entry stores for an image name.
uint16_t ImageIdOfName(const std::string& name) {
    const int32_t id = NumericName(name);
    if (id < 1 || id > kHighestImageId)
        throw EImageNumbersExhausted(
            Format("No free image number for a group entry (%s)", name.c_str()));
    return static_cast<uint16_t>(id);
}

// The groups of the owner that list images of this image type, in list order.
std::vector<TIconCursorGroupResourceDetails*> GroupsOf(const TResourceModule& owner,
                                                       const std::string& groupType) {
    std::vector<TIconCursorGroupResourceDetails*> groups;
    for (int i = 0; i < owner.Count(); ++i)
        if (auto* group = dynamic_cast<TIconCursorGroupResourceDetails*>(owner.Item(i)))
            if (group->Type() == groupType)
                groups.push_back(group);
    return groups;
}

// Resets the group's Clearing flag on every path out of PrepareForRemoval.
class ClearingScope {
public:
    explicit ClearingScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~ClearingScope() { FFlag = false; }
    ClearingScope(const ClearingScope&) = delete;
    ClearingScope& operator=(const ClearingScope&) = delete;

private:
    bool& FFlag;
};

// Registers the icon, cursor and bitmap resource classes in their fixed order at
// start-up and withdraws them at shut-down.
class ResourceClassRegistrar {
public:
    ResourceClassRegistrar() {
        for (const TResourceDetailsClass& cls : Classes())
            AddDetailsClass(cls);
    }
    ~ResourceClassRegistrar() {
        const std::vector<TResourceDetailsClass> classes = Classes();
        for (auto it = classes.rbegin(); it != classes.rend(); ++it)
            RemoveDetailsClass(*it);
    }
    ResourceClassRegistrar(const ResourceClassRegistrar&) = delete;
    ResourceClassRegistrar& operator=(const ResourceClassRegistrar&) = delete;

private:
    static std::vector<TResourceDetailsClass> Classes() {
        return {DetailsClassOf<TBitmapResourceDetails>("TBitmapResourceDetails"),
                DetailsClassOf<TDIBResourceDetails>("TDIBResourceDetails"),
                DetailsClassOf<TIconGroupResourceDetails>("TIconGroupResourceDetails"),
                DetailsClassOf<TCursorGroupResourceDetails>("TCursorGroupResourceDetails"),
                DetailsClassOf<TIconResourceDetails>("TIconResourceDetails"),
                DetailsClassOf<TCursorResourceDetails>("TCursorResourceDetails")};
    }
};

const ResourceClassRegistrar registrar;

} // namespace

// ---- default image ----

void WriteDefaultIconImage(MemoryStream& out, bool cursor, int width, int height,
                           TPixelFormat format) {
    const int bits = PixelFormatBits(format);
    const int colors = PixelFormatColors(format);
    if (cursor) {
        out.WriteU16(16);
        out.WriteU16(16);
    }
    out.WriteU32(BitmapInfoHeaderSize);
    out.WriteI32(width);
    out.WriteI32(height * 2);
    out.WriteU16(1);
    out.WriteU16(static_cast<uint16_t>(bits));
    out.WriteU32(format == TPixelFormat::pf16bit ? BI_BITFIELDS : BI_RGB);
    out.WriteU32(0); // image size
    out.WriteU32(0); // resolutions
    out.WriteU32(0);
    out.WriteU32(static_cast<uint32_t>(colors)); // colours used, important
    out.WriteU32(static_cast<uint32_t>(colors));
    if (format == TPixelFormat::pf16bit) {
        out.WriteU32(0xF800);
        out.WriteU32(0x07E0);
        out.WriteU32(0x001F);
    } else {
        for (TColor color : PlatformPalette(format)) {
            out.WriteU8(GetBValue(color));
            out.WriteU8(GetGValue(color));
            out.WriteU8(GetRValue(color));
            out.WriteU8(0);
        }
    }
    out.WriteZeros(static_cast<size_t>(platform::DibRowBytes(width, bits) * height));
    const std::vector<uint8_t> mask(static_cast<size_t>(width) * static_cast<size_t>(height) / 8,
                                    0xFF);
    out.WriteBuffer(mask.data(), mask.size());
}

// ---- TGraphicsResourceDetails ----

void TGraphicsResourceDetails::WritePicture(const TPicture& picture) {
    if (picture.IconGraphic) {
        Data().Clear();
        picture.IconGraphic->SaveToStream(Data());
    } else if (picture.Bitmap) {
        const std::vector<uint8_t> file = SaveBitmapFile(*picture.Bitmap);
        Data().Clear();
        Data().WriteBuffer(file.data(), file.size());
    } else {
        throw EInvalidGraphic("No picture to write");
    }
    Data().SetPosition(0);
}

// ---- TIconCursorGroupResourceDetails ----

std::string TIconCursorGroupResourceDetails::ImageType() const {
    return TypeText(NumericName(Type()) - 11);
}

int TIconCursorGroupResourceDetails::EntryCount() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    return bytes.size() < kGroupHeaderSize ? 0 : LoadU16(bytes.data() + 4);
}

int TIconCursorGroupResourceDetails::StoredEntries() const {
    const size_t size = Data().Bytes().size();
    if (size < kGroupHeaderSize)
        return 0;
    const size_t present = (size - kGroupHeaderSize) / kGroupEntrySize;
    return static_cast<int>(std::min<size_t>(present, static_cast<size_t>(EntryCount())));
}

uint16_t TIconCursorGroupResourceDetails::EntryImageId(int index) const {
    const uint8_t* entry =
        Data().Bytes().data() + kGroupHeaderSize + kGroupEntrySize * static_cast<size_t>(index);
    return LoadU16(entry + 12);
}

void TIconCursorGroupResourceDetails::WriteHeader(uint16_t count) {
    Data().Clear();
    Data().WriteU16(0);
    Data().WriteU16(IsIconGroup() ? 1 : 2);
    Data().WriteU16(count);
}

TIconCursorResourceDetails* TIconCursorGroupResourceDetails::ImageOfEntry(int index) const {
    if (Owner() == nullptr || index < 0 || index >= StoredEntries())
        return nullptr;
    const std::string imageType = ImageType();
    const uint16_t id = EntryImageId(index);
    for (int i = 0; i < Owner()->Count(); ++i) {
        auto* image = dynamic_cast<TIconCursorResourceDetails*>(Owner()->Item(i));
        if (image != nullptr && image->Type() == imageType && NameIsNumber(image->Name(), id))
            return image;
    }
    return nullptr;
}

bool TIconCursorGroupResourceDetails::HoldsImage(const TIconCursorResourceDetails& image) const {
    if (Type() != image.GroupType())
        return false;
    for (int i = 0; i < StoredEntries(); ++i)
        if (NameIsNumber(image.Name(), EntryImageId(i)))
            return true;
    return false;
}

void TIconCursorGroupResourceDetails::RemoveEntryAt(int index) {
    const int stored = StoredEntries();
    std::vector<uint8_t> bytes = Data().Bytes();
    const size_t at = kGroupHeaderSize + kGroupEntrySize * static_cast<size_t>(index);
    bytes.erase(bytes.begin() + static_cast<ptrdiff_t>(at),
                bytes.begin() + static_cast<ptrdiff_t>(at + kGroupEntrySize));
    // The count follows the entries really there, also when the header claimed more.
    bytes.resize(kGroupHeaderSize + kGroupEntrySize * static_cast<size_t>(stored - 1));
    StoreU16(bytes.data() + 4, static_cast<uint16_t>(stored - 1));
    Data().Clear();
    Data().WriteBuffer(bytes.data(), bytes.size());
    Data().SetPosition(0);
}

bool TIconCursorGroupResourceDetails::RemoveImageEntry(const TIconCursorResourceDetails& image) {
    if (Type() != image.GroupType())
        return false;
    for (int i = 0; i < StoredEntries(); ++i) {
        if (!NameIsNumber(image.Name(), EntryImageId(i)))
            continue;
        RemoveEntryAt(i);
        if (StoredEntries() == 0 && !FClearing && Owner() != nullptr) {
            Owner()->RemoveAt(Owner()->IndexOf(this)); // destroys this group: return at once
            return true;
        }
        return false;
    }
    return false;
}

bool TIconCursorGroupResourceDetails::NamedByAnotherGroup(
    const TIconCursorResourceDetails& image) const {
    for (const TIconCursorGroupResourceDetails* group : GroupsOf(*Owner(), Type()))
        if (group != this && group->HoldsImage(image))
            return true;
    return false;
}

void TIconCursorGroupResourceDetails::PrepareForRemoval() {
    if (Owner() == nullptr)
        return;
    ClearingScope clearing(FClearing);
    TResourceModule& owner = *Owner();
    // Only this group's entries go. An image still listed by another group stays; an
    // entry whose image is missing simply goes.
    while (StoredEntries() > 0) {
        TIconCursorResourceDetails* image = ImageOfEntry(0);
        RemoveEntryAt(0);
        if (image != nullptr && !HoldsImage(*image) && !NamedByAnotherGroup(*image))
            owner.RemoveAt(owner.IndexOf(image));
    }
    WriteHeader(0);
    Data().SetPosition(0);
}

int64_t TIconCursorGroupResourceDetails::HighestImageNumber(
    const std::vector<const TResourceDetails*>& leaving) const {
    const std::string imageType = ImageType();
    int64_t highest = 0;
    for (int i = 0; i < Owner()->Count(); ++i) {
        const TResourceDetails* resource = Owner()->Item(i);
        if (resource->Type() == imageType &&
            std::find(leaving.begin(), leaving.end(), resource) == leaving.end())
            highest = std::max<int64_t>(highest, NumericName(resource->Name()));
    }
    // A number another group names, even for an image that is missing, is taken: a new
    // image under it would become part of that group too.
    for (const TIconCursorGroupResourceDetails* group : GroupsOf(*Owner(), Type()))
        if (group != this)
            for (int i = 0; i < group->StoredEntries(); ++i)
                highest = std::max<int64_t>(highest, group->EntryImageId(i));
    return highest;
}

std::vector<const TResourceDetails*> TIconCursorGroupResourceDetails::ImagesLeavingWithUs() const {
    std::vector<const TResourceDetails*> leaving;
    for (int i = 0; i < StoredEntries(); ++i) {
        const TIconCursorResourceDetails* image = ImageOfEntry(i);
        if (image != nullptr && !NamedByAnotherGroup(*image))
            leaving.push_back(image);
    }
    return leaving;
}

void TIconCursorGroupResourceDetails::FillDefault() {
    if (Owner() == nullptr) {
        WriteHeader(0);
        Data().SetPosition(0);
        return;
    }
    const std::string name = std::to_string(HighestImageNumber({}) + 1);
    const uint16_t id = ImageIdOfName(name); // checked before anything is added
    TIconCursorResourceDetails* image =
        IsIconGroup() ? static_cast<TIconCursorResourceDetails*>(
                            CreateEmpty<TIconResourceDetails>(*Owner(), Language(), name))
                      : CreateEmpty<TCursorResourceDetails>(*Owner(), Language(), name);
    WriteHeader(1);
    if (IsIconGroup()) {
        Data().WriteU8(kDefaultSize);
        Data().WriteU8(kDefaultSize);
        Data().WriteU8(static_cast<uint8_t>(PixelFormatColors(kDefaultFormat)));
        Data().WriteU8(0);
    } else {
        Data().WriteU16(kDefaultSize);
        Data().WriteU16(kDefaultSize);
    }
    Data().WriteU16(1);
    Data().WriteU16(static_cast<uint16_t>(PixelFormatBits(kDefaultFormat)));
    Data().WriteU32(static_cast<uint32_t>(image->Data().Size()));
    Data().WriteU16(id);
    Data().SetPosition(0);
}

void TIconCursorGroupResourceDetails::ReplaceFromFile(const std::string& fileName) {
    if (Owner() == nullptr)
        throw Exception("The group is not part of a resource module");
    std::unique_ptr<TExIconCursor> graphic;
    if (IsIconGroup())
        graphic = std::make_unique<TExIcon>();
    else
        graphic = std::make_unique<TExCursor>();
    try {
        graphic->LoadFromFile(fileName);
    } catch (...) {
        // A file that cannot be taken leaves the group without images.
        PrepareForRemoval();
        throw;
    }
    // Every new image number is checked before anything changes: the new images are
    // numbered on from the highest number that stays.
    const int64_t first = HighestImageNumber(ImagesLeavingWithUs()) + 1;
    const int64_t last = first + graphic->ImageCount() - 1;
    if (graphic->ImageCount() > 0 && last > kHighestImageId)
        throw EImageNumbersExhausted(
            Format("No free image numbers for the %d images of \"%s\": they would need "
                   "numbers %lld to %lld, above %lld",
                   graphic->ImageCount(), fileName.c_str(), static_cast<long long>(first),
                   static_cast<long long>(last), static_cast<long long>(kHighestImageId)));
    PrepareForRemoval();

    TResourceModule& owner = *Owner();
    const std::string imageType = ImageType();
    WriteHeader(static_cast<uint16_t>(graphic->ImageCount()));
    for (int i = 0; i < graphic->ImageCount(); ++i) {
        const TExIconImage& image = graphic->Image(i);
        const std::vector<uint8_t>& bytes = image.ResourceData().Bytes();
        const TPixelFormat format = image.PixelFormat();
        if (IsIconGroup()) {
            Data().WriteU8(static_cast<uint8_t>(image.Width()));
            Data().WriteU8(static_cast<uint8_t>(image.Height()));
            Data().WriteU8(static_cast<uint8_t>(
                PixelFormatColors(format) < 256 ? PixelFormatColors(format) : 0));
            Data().WriteU8(0);
        } else {
            Data().WriteU16(static_cast<uint16_t>(image.Width()));
            Data().WriteU16(static_cast<uint16_t>(image.Height()));
        }
        Data().WriteU16(1);
        Data().WriteU16(static_cast<uint16_t>(PixelFormatBits(format)));
        Data().WriteU32(static_cast<uint32_t>(bytes.size()));

        const std::string name = std::to_string(first + i);
        if (IsIconGroup())
            owner.Append(CreateWithData<TIconResourceDetails>(&owner, Language(), name, imageType,
                                                              bytes.size(), bytes.data()));
        else
            owner.Append(CreateWithData<TCursorResourceDetails>(&owner, Language(), name, imageType,
                                                                bytes.size(), bytes.data()));
        Data().WriteU16(static_cast<uint16_t>(first + i));
    }
    Data().SetPosition(0);
}

// ---- TIconCursorResourceDetails ----

std::string TIconCursorResourceDetails::GroupType() const {
    return TypeText(NumericName(Type()) + 11);
}

const uint8_t* TIconCursorResourceDetails::Header() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    if (bytes.size() < HeaderOffset() + BitmapInfoHeaderSize)
        throw EInvalidGraphic(kInvalidIconOrCursor);
    return bytes.data() + HeaderOffset();
}

int TIconCursorResourceDetails::ImageHeight() {
    return LoadI32(Header() + 8) / 2;
}

int TIconCursorResourceDetails::ImageWidth() {
    return LoadI32(Header() + 4);
}

TPixelFormat TIconCursorResourceDetails::ImagePixelFormat() {
    return PixelFormatOfHeader(Header(), BitmapInfoHeaderSize);
}

void TIconCursorResourceDetails::FillDefault() {
    Data().Clear();
    WriteDefaultIconImage(Data(), !IsIconImage(), kDefaultSize, kDefaultSize, kDefaultFormat);
    Data().SetPosition(0);
}

void TIconCursorResourceDetails::PrepareForRemoval() {
    if (Owner() == nullptr)
        return;
    // Every group that lists the image loses that entry: an entry left behind would name
    // an image that is gone. A group clearing itself has taken its entry out already.
    for (TIconCursorGroupResourceDetails* group : GroupsOf(*Owner(), GroupType())) {
        if (group->Clearing())
            continue;
        while (group->HoldsImage(*this))
            if (group->RemoveImageEntry(*this))
                break; // the group went with its last entry
    }
}

void TIconCursorResourceDetails::ReadPicture(TPicture& picture) {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    if (bytes.empty())
        return;
    const uint8_t* header = Header();
    MemoryStream container;
    container.WriteU16(0);
    container.WriteU16(IsIconImage() ? 1 : 2);
    container.WriteU16(1);
    container.WriteU8(static_cast<uint8_t>(LoadI32(header + 4)));
    container.WriteU8(static_cast<uint8_t>(LoadI32(header + 8) / 2));
    container.WriteU8(static_cast<uint8_t>(ColorTableEntries(header)));
    container.WriteU8(0);
    container.WriteU16(LoadU16(header + 12)); // planes
    container.WriteU16(LoadU16(header + 14)); // bit count
    container.WriteU32(static_cast<uint32_t>(bytes.size()));
    container.WriteU32(22);
    container.WriteBuffer(bytes.data(), bytes.size());
    container.SetPosition(0);

    std::unique_ptr<TExIconCursor> graphic;
    if (IsIconImage())
        graphic = std::make_unique<TExIcon>();
    else
        graphic = std::make_unique<TExCursor>();
    graphic->LoadFromStream(container);
    picture.Clear();
    picture.IconGraphic = std::move(graphic);
}

void TIconCursorResourceDetails::WritePicture(const TPicture& picture) {
    if (!picture.IconGraphic)
        throw EInvalidGraphic(kInvalidIconOrCursor);
    const TExIconCursor& graphic = *picture.IconGraphic;
    const std::vector<uint8_t>& bytes =
        graphic.Image(graphic.CurrentImage()).ResourceData().Bytes();
    const std::vector<uint8_t> copy = bytes; // the graphic may share the image with us
    Data().Clear();
    Data().WriteBuffer(copy.data(), copy.size());
    Data().SetPosition(0);
}

} // namespace pictavo
