#pragma once
// What a change of a Windows program must keep: every section but the resources, the
// bytes after the last section, every resource it did not mean to change; and a valid
// checksum where the program carried one. Shared by the set-icon and version tests.

#include "peres/PEFormat.h"
#include "peres/PEResourceModule.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <algorithm>
#include <compare>
#include <vector>

namespace pictavo::test {

inline std::string ProgramFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/program/" + name;
}

struct ResourceKey {
    std::string Type, Name;
    int32_t Language;
    auto operator<=>(const ResourceKey&) const = default;
};
using ResourceBytes = std::map<ResourceKey, std::vector<uint8_t>>;

inline ResourceBytes ResourcesOf(const TPEResourceModule& module) {
    ResourceBytes resources;
    for (int i = 0; i < module.Count(); ++i) {
        const TResourceDetails& r = *module.Item(i);
        resources[{r.Type(), r.Name(), r.Language()}] = r.Data().Bytes();
    }
    return resources;
}

// The resources of `a` that are not of the given types, by key.
inline ResourceBytes Without(ResourceBytes resources, const std::vector<std::string>& types) {
    for (auto it = resources.begin(); it != resources.end();)
        it = std::find(types.begin(), types.end(), it->first.Type) != types.end()
                 ? resources.erase(it)
                 : std::next(it);
    return resources;
}

// The first resource of the module with exactly this type and name, or null.
inline const TResourceDetails* Find(const TResourceModule& module, const std::string& type,
                                    const std::string& name) {
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == type && module.Item(i)->Name() == name)
            return module.Item(i);
    return nullptr;
}

inline void ReadModule(TPEResourceModule& module, const std::vector<uint8_t>& bytes) {
    module.ParseImage(bytes.data(), bytes.size());
}

// Every section of the original but its resource section keeps its place, sizes and
// bytes; the bytes after the last section are the same; the checksum is valid where the
// original had one, else still 0.
inline void ExpectTheRestKept(const std::vector<uint8_t>& original,
                              const std::vector<uint8_t>& written) {
    TPEResourceModule before, after;
    ReadModule(before, original);
    ReadModule(after, written);
    EXPECT_EQ(after.IsPe32Plus(), before.IsPe32Plus());
    uint32_t offset = 0;
    const TImageSection* resources = before.ResourceSection(offset);
    ASSERT_GE(after.SectionCount(), before.SectionCount());
    for (int i = 0; i < before.SectionCount(); ++i) {
        const TImageSection& a = before.Section(i);
        const TImageSection& b = after.Section(i);
        SCOPED_TRACE(a.Name());
        EXPECT_EQ(b.VirtualAddress(), a.VirtualAddress());
        EXPECT_EQ(b.PointerToRawData(), a.PointerToRawData());
        if (&a == resources)
            continue;
        EXPECT_EQ(b.Header(), a.Header());
        EXPECT_EQ(b.RawData().Bytes(), a.RawData().Bytes());
    }
    EXPECT_EQ(after.Overlay(), before.Overlay());
    // The optional header changes only where the resources count: the initialised-data
    // total, the image and header sizes, the checksum and the resource and certificate
    // directories. The linker's other totals and bases stay as it wrote them.
    std::vector<uint8_t> headerBefore = before.OptionalHeader();
    std::vector<uint8_t> headerAfter = after.OptionalHeader();
    ASSERT_EQ(headerAfter.size(), headerBefore.size());
    const uint32_t directories = before.IsPe32Plus() ? pe::DataDirectories64 : pe::DataDirectories32;
    for (const uint32_t field :
         {pe::SizeOfInitializedDataField, pe::SizeOfImageField, pe::SizeOfHeadersField,
          pe::CheckSumField, directories + 8 * pe::ResourceDirectoryIndex,
          directories + 8 * pe::ResourceDirectoryIndex + 4,
          directories + 8 * pe::SecurityDirectoryIndex,
          directories + 8 * pe::SecurityDirectoryIndex + 4}) {
        StoreU32(&headerBefore[field], 0);
        StoreU32(&headerAfter[field], 0);
    }
    EXPECT_EQ(headerAfter, headerBefore);
    for (uint32_t d = 0; d < before.DataDirectoryCount(); ++d) {
        if (d == pe::ResourceDirectoryIndex || d == pe::SecurityDirectoryIndex)
            continue;
        EXPECT_EQ(after.DataDirectory(d).VirtualAddress, before.DataDirectory(d).VirtualAddress);
        EXPECT_EQ(after.DataDirectory(d).Size, before.DataDirectory(d).Size);
    }
    const size_t checksumAt = LoadU32(&written[60]) + 24 + pe::CheckSumField;
    const size_t originalChecksumAt = LoadU32(&original[60]) + 24 + pe::CheckSumField;
    if (LoadU32(&original[originalChecksumAt]) != 0)
        EXPECT_EQ(LoadU32(&written[checksumAt]),
                  ImageChecksum(written.data(), written.size(), checksumAt));
    else
        EXPECT_EQ(LoadU32(&written[checksumAt]), 0u);
}

} // namespace pictavo::test
