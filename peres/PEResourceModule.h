#pragma once
// A PE32 or PE32+ image whose resource directory is decoded into a flat, editable list of
// resources when read, and encoded again into a rebuilt resource section when written.

#include "peres/PEModule.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace pictavo {

// The temporary tree built while encoding: type, name and language levels.
class TResourceNode {
public:
    struct Entry {
        std::string Key; // the type, the name, or the decimal text of the language
        bool IsNumeric = false;
        bool IsLeaf = false;
        uint32_t Id = 0;                      // the value of a numeric entry
        std::u16string Text;                  // the name of a named entry
        std::unique_ptr<TResourceNode> Child; // non-leaf entries
        const MemoryStream* Data = nullptr;   // leaves; owned by the resource
        uint32_t CodePage = 0;                // leaves
    };

    // Adds one resource's path (type, name, language) to this root.
    void AddPath(const std::string& type, const std::string& name, int32_t language,
                 const MemoryStream& data, uint32_t codePage);

    std::vector<Entry> Entries;

private:
    TResourceNode& FindOrAddChild(const std::string& key);
    void SetLeaf(int32_t language, const MemoryStream& data, uint32_t codePage);

    // Entries by key, so that adding a path does not walk every sibling.
    std::unordered_map<std::string, size_t> FIndex;
};

class TPEResourceModule : public TPEModule {
public:
    int Count() const override { return static_cast<int>(FResources.size()); }
    TResourceDetails* Item(int index) const override;
    int IndexOf(const TResourceDetails* resource) const override;
    int Append(std::unique_ptr<TResourceDetails> resource) override;
    void InsertAt(int index, std::unique_ptr<TResourceDetails> resource) override;
    // PrepareForRemoval may remove further resources; the resource itself is then
    // looked up again by identity and destroyed.
    void RemoveAt(int index) override;
    void Sort() override;
    // Moves one resource to where the sort order puts it among the others, which keep
    // their order: a resource added to a module read from a file, whose directory the
    // loader searches as sorted, without re-sorting what the file's linker ordered.
    void MoveToSortedPlace(const TResourceDetails* resource);

    void ParseSource(const TFilePart& file, bool keepUnread) override;
    // Rebuilds the resource section from the list, lays the image out without moving
    // any other section (PlaceResourceSection), and points the resource data directory
    // at the new content.
    void Relayout() override;

protected:
    // Refuses images without a resource section or whose root directory does not
    // begin its section: the rebuilt section could not describe them.
    void CheckWritable() override;

private:
    void DecodeResources();
    TImageSection& WritableResourceSection();
    // The resource section's new content for a section at this address; the directory
    // stamps and versions are kept from the section's current content.
    std::vector<uint8_t> EncodeResources(const TImageSection& section,
                                         uint32_t virtualAddress) const;

    std::vector<std::unique_ptr<TResourceDetails>> FResources;
};

} // namespace pictavo
