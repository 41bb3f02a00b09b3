#include "library/FileStorage.h"

#include "library/ZlibStreams.h"
#include "platform/CaseFolding.h"
#include "util/Exceptions.h"
#include "util/Messages.h"

#include <cstdio>

namespace pictavo {

int ZlibLevel(TCompressionLevel level) {
    switch (level) {
    case TCompressionLevel::clFastest:
        return 1;
    case TCompressionLevel::clDefault:
        return -1; // Z_DEFAULT_COMPRESSION, which zlib treats as 6
    case TCompressionLevel::clMax:
        return 9;
    case TCompressionLevel::clNone:
        break;
    }
    return 0;
}

std::string RatioText(int64_t part, int64_t whole) {
    if (whole == 0)
        return "100%";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%%",
                  static_cast<double>(part) / static_cast<double>(whole) * 100.0);
    return text;
}

// ---- TStoredItem ----

TStoredItem::TStoredItem(TStoredItems* collection) : FCollection(collection) {}

bool TStoredItem::Restoring() const {
    return FCollection && FCollection->Owner() && FCollection->Owner()->Restoring();
}

void TStoredItem::SetName(const std::string& name) {
    if (platform::SameTextFolded16(name, FName))
        return;
    if (FCollection && FCollection->NameUsedByOther(name, this))
        throw Exception(_("保存项目的名称重复"));
    FName = name;
}

void TStoredItem::SetFileName(const std::string& fileName) {
    if (Restoring())
        FFileName = fileName;
}

void TStoredItem::SetFileSize(int32_t fileSize) {
    if (Restoring())
        FFileSize = fileSize;
}

void TStoredItem::SetCompression(TCompressionLevel level) {
    if (Restoring()) {
        FCompression = level;
        return;
    }
    if (level == FCompression)
        return;
    MemoryStream file;
    SaveToStream(&file);
    FCompression = level;
    LoadFromStream(&file);
}

void TStoredItem::LoadFromStream(Stream* stream) {
    FPayload.Clear();
    if (stream == nullptr || stream->Size() == 0)
        return;
    stream->SetPosition(0);
    DoBeforeLoad(*stream);
    if (FCompression != TCompressionLevel::clNone) {
        const int64_t count = stream->Size();
        if (count > INT32_MAX)
            throw ECompressionError(_("错误"));
        TZlibCompressor compressor(FPayload, ZlibLevel(FCompression));
        uint8_t prefix[4];
        for (int i = 0; i < 4; ++i)
            prefix[i] = static_cast<uint8_t>(static_cast<uint32_t>(count) >> (8 * i));
        compressor.Write(prefix, sizeof prefix);
        compressor.CopyFrom(*stream);
        compressor.Finish();
        FFileSize = static_cast<int32_t>(count);
    } else {
        FPayload.CopyFrom(*stream, 0);
    }
    DoAfterLoad();
}

void TStoredItem::SaveToStream(Stream* stream) {
    if (stream == nullptr)
        return;
    FPayload.SetPosition(0);
    DoBeforeSave(*stream);
    if (FCompression != TCompressionLevel::clNone && FPayload.Size() > 0) {
        TZlibDecompressor decompressor(FPayload.Memory(), static_cast<size_t>(FPayload.Size()));
        uint8_t prefix[4];
        decompressor.ReadExactly(prefix, sizeof prefix);
        const uint32_t count = static_cast<uint32_t>(prefix[0]) | prefix[1] << 8 | prefix[2] << 16 |
                               static_cast<uint32_t>(prefix[3]) << 24;
        if (count != 0)
            decompressor.CopyTo(*stream, count);
    } else if (FPayload.Size() > 0) {
        stream->WriteBuffer(FPayload.Memory(), static_cast<size_t>(FPayload.Size()));
    }
    DoAfterSave();
}

void TStoredItem::Assign(const TStoredItem& source) {
    if (&source == this)
        return;
    Tag = source.Tag;
    FPayload.Clear();
    const std::vector<uint8_t>& bytes = source.FPayload.Bytes();
    if (!bytes.empty())
        FPayload.WriteBuffer(bytes.data(), bytes.size());
    FPayload.SetPosition(0);
}

void TStoredItem::ReadStoredData(Stream& stream) {
    FPayload.Clear();
    const uint32_t length = stream.ReadU32();
    if (length > stream.Remaining())
        throw EReadError("Stream read error");
    if (length > 0)
        FPayload.CopyFrom(stream, length);
    FPayload.SetPosition(0);
}

void TStoredItem::WriteStoredData(Stream& stream) {
    FPayload.SetPosition(0);
    stream.WriteU32(static_cast<uint32_t>(FPayload.Size()));
    if (FPayload.Size() > 0)
        stream.WriteBuffer(FPayload.Memory(), static_cast<size_t>(FPayload.Size()));
}

void TStoredItem::DoBeforeLoad(Stream& stream) {
    if (OnBeforeLoad)
        OnBeforeLoad(*this, stream);
}
void TStoredItem::DoAfterLoad() {
    if (OnAfterLoad)
        OnAfterLoad(*this);
}
void TStoredItem::DoBeforeSave(Stream& stream) {
    if (OnBeforeSave)
        OnBeforeSave(*this, stream);
}
void TStoredItem::DoAfterSave() {
    if (OnAfterSave)
        OnAfterSave(*this);
}
void TStoredItem::DoDestroy() {
    if (OnDestroy)
        OnDestroy(*this);
}

// ---- TStoredItems ----

TStoredItems::~TStoredItems() {
    Clear();
}

TStoredItem& TStoredItems::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", index));
    return *FItems[static_cast<size_t>(index)];
}

bool TStoredItems::NameUsedByOther(const std::string& name, const TStoredItem* except) const {
    for (const auto& item : FItems)
        if (item.get() != except && platform::SameTextFolded16(item->Name(), name))
            return true;
    return false;
}

std::string TStoredItems::FreeName() const {
    for (int n = 1;; ++n) {
        const std::string name = Format("StoredItem%d", n);
        if (!NameUsedByOther(name, nullptr))
            return name;
    }
}

TStoredItem& TStoredItems::Add() {
    auto item = std::make_unique<TStoredItem>(this);
    item->FName = FreeName();
    FItems.push_back(std::move(item));
    return *FItems.back();
}

void TStoredItems::Delete(int index) {
    Items(index); // range check
    std::unique_ptr<TStoredItem> item = std::move(FItems[static_cast<size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    item->FCollection = nullptr;
    item->DoDestroy();
}

void TStoredItems::Clear() {
    while (!FItems.empty())
        Delete(Count() - 1);
}

void TStoredItems::Assign(const TStoredItems& source) {
    if (&source == this)
        return;
    Clear();
    for (const auto& item : source.FItems)
        Add().Assign(*item);
}

// ---- TFileStorage ----

int32_t TFileStorage::OriginalSize() const {
    int64_t total = 0;
    for (int i = 0; i < FStoredItems.Count(); ++i)
        total += FStoredItems.Items(i).FileSize();
    return static_cast<int32_t>(total);
}

int32_t TFileStorage::Size() const {
    int64_t total = 0;
    for (int i = 0; i < FStoredItems.Count(); ++i)
        total += FStoredItems.Items(i).Size();
    return static_cast<int32_t>(total);
}

std::string TFileStorage::Version() const {
    return Format("%d.%d", VersionNumber >> 8, VersionNumber & 0xFF);
}

TStoredItem* TFileStorage::FindStoredItem(const std::string& name) const {
    for (int i = 0; i < FStoredItems.Count(); ++i)
        if (platform::SameTextFolded16(FStoredItems.Items(i).Name(), name))
            return &FStoredItems.Items(i);
    return nullptr;
}

TStoredItem* TFileStorage::GetStoredItem(int index) const {
    if (index < 0 || index >= FStoredItems.Count())
        return nullptr;
    return &FStoredItems.Items(index);
}

} // namespace pictavo
