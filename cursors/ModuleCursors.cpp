// Cursors inside modules.

#include "cursors/ModuleCursors.h"

#include "peres/PEFormat.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

namespace pictavo {

namespace {

uint32_t ResourceType(TModuleCursorKind kind) {
    switch (kind) {
    case TModuleCursorKind::Cursor:
        return pe::RtGroupCursor;
    case TModuleCursorKind::AnimatedCursor:
        return pe::RtAniCursor;
    case TModuleCursorKind::AnimatedIcon:
        break;
    }
    return pe::RtAniIcon;
}

} // namespace

TModuleCursors::TModuleCursors(const std::string& fileName)
    : FModule(ModuleReader::Open(fileName)), FBudget(FileDecodeBudget(0)) {
    if (!FModule)
        return;
    FBudget = FileDecodeBudget(FModule->FileSize());
    for (TModuleCursorKind kind : {TModuleCursorKind::Cursor, TModuleCursorKind::AnimatedCursor,
                                   TModuleCursorKind::AnimatedIcon})
        FModule->EnumResourceNames(ResourceType(kind), [&](const ResourceName& name) {
            FEntries.push_back({kind, name.IsNumeric ? Format("#%u", name.Id) : name.Text});
            return true;
        });
}

const TModuleCursors::TEntry& TModuleCursors::Entry(int n) const {
    if (n < 0 || n >= Count())
        throw Exception(Format("No cursor %d (the module holds %d)", n, Count()));
    return FEntries[static_cast<size_t>(n)];
}

std::shared_ptr<TMultiIcon> TModuleCursors::LoadGroup(int n) {
    auto icon = std::make_shared<TMultiIcon>();
    icon->LoadCursorGroupResource(*FModule, Entry(n).Name, &FBudget);
    return icon;
}

ResourceBytes TModuleCursors::AnimatedBytes(int n) const {
    const TEntry& entry = Entry(n);
    const std::optional<ResourceBytes> bytes =
        FModule->FindResource(entry.Name, ResourceType(entry.Kind));
    if (!bytes || !bytes->Data)
        throw Exception("Invalid cursor resource " + entry.Name);
    return *bytes;
}

TAnimatedCursor TModuleCursors::Load(int n) {
    if (Kind(n) != TModuleCursorKind::Cursor) {
        const ResourceBytes bytes = AnimatedBytes(n);
        return ReadAnimatedCursor(bytes.Data, bytes.Size);
    }
    TAnimatedCursor cursor;
    cursor.Frames.push_back(LoadGroup(n));
    cursor.Steps.push_back({0, 0});
    cursor.Header.Frames = 1;
    cursor.Header.Steps = 1;
    return cursor;
}

std::vector<uint8_t> TModuleCursors::FileBytes(int n) {
    if (Kind(n) != TModuleCursorKind::Cursor) {
        const ResourceBytes bytes = AnimatedBytes(n);
        // Only what reads as an animated cursor is written as one.
        ReadAnimatedCursor(bytes.Data, bytes.Size);
        return std::vector<uint8_t>(bytes.Data, bytes.Data + bytes.Size);
    }
    MemoryStream stream;
    LoadGroup(n)->SaveToStream(&stream);
    return stream.TakeBytes();
}

const char* TModuleCursors::FileExtension(int n) const {
    return Kind(n) == TModuleCursorKind::Cursor ? ".cur" : ".ani";
}

} // namespace pictavo
