#pragma once
// Icon and cursor group resources (types 14 and 12) and their image resources (types 3
// and 1), kept consistent inside a resource module:
//  - a new group (CreateEmpty) creates its first, default image;
//  - ReplaceFromFile swaps all images of a group for those of an .ico / .cur file, under
//    fresh numeric names;
//  - removing a group (the module's RemoveAt) removes its images first;
//  - removing an image takes it out of its group, and the group goes with its last image.
//
// What the icon-library builder does with these, in a TPEResourceModule `module`:
//
//   // add one icon as a new group with the next free number (language 0, neutral);
//   // the group appends itself to the module with one default image
//   auto* group = CreateEmpty<TIconGroupResourceDetails>(module, 0, module.NextFreeName("14"));
//   // swap the default image for the file's images; on an error the group stays, empty
//   group->ReplaceFromFile("/tmp/.../temp.ico");
//
//   // remove an icon with all its images
//   module.RemoveAt(module.IndexOf(group));
//
// The six icon, cursor and bitmap classes are registered with the details-class
// registry when this file's object is linked in (it is whenever these classes are used).

#include "peres/GraphicsResource.h"
#include "peres/IconGraphics.h"
#include "peres/ResourceModule.h"

#include "util/Exceptions.h"

#include <string>
#include <vector>

namespace pictavo {

class TIconCursorResourceDetails;

// A group's images would need numbers above 65535, the most a group entry can name.
// Raised before the group or the module is changed.
class EImageNumbersExhausted : public Exception {
    using Exception::Exception;
};

// Group data: reserved (16 bits, 0), kind (1 icon, 2 cursor), entry count (16 bits),
// then one 14-byte entry per image ending with the image id (the image's numeric name).
class TIconCursorGroupResourceDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;

    // Creates one default image (32 x 32, 16 colours) in the owner and lists it. A group
    // without an owner gets a header with no entries.
    void FillDefault() override;
    // Takes every entry out of the group and removes its images from the owner, except
    // images another group still lists; the group stays, with 0 entries. An entry whose
    // image is missing just goes.
    void PrepareForRemoval() override;

    // The image ids of the entries, for the owner's index.
    std::vector<uint16_t> NamedNumbers() const override;

    // The entry count of the header (0 for data shorter than the header).
    int EntryCount() const;
    // The image resource entry `index` refers to, or null.
    TIconCursorResourceDetails* ImageOfEntry(int index) const;
    bool HoldsImage(const TIconCursorResourceDetails& image) const;
    // Takes the first entry of the image out; the group removes itself from its owner
    // when that was its last entry, unless it is clearing itself. True when the group
    // removed itself (it is destroyed then).
    bool RemoveImageEntry(const TIconCursorResourceDetails& image);
    // Replaces all images with those of an .ico file (icon group) or .cur file (cursor
    // group). The new images are numbered on from the highest image number that stays
    // in the owner or is named by another group. Errors of the file propagate; the group
    // is then left with no entries. Image numbers above 65535 raise
    // EImageNumbersExhausted with the group and the owner unchanged. Needs an owner.
    void ReplaceFromFile(const std::string& fileName);

    bool Clearing() const { return FClearing; }
    // "3" for an icon group, "1" for a cursor group (the group's type minus 11).
    std::string ImageType() const;

protected:
    virtual bool IsIconGroup() const = 0;

private:
    // Entries actually present in the data (the header count, limited by the size).
    int StoredEntries() const;
    uint16_t EntryImageId(int index) const;
    void WriteHeader(uint16_t count);
    // An entry up to its image id: sides, colour count (icons), planes, bit count, size.
    void WriteEntryHead(int width, int height, int bitCount, uint32_t size);
    void RemoveEntryAt(int index);
    // Tells the owner's index which images the group names now.
    void NoteEntriesChanged();
    bool NamedByAnotherGroup(const TIconCursorResourceDetails& image) const;
    // The images the entries name, each once; missing ones left out.
    std::vector<TIconCursorResourceDetails*> ImagesOfEntries() const;
    // The images of this group that no other group lists: they go when it is cleared.
    std::vector<const TResourceDetails*> ImagesLeavingWithUs() const;
    // The highest image number of the owner, not counting `leaving`, and of the ids
    // that other groups name.
    int64_t HighestImageNumber(const std::vector<const TResourceDetails*>& leaving) const;

    bool FClearing = false;
};

class TIconGroupResourceDetails : public TIconCursorGroupResourceDetails {
public:
    using TIconCursorGroupResourceDetails::TIconCursorGroupResourceDetails;
    static std::string TypeOfClass() { return "14"; }

protected:
    bool IsIconGroup() const override { return true; }
};

class TCursorGroupResourceDetails : public TIconCursorGroupResourceDetails {
public:
    using TIconCursorGroupResourceDetails::TIconCursorGroupResourceDetails;
    static std::string TypeOfClass() { return "12"; }

protected:
    bool IsIconGroup() const override { return false; }
};

// Image data: BITMAPINFOHEADER (height counting colour and mask bitmaps), colour table
// or masks, XOR bitmap, AND mask; a cursor image is preceded by its hot spot x, y.
class TIconCursorResourceDetails : public TGraphicsResourceDetails {
public:
    using TGraphicsResourceDetails::TGraphicsResourceDetails;

    // The default image: 32 x 32, 16 colours of the system palette, all transparent.
    void FillDefault() override;
    // Takes the image out of the first group of the owner that lists it.
    void PrepareForRemoval() override;

    // Raise EInvalidGraphic "无效的图标或光标" when the data holds no header.
    int ImageHeight() override;
    TPixelFormat ImagePixelFormat() override;
    int ImageWidth() override;
    // Makes a one-image icon (or cursor) graphic of the data; nothing for empty data.
    void ReadPicture(TPicture& picture) override;
    // The data becomes the resource-format data of the graphic's current image.
    void WritePicture(const TPicture& picture) override;

    // The group type that lists images of this type: "14" for "3", "12" for "1".
    std::string GroupType() const;

protected:
    virtual bool IsIconImage() const = 0;

private:
    size_t HeaderOffset() const { return IsIconImage() ? 0 : 4; }
    // The BITMAPINFOHEADER's 40 bytes inside the data; raises "无效的图标或光标" when
    // the data is shorter.
    ByteView Header() const;
};

class TIconResourceDetails : public TIconCursorResourceDetails {
public:
    using TIconCursorResourceDetails::TIconCursorResourceDetails;
    static std::string TypeOfClass() { return "3"; }

protected:
    bool IsIconImage() const override { return true; }
};

class TCursorResourceDetails : public TIconCursorResourceDetails {
public:
    using TIconCursorResourceDetails::TIconCursorResourceDetails;
    static std::string TypeOfClass() { return "1"; }

protected:
    bool IsIconImage() const override { return false; }
};

// Writes a default icon (or cursor, with hot spot 16, 16) image in resource form.
void WriteDefaultIconImage(MemoryStream& out, bool cursor, int width, int height,
                           TPixelFormat format);

} // namespace pictavo
