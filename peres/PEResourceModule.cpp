#include "peres/PEResourceModule.h"

#include "peres/PEFormat.h"
#include "peres/ResourceDirectory.h"
#include "platform/CodePage.h"
#include "util/Bytes.h"

#include <algorithm>

namespace pictavo {

namespace {

constexpr uint32_t TopBit = 0x80000000u;

uint64_t Align4(uint64_t value) {
    return (value + 3) / 4 * 4;
}
uint64_t Align16(uint64_t value) {
    return (value + 15) / 16 * 16;
}

std::string IdentifierText(const ResourceName& name) {
    return name.IsNumeric ? std::to_string(name.Id) : name.Text;
}

// A type or name is written as a number when it is the decimal text of its own value
// (7 is numeric, 007 a name). An empty text has no value and cannot be written.
bool KeyIsNumeric(const std::string& key, uint32_t& value) {
    if (key.empty())
        throw EConvertError("'' is not a valid integer value");
    const int32_t number = NumericName(key);
    if (number < 0 || std::to_string(number) != key)
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

// Sizes of the blocks of the section, from one pass over the tree.
struct SectionSizes {
    uint64_t Tables = 0;
    uint64_t Leaves = 0;
    uint64_t Names = 0;
    uint64_t Data = 0;
};

void Measure(const TResourceNode& node, SectionSizes& sizes) {
    sizes.Tables += ResourceDirectory::TableHeaderSize +
                    ResourceDirectory::EntrySize * uint64_t{node.Entries.size()};
    for (const TResourceNode::Entry& entry : node.Entries) {
        if (!entry.IsNumeric)
            sizes.Names += 2 + 2 * uint64_t{entry.Text.size()};
        if (entry.IsLeaf) {
            sizes.Leaves += 1;
            sizes.Data += Align4(static_cast<uint64_t>(entry.Data->Bytes().size()));
        } else {
            Measure(*entry.Child, sizes);
        }
    }
}

// Writes the tree into the section bytes with running positions for the next table,
// data entry, name and data block.
class SectionWriter {
public:
    SectionWriter(std::vector<uint8_t>& out, uint32_t sectionAddress, uint32_t timeDateStamp,
                  uint16_t majorVersion, uint16_t minorVersion, const SectionSizes& sizes)
        : out_(out), sectionAddress_(sectionAddress), timeDateStamp_(timeDateStamp),
          majorVersion_(majorVersion), minorVersion_(minorVersion),
          entryPos_(static_cast<uint32_t>(sizes.Tables)),
          namePos_(static_cast<uint32_t>(sizes.Tables +
                                         ResourceDirectory::DataEntrySize * sizes.Leaves)),
          dataStart_(static_cast<uint32_t>(Align16(namePos_ + sizes.Names))) {}

    uint32_t DataStart() const { return dataStart_; }

    void WriteTable(const TResourceNode& node) {
        const uint32_t table = tablePos_;
        const auto named = static_cast<uint16_t>(
            std::count_if(node.Entries.begin(), node.Entries.end(),
                          [](const TResourceNode::Entry& e) { return !e.IsNumeric; }));
        tablePos_ += ResourceDirectory::TableHeaderSize +
                     ResourceDirectory::EntrySize * static_cast<uint32_t>(node.Entries.size());
        uint8_t* header = &out_[table];
        StoreU32(header, 0);
        StoreU32(header + 4, timeDateStamp_);
        StoreU16(header + 8, majorVersion_);
        StoreU16(header + 10, minorVersion_);
        StoreU16(header + 12, named);
        StoreU16(header + 14, static_cast<uint16_t>(node.Entries.size() - named));
        uint32_t slot = table + ResourceDirectory::TableHeaderSize;
        for (bool namedPass : {true, false}) {
            for (const TResourceNode::Entry& entry : node.Entries) {
                if (entry.IsNumeric == namedPass)
                    continue;
                WriteEntry(slot, entry);
                slot += ResourceDirectory::EntrySize;
            }
        }
    }

private:
    void WriteEntry(uint32_t slot, const TResourceNode::Entry& entry) {
        StoreU32(&out_[slot], entry.IsNumeric ? entry.Id : (TopBit | WriteName(entry.Text)));
        if (entry.IsLeaf) {
            StoreU32(&out_[slot + 4], WriteDataEntry(entry));
        } else {
            StoreU32(&out_[slot + 4], TopBit | tablePos_);
            WriteTable(*entry.Child);
        }
    }

    uint32_t WriteName(const std::u16string& text) {
        const uint32_t position = namePos_;
        StoreU16(&out_[position], static_cast<uint16_t>(text.size()));
        for (size_t i = 0; i < text.size(); ++i)
            StoreU16(&out_[position + 2 + 2 * i], static_cast<uint16_t>(text[i]));
        namePos_ += 2 + 2 * static_cast<uint32_t>(text.size());
        return position;
    }

    uint32_t WriteDataEntry(const TResourceNode::Entry& leaf) {
        const uint32_t position = entryPos_;
        const auto size = static_cast<uint32_t>(leaf.Data->Bytes().size());
        const uint32_t dataOffset = dataStart_ + dataPos_;
        StoreU32(&out_[position], sectionAddress_ + dataOffset);
        StoreU32(&out_[position + 4], size);
        StoreU32(&out_[position + 8], leaf.CodePage);
        StoreU32(&out_[position + 12], 0);
        std::copy(leaf.Data->Memory(), leaf.Data->Memory() + size, out_.begin() + dataOffset);
        dataPos_ += static_cast<uint32_t>(Align4(size));
        entryPos_ += ResourceDirectory::DataEntrySize;
        return position;
    }

    std::vector<uint8_t>& out_;
    uint32_t sectionAddress_;
    uint32_t timeDateStamp_;
    uint16_t majorVersion_;
    uint16_t minorVersion_;
    uint32_t tablePos_ = 0;
    uint32_t entryPos_;
    uint32_t namePos_;
    uint32_t dataStart_;
    uint32_t dataPos_ = 0;
};

} // namespace

// ---- TResourceNode ----

void TResourceNode::AddPath(const std::string& type, const std::string& name, int32_t language,
                            const MemoryStream& data, uint32_t codePage) {
    FindOrAddChild(type).FindOrAddChild(name).SetLeaf(language, data, codePage);
}

TResourceNode& TResourceNode::FindOrAddChild(const std::string& key) {
    const auto known = FIndex.find(key);
    if (known != FIndex.end())
        return *Entries[known->second].Child;
    Entry entry;
    entry.Key = key;
    entry.IsNumeric = KeyIsNumeric(key, entry.Id);
    if (!entry.IsNumeric) {
        entry.Text = platform::Utf8ToUtf16(key);
        if (entry.Text.size() > 0xFFFF)
            throw EPEException(Format("Resource name too long: %.40s...", key.c_str()));
    }
    entry.Child = std::make_unique<TResourceNode>();
    Entries.push_back(std::move(entry));
    FIndex.emplace(key, Entries.size() - 1);
    return *Entries.back().Child;
}

void TResourceNode::SetLeaf(int32_t language, const MemoryStream& data, uint32_t codePage) {
    const std::string key = std::to_string(language);
    for (Entry& entry : Entries) {
        if (entry.Key == key) {
            entry.Data = &data; // the later resource wins; the first code page stays
            return;
        }
    }
    Entry entry;
    entry.Key = key;
    entry.IsNumeric = true;
    entry.IsLeaf = true;
    entry.Id = static_cast<uint32_t>(language);
    entry.Data = &data;
    entry.CodePage = codePage;
    Entries.push_back(std::move(entry));
}

// ---- TPEResourceModule: list ----

TResourceDetails* TPEResourceModule::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", index));
    return FResources[static_cast<size_t>(index)].get();
}

int TPEResourceModule::IndexOf(const TResourceDetails* resource) const {
    // From the end: the resources asked for are mostly the ones just added.
    for (size_t i = FResources.size(); i-- > 0;)
        if (FResources[i].get() == resource)
            return static_cast<int>(i);
    return -1;
}

int TPEResourceModule::Append(std::unique_ptr<TResourceDetails> resource) {
    NoteNewResource(*resource);
    FResources.push_back(std::move(resource));
    return Count() - 1;
}

void TPEResourceModule::InsertAt(int index, std::unique_ptr<TResourceDetails> resource) {
    if (index < 0 || index > Count())
        throw EListError(Format("List index out of bounds (%d)", index));
    NoteNewResource(*resource);
    FResources.insert(FResources.begin() + index, std::move(resource));
}

void TPEResourceModule::RemoveAt(int index) {
    const TResourceDetails* resource = Item(index);
    TResourceModule::RemoveAt(index);
    const int current = IndexOf(resource);
    if (current >= 0) {
        NoteRemovedResource(*resource);
        FResources.erase(FResources.begin() + current);
    }
}

void TPEResourceModule::Sort() {
    // Every numeric-looking text is converted once before the sort, so that a
    // conversion error leaves the list untouched.
    for (const std::unique_ptr<TResourceDetails>& resource : FResources) {
        NumericName(resource->Type());
        NumericName(resource->Name());
    }
    std::stable_sort(
        FResources.begin(), FResources.end(),
        [](const std::unique_ptr<TResourceDetails>& a, const std::unique_ptr<TResourceDetails>& b) {
            return CompareResources(*a, *b) < 0;
        });
}

void TPEResourceModule::MoveToSortedPlace(const TResourceDetails* resource) {
    const int from = IndexOf(resource);
    if (from < 0)
        return;
    std::unique_ptr<TResourceDetails> moving = std::move(FResources[static_cast<size_t>(from)]);
    FResources.erase(FResources.begin() + from);
    const auto place =
        std::find_if(FResources.begin(), FResources.end(),
                     [&](const std::unique_ptr<TResourceDetails>& other) {
                         return CompareResources(*other, *moving) > 0;
                     });
    FResources.insert(place, std::move(moving));
}

// ---- TPEResourceModule: decoding ----

void TPEResourceModule::ParseSource(const TFilePart& file, bool keepUnread) {
    FResources.clear();
    ForgetIndex();
    TPEModule::ParseSource(file, keepUnread);
    DecodeResources();
}

void TPEResourceModule::DecodeResources() {
    uint32_t rootOffset = 0;
    TImageSection* section = ResourceSection(rootOffset);
    if (section == nullptr)
        return;
    const MemoryStream& raw = section->RawData();
    const auto rawSize = raw.Bytes().size();
    if (rootOffset >= rawSize)
        throw EPEException("Invalid resource directory: the root lies outside the resource "
                           "section's content");
    static const uint8_t noBytes = 0;
    const uint8_t* bytes = rawSize != 0 ? raw.Memory() : &noBytes;
    const ResourceDirectory directory(bytes + rootOffset, rawSize - rootOffset);
    directory.ForEachLeaf([&](const ResourceLeaf& leaf) {
        const std::string type = IdentifierText(leaf.Type);
        const std::string name = IdentifierText(leaf.Name);
        const uint64_t offset = uint64_t{leaf.Data.DataRva} - section->VirtualAddress();
        if (leaf.Data.DataRva < section->VirtualAddress() ||
            !RangeFits(offset, leaf.Data.Size, rawSize))
            throw EPEException(Format("Invalid resource data: resource %s of type %s lies "
                                      "outside the resource section",
                                      name.c_str(), type.c_str()));
        std::unique_ptr<TResourceDetails> resource = MakeResourceDetails(
            this, static_cast<int32_t>(leaf.Language), name, type, leaf.Data.Size, bytes + offset);
        resource->SetCodePage(leaf.Data.CodePage);
        resource->SetCharacteristics(leaf.Characteristics);
        resource->SetVersion(leaf.Version);
        FResources.push_back(std::move(resource));
    });
}

// ---- TPEResourceModule: encoding ----

TImageSection& TPEResourceModule::WritableResourceSection() {
    uint32_t rootOffset = 0;
    TImageSection* section = ResourceSection(rootOffset);
    // An image without resources (as cross-compilers make them) gets a section for
    // the ones it is given.
    if (section == nullptr && !FResources.empty())
        return AppendResourceSection();
    if (section == nullptr)
        throw EPEException("Cannot write the image: it has no resource section");
    if (rootOffset != 0)
        throw EPEException(Format("Cannot write the image: its resource directory starts at "
                                  "offset 0x%X of section %s, not at its beginning",
                                  rootOffset, section->Name().c_str()));
    return *section;
}

void TPEResourceModule::CheckWritable() {
    TPEModule::CheckWritable();
    uint32_t rootOffset = 0;
    if (ResourceSection(rootOffset) != nullptr || FResources.empty())
        WritableResourceSection();
}

std::vector<uint8_t> TPEResourceModule::EncodeResources(const TImageSection& section,
                                                        uint32_t virtualAddress) const {
    TResourceNode root;
    for (const std::unique_ptr<TResourceDetails>& resource : FResources)
        root.AddPath(resource->Type(), resource->Name(), resource->Language(), resource->Data(),
                     resource->CodePage());

    const MemoryStream& raw = section.RawData();
    uint32_t timeDateStamp = 0;
    uint16_t majorVersion = 0, minorVersion = 0;
    if (raw.Bytes().size() >= ResourceDirectory::TableHeaderSize) {
        timeDateStamp = LoadU32(raw.Memory() + 4);
        majorVersion = LoadU16(raw.Memory() + 8);
        minorVersion = LoadU16(raw.Memory() + 10);
    }

    SectionSizes sizes;
    Measure(root, sizes);
    const uint64_t dataStart =
        Align16(sizes.Tables + ResourceDirectory::DataEntrySize * sizes.Leaves + sizes.Names);
    const uint64_t total = dataStart + sizes.Data;
    if (total > 0x7FFFFFFFu)
        throw EPEException("Resource section too large");
    std::vector<uint8_t> content(static_cast<size_t>(total), 0);
    SectionWriter writer(content, virtualAddress, timeDateStamp, majorVersion, minorVersion, sizes);
    writer.WriteTable(root);
    return content;
}

void TPEResourceModule::Relayout() {
    TImageSection& section = WritableResourceSection();
    // The encoded size does not depend on the section's address; the data entries do.
    std::vector<uint8_t> content = EncodeResources(section, section.VirtualAddress());
    const auto contentSize = static_cast<uint32_t>(content.size());
    TImageSection& target = PlaceResourceSection(section, contentSize);
    // Moved, not copied: a large library would otherwise be held twice more.
    const auto setContent = [&target](std::vector<uint8_t> bytes) {
        target.ReplaceContent(std::move(bytes));
    };
    const uint32_t encodedAt = section.VirtualAddress();
    // Loaders and tools that check the directory size must find every resource.
    const auto pointDirectory = [&] {
        SetDataDirectory(pe::ResourceDirectoryIndex,
                         TImageDataDirectory{target.VirtualAddress(), contentSize});
    };
    setContent(std::move(content));
    pointDirectory();
    TPEModule::Relayout();
    if (target.VirtualAddress() != encodedAt) {
        setContent(EncodeResources(section, target.VirtualAddress()));
        pointDirectory();
    }
}

} // namespace pictavo
