#pragma once
// Whole files carried inside the program as named stored items, compressed with zlib,
// and given back unchanged. The program keeps one item, "DLL": the template DLL that
// new icon libraries are made from (ProgramStorage.h).
//
// Payload format: with a compression other than clNone, one zlib stream whose content
// is the file's 32-bit little-endian byte count followed by exactly that many bytes;
// with clNone, the file's bytes as they are.

#include "util/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

// The zlib level of a compression setting: 1, Z_DEFAULT_COMPRESSION (-1) or 9;
// clNone is never given to zlib and answers 0.
int ZlibLevel(TCompressionLevel level);

// "N.NN%" of part / whole * 100, "100%" when whole is 0.
std::string RatioText(int64_t part, int64_t whole);

class TFileStorage;
class TStoredItems;

class TStoredItem {
public:
    using TItemEvent = std::function<void(TStoredItem& item)>;
    using TItemStreamEvent = std::function<void(TStoredItem& item, Stream& stream)>;

    // Items are made by TStoredItems::Add, which gives them a free generated name.
    explicit TStoredItem(TStoredItems* collection);
    virtual ~TStoredItem() = default;
    TStoredItem(const TStoredItem&) = delete;
    TStoredItem& operator=(const TStoredItem&) = delete;

    int32_t Tag = 0;

    const std::string& Name() const { return FName; }
    // Same name (without regard to case): nothing; another item's name: Exception
    // "保存项目的名称重复" with the name unchanged.
    void SetName(const std::string& name);
    const std::string& FileName() const { return FFileName; }
    // Takes effect only while the storage is being restored.
    void SetFileName(const std::string& fileName);
    int32_t FileSize() const { return FFileSize; }
    // Takes effect only while the storage is being restored.
    void SetFileSize(int32_t fileSize);
    int32_t Size() const { return static_cast<int32_t>(FPayload.Bytes().size()); }
    std::string Ratio() const { return RatioText(Size(), FFileSize); }
    TCompressionLevel Compression() const { return FCompression; }
    // Outside restoring, a different value recompresses the payload.
    void SetCompression(TCompressionLevel level);
    const MemoryStream& Payload() const { return FPayload; }

    // Extracts the stored file's bytes to the stream at its position; nullptr does nothing.
    void SaveToStream(Stream* stream);
    // Replaces the payload with the stream's content compressed at Compression;
    // nullptr or an empty stream leaves the payload empty.
    void LoadFromStream(Stream* stream);

    // Copies Tag and the payload bytes as stored.
    void Assign(const TStoredItem& source);

    // The "StoredItem" data property of the form resource: a 32-bit payload length,
    // then the payload. Written only when HasStoredData.
    bool HasStoredData() const { return !FPayload.Bytes().empty(); }
    void ReadStoredData(Stream& stream);
    void WriteStoredData(Stream& stream);

    TItemStreamEvent OnBeforeLoad;
    TItemEvent OnAfterLoad;
    TItemStreamEvent OnBeforeSave;
    TItemEvent OnAfterSave;
    TItemEvent OnDestroy; // after the item has been taken out of its collection

    TStoredItems* Collection() const { return FCollection; }
    bool Restoring() const;

protected:
    virtual void DoBeforeLoad(Stream& stream);
    virtual void DoAfterLoad();
    virtual void DoBeforeSave(Stream& stream);
    virtual void DoAfterSave();
    virtual void DoDestroy();

private:
    friend class TStoredItems;

    TStoredItems* FCollection;
    std::string FName;
    std::string FFileName;
    int32_t FFileSize = 0;
    TCompressionLevel FCompression = TCompressionLevel::clDefault;
    MemoryStream FPayload;
};

class TStoredItems {
public:
    explicit TStoredItems(TFileStorage* owner) : FOwner(owner) {}
    TStoredItems(const TStoredItems&) = delete;
    TStoredItems& operator=(const TStoredItems&) = delete;
    ~TStoredItems();

    TFileStorage* Owner() const { return FOwner; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError outside 0 .. Count - 1.
    TStoredItem& Items(int index) const;
    // A new last item named "StoredItem%d" with the smallest free number.
    TStoredItem& Add();
    // Takes the item out, fires its OnDestroy, destroys it.
    void Delete(int index);
    void Clear();
    // Copies the items one by one (Assign of each, into fresh items).
    void Assign(const TStoredItems& source);

    // The attribute column of a collection editor.
    static const char* AttrName() { return "Name"; }

    // The first other item whose name equals `name` without regard to case.
    bool NameUsedByOther(const std::string& name, const TStoredItem* except) const;

private:
    std::string FreeName() const;

    TFileStorage* FOwner;
    std::vector<std::unique_ptr<TStoredItem>> FItems;
};

class TFileStorage {
public:
    TFileStorage() : FStoredItems(this) {}
    TFileStorage(const TFileStorage&) = delete;
    TFileStorage& operator=(const TFileStorage&) = delete;

    static constexpr uint16_t VersionNumber = 0x0102;

    int32_t OriginalSize() const;
    int32_t Size() const;
    std::string Ratio() const { return RatioText(Size(), OriginalSize()); }
    std::string Version() const;
    TStoredItems& StoredItems() { return FStoredItems; }
    const TStoredItems& StoredItems() const { return FStoredItems; }
    void SetStoredItems(const TStoredItems& items) { FStoredItems.Assign(items); }

    // The first item whose name equals `name` without regard to case; nullptr if none.
    TStoredItem* FindStoredItem(const std::string& name) const;
    // The item at `index`; nullptr outside 0 .. count - 1.
    TStoredItem* GetStoredItem(int index) const;

    // While restoring, FileName and FileSize are assignable and a new Compression is
    // only recorded (the payload read next is already in that form).
    void BeginRestore() { FRestoring = true; }
    void EndRestore() { FRestoring = false; }
    bool Restoring() const { return FRestoring; }

private:
    TStoredItems FStoredItems;
    bool FRestoring = false;
};

} // namespace pictavo
