#include "peres/IconGroupResources.h"

#include "peres/BitmapResources.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"
#include "util/IconDirectory.h"
#include "util/Messages.h"

#include <algorithm>
#include <limits>
#include <set>
#include <unordered_set>

namespace pictavo {

namespace {

const char* const kInvalidIconOrCursor = N_("无效的图标或光标");

[[noreturn]] void InvalidIconOrCursor() {
    throw EInvalidGraphic(_(kInvalidIconOrCursor));
}

constexpr size_t kGroupHeaderSize = 6;
constexpr size_t kGroupEntrySize = 14;
constexpr int kDefaultSize = 32;
constexpr TPixelFormat kDefaultFormat = TPixelFormat::pf4bit;

// The number a name gives an image, or -1 when it is no number a group entry can hold.
// Never raises: a digit text too long for a number simply names some other resource.
int32_t ImageNumberOfName(const std::string& name) {
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    const size_t first = name.find_first_not_of('0');
    if (first == std::string::npos)
        return 0;
    if (name.size() - first > 5)
        return -1;
    int32_t value = 0;
    for (size_t i = first; i < name.size(); ++i)
        value = value * 10 + (name[i] - '0');
    return value <= 0xFFFF ? value : -1;
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

// The first of these resources in the owner's list. Usually there is one; the same
// number recurs for other languages or with leading zeros, and then one walk of the list
// decides.
TResourceDetails* FirstInList(const TResourceModule& owner,
                              const std::vector<TResourceDetails*>& resources) {
    if (resources.size() <= 1)
        return resources.empty() ? nullptr : resources.front();
    const std::unordered_set<const TResourceDetails*> wanted(resources.begin(), resources.end());
    for (int i = 0; i < owner.Count(); ++i)
        if (wanted.count(owner.Item(i)) != 0)
            return owner.Item(i);
    return nullptr;
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

void TIconCursorGroupResourceDetails::WriteEntryHead(int width, int height, int bitCount,
                                                     uint32_t size) {
    // An icon entry keeps each side in a byte and adds a colour count; a cursor entry
    // keeps the sides in 16 bits.
    if (IsIconGroup()) {
        Data().WriteU8(static_cast<uint8_t>(width));
        Data().WriteU8(static_cast<uint8_t>(height));
        Data().WriteU8(IconColorCountByte(bitCount));
        Data().WriteU8(0);
    } else {
        Data().WriteU16(static_cast<uint16_t>(width));
        Data().WriteU16(static_cast<uint16_t>(height));
    }
    Data().WriteU16(1);
    Data().WriteU16(static_cast<uint16_t>(bitCount));
    Data().WriteU32(size);
}

TIconCursorResourceDetails* TIconCursorGroupResourceDetails::ImageOfEntry(int index) const {
    if (Owner() == nullptr || index < 0 || index >= StoredEntries())
        return nullptr;
    std::vector<TResourceDetails*> images = Owner()->ResourcesNamed(ImageType(), EntryImageId(index));
    // A resource of the image type that is no image (its data did not read) is skipped.
    std::erase_if(images, [](TResourceDetails* resource) {
        return dynamic_cast<TIconCursorResourceDetails*>(resource) == nullptr;
    });
    return static_cast<TIconCursorResourceDetails*>(FirstInList(*Owner(), images));
}

std::vector<uint16_t> TIconCursorGroupResourceDetails::NamedNumbers() const {
    std::vector<uint16_t> ids;
    for (int i = 0; i < StoredEntries(); ++i)
        ids.push_back(EntryImageId(i));
    return ids;
}

void TIconCursorGroupResourceDetails::NoteEntriesChanged() {
    if (Owner() != nullptr)
        Owner()->NoteNamedNumbersChanged(*this);
}

bool TIconCursorGroupResourceDetails::HoldsImage(const TIconCursorResourceDetails& image) const {
    if (Type() != image.GroupType())
        return false;
    const int32_t number = ImageNumberOfName(image.Name());
    for (int i = 0; i < StoredEntries(); ++i)
        if (number == EntryImageId(i))
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
    NoteEntriesChanged();
}

bool TIconCursorGroupResourceDetails::RemoveImageEntry(const TIconCursorResourceDetails& image) {
    if (Type() != image.GroupType())
        return false;
    const int32_t number = ImageNumberOfName(image.Name());
    for (int i = 0; i < StoredEntries(); ++i) {
        if (number != EntryImageId(i))
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
    const int32_t number = ImageNumberOfName(image.Name());
    if (image.GroupType() != Type() || number < 0)
        return false;
    for (const TResourceDetails* group :
         Owner()->ResourcesNaming(Type(), static_cast<uint16_t>(number)))
        if (group != this)
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
    const std::vector<TIconCursorResourceDetails*> images = ImagesOfEntries();
    WriteHeader(0);
    Data().SetPosition(0);
    NoteEntriesChanged();
    for (TIconCursorResourceDetails* image : images)
        if (!NamedByAnotherGroup(*image))
            owner.RemoveAt(owner.IndexOf(image));
}

int64_t TIconCursorGroupResourceDetails::HighestImageNumber(
    const std::vector<const TResourceDetails*>& leaving) const {
    // A number another group names, even for an image that is missing, is taken: a new
    // image under it would become part of that group too.
    return std::max(Owner()->HighestNumericName(ImageType(), leaving),
                    Owner()->HighestNamedNumber(Type(), this));
}

std::vector<TIconCursorResourceDetails*> TIconCursorGroupResourceDetails::ImagesOfEntries() const {
    std::vector<TIconCursorResourceDetails*> images;
    std::set<uint16_t> seen; // a crafted group may name one image in every entry
    for (int i = 0; i < StoredEntries(); ++i) {
        if (!seen.insert(EntryImageId(i)).second)
            continue;
        if (TIconCursorResourceDetails* image = ImageOfEntry(i))
            images.push_back(image);
    }
    return images;
}

std::vector<const TResourceDetails*> TIconCursorGroupResourceDetails::ImagesLeavingWithUs() const {
    std::vector<const TResourceDetails*> leaving;
    for (const TIconCursorResourceDetails* image : ImagesOfEntries())
        if (!NamedByAnotherGroup(*image))
            leaving.push_back(image);
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
    WriteEntryHead(kDefaultSize, kDefaultSize, PixelFormatBits(kDefaultFormat),
                   static_cast<uint32_t>(image->Data().Size()));
    Data().WriteU16(id);
    Data().SetPosition(0);
    NoteEntriesChanged();
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
    // The index learns the entries however the loop ends.
    struct EntriesNote {
        TIconCursorGroupResourceDetails& Group;
        ~EntriesNote() { Group.NoteEntriesChanged(); }
    } note{*this};
    WriteHeader(static_cast<uint16_t>(graphic->ImageCount()));
    for (int i = 0; i < graphic->ImageCount(); ++i) {
        const TExIconImage& image = graphic->Image(i);
        const std::vector<uint8_t>& bytes = image.ResourceData().Bytes();
        WriteEntryHead(image.Width(), image.Height(), image.BitCount(),
                       static_cast<uint32_t>(bytes.size()));

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

ByteView TIconCursorResourceDetails::Header() const {
    const std::vector<uint8_t>& bytes = Data().Bytes();
    return ByteView(bytes.data(), bytes.size(), InvalidIconOrCursor)
        .Sub(HeaderOffset(), BitmapInfoHeaderSize);
}

int TIconCursorResourceDetails::ImageHeight() {
    return Header().I32(8) / 2;
}

int TIconCursorResourceDetails::ImageWidth() {
    return Header().I32(4);
}

TPixelFormat TIconCursorResourceDetails::ImagePixelFormat() {
    const ByteView header = Header();
    return PixelFormatOfHeader(header.Data(), header.Size());
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
    const int32_t number = ImageNumberOfName(Name());
    if (number < 0)
        return;
    for (TResourceDetails* listing :
         Owner()->ResourcesNaming(GroupType(), static_cast<uint16_t>(number))) {
        auto* group = dynamic_cast<TIconCursorGroupResourceDetails*>(listing);
        if (group == nullptr || group->Clearing())
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
    const ByteView header = Header();
    // A one-image container around the data; its entry takes the header's sizes cut to a byte.
    IconDirectoryEntry entry;
    entry.Width = static_cast<uint8_t>(header.I32(4));
    entry.Height = static_cast<uint8_t>(header.I32(8) / 2);
    entry.Colors = static_cast<uint8_t>(ColorTableEntries(header));
    entry.Planes = header.U16(12);
    entry.BitCount = header.U16(14);
    entry.Size = static_cast<uint32_t>(bytes.size());
    std::vector<uint8_t> file =
        EncodeIconDirectory(IsIconImage() ? IconFileType : CursorFileType, {entry});
    file.insert(file.end(), bytes.begin(), bytes.end());
    MemoryStream container(std::move(file));

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
        InvalidIconOrCursor();
    const TExIconCursor& graphic = *picture.IconGraphic;
    const std::vector<uint8_t>& bytes =
        graphic.Image(graphic.CurrentImage()).ResourceData().Bytes();
    const std::vector<uint8_t> copy = bytes; // the graphic may share the image with us
    Data().Clear();
    Data().WriteBuffer(copy.data(), copy.size());
    Data().SetPosition(0);
}

} // namespace pictavo
