#include "peres/ModuleReader.h"

#include "peres/PEFormat.h"
#include "platform/CaseFolding.h"
#include "platform/RegularFile.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {

namespace {

std::string UpperAscii(const std::string& text) {
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return platform::AsciiUpper(c); });
    return upper;
}

// "#123" names the numeric identifier 123; anything else is a text name.
ResourceName ParseResourceName(const std::string& text) {
    ResourceName name;
    if (text.size() > 1 && text[0] == '#') {
        uint64_t value = 0;
        bool digits = true;
        for (size_t i = 1; i < text.size() && digits; ++i) {
            digits = text[i] >= '0' && text[i] <= '9';
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
            digits = digits && value <= 0xFFFFFFFFu;
        }
        if (digits) {
            name.IsNumeric = true;
            name.Id = static_cast<uint32_t>(value);
            return name;
        }
    }
    name.Text = text;
    return name;
}

} // namespace

ModuleReader::~ModuleReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<ModuleReader> ModuleReader::Open(const std::string& fileName) {
    const int fd = platform::OpenRegularFile(fileName, O_RDONLY);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size <= 0) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<ModuleReader> reader =
        FromOpenFile(fd, static_cast<uint64_t>(info.st_size), {});
    if (!reader) {
        ::close(fd);
        return nullptr;
    }
    reader->fd_ = fd;
    return reader;
}

std::unique_ptr<ModuleReader> ModuleReader::FromOpenFile(int fd, uint64_t size,
                                                         std::vector<uint8_t> firstPage) {
    if (size == 0)
        return nullptr;
    std::unique_ptr<ModuleReader> reader(new ModuleReader());
    reader->size_ = size;
    reader->pages_.emplace(fd, size, std::move(firstPage));
    if (!reader->Index())
        return nullptr;
    return reader;
}

std::unique_ptr<ModuleReader> ModuleReader::FromMemory(std::vector<uint8_t> bytes) {
    std::unique_ptr<ModuleReader> reader(new ModuleReader());
    reader->bytes_ = std::move(bytes);
    reader->size_ = reader->bytes_.size();
    if (!reader->Index())
        return nullptr;
    return reader;
}

bool ModuleReader::ReadAt(uint64_t offset, size_t count, uint8_t* out) const {
    if (!RangeFits(offset, count, size_))
        return false;
    if (!pages_) {
        std::copy(bytes_.data() + offset, bytes_.data() + offset + count, out);
        return true;
    }
    return pages_->Read(offset, count, out);
}

// Reads the headers, the section table and the root table of the resource directory.
bool ModuleReader::Index() {
    uint8_t dos[pe::DosHeaderSize];
    if (!ReadAt(0, sizeof dos, dos) || LoadU16(dos) != pe::DosSignature)
        return false;
    const uint32_t peOffset = LoadU32(dos + pe::NewHeaderOffsetField);
    uint8_t neSignature[2];
    if (ReadAt(peOffset, sizeof neSignature, neSignature) && LoadU16(neSignature) == ne::Signature)
        return IndexNE(peOffset);
    uint8_t signatureAndCoff[4 + pe::CoffHeaderSize];
    if (!ReadAt(peOffset, sizeof signatureAndCoff, signatureAndCoff) ||
        LoadU32(signatureAndCoff) != pe::PeSignature)
        return false;
    const uint8_t* coff = signatureAndCoff + 4;
    const uint32_t sectionCount = LoadU16(coff + pe::NumberOfSectionsField);
    const uint32_t optionalSize = LoadU16(coff + pe::SizeOfOptionalHeaderField);
    const uint64_t optionalOffset = static_cast<uint64_t>(peOffset) + 4 + pe::CoffHeaderSize;
    std::vector<uint8_t> optional(optionalSize);
    if (optionalSize < 2 || !ReadAt(optionalOffset, optional.size(), optional.data()))
        return false;
    const uint16_t magic = LoadU16(optional.data());
    if (magic != pe::Pe32Magic && magic != pe::Pe32PlusMagic)
        return false;
    is64Bit_ = magic == pe::Pe32PlusMagic;
    const uint32_t countField =
        is64Bit_ ? pe::NumberOfRvaAndSizesField64 : pe::NumberOfRvaAndSizesField32;
    const uint32_t directories = is64Bit_ ? pe::DataDirectories64 : pe::DataDirectories32;

    std::vector<uint8_t> table(static_cast<size_t>(sectionCount) * pe::SectionHeaderSize);
    if (!ReadAt(optionalOffset + optionalSize, table.size(), table.data()))
        return false;
    sections_.reserve(sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint8_t* h = table.data() + static_cast<size_t>(i) * pe::SectionHeaderSize;
        SectionRange s;
        s.VirtualSize = LoadU32(h + pe::VirtualSizeField);
        s.VirtualAddress = LoadU32(h + pe::VirtualAddressField);
        s.RawSize = LoadU32(h + pe::SizeOfRawDataField);
        s.RawOffset = LoadU32(h + pe::PointerToRawDataField);
        // A file cut short keeps what lies before the cut: a section running past the
        // end holds the bytes the file still has, and resources beyond them are damaged.
        s.RawSize = s.RawOffset < size_
                        ? static_cast<uint32_t>(std::min<uint64_t>(s.RawSize, size_ - s.RawOffset))
                        : 0;
        sections_.push_back(s);
    }

    // A module without a resource directory is still a module; it has no resources.
    const uint64_t resourceEntry =
        directories + static_cast<uint64_t>(pe::ResourceDirectoryIndex) * pe::DataDirectorySize;
    if (optionalSize < countField + 4 ||
        LoadU32(optional.data() + countField) <= pe::ResourceDirectoryIndex ||
        optionalSize < resourceEntry + pe::DataDirectorySize)
        return true;
    const uint32_t rootRva = LoadU32(optional.data() + resourceEntry);
    if (rootRva == 0)
        return true;
    const SectionRange* section = SectionOfRva(rootRva);
    if (section == nullptr)
        return false;
    const uint32_t rootInSection = rootRva - section->VirtualAddress;
    directoryOffset_ = uint64_t{section->RawOffset} + rootInSection;
    directory_.emplace(
        [this](uint64_t offset, size_t count, uint8_t* out) {
            return ReadAt(directoryOffset_ + offset, count, out);
        },
        section->RawSize - rootInSection);
    try {
        root_ = directory_->ReadTable(0);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

// The section whose raw bytes in the file hold the address. Only what a loader maps
// counts (raw bytes beyond the virtual size are not), so that a section whose raw size
// claims more than it has does not swallow the addresses of the sections after it.
const ModuleReader::SectionRange* ModuleReader::SectionOfRva(uint32_t rva) const {
    for (const SectionRange& s : sections_) {
        const uint32_t mapped = s.VirtualSize != 0 ? std::min(s.VirtualSize, s.RawSize) : s.RawSize;
        if (rva >= s.VirtualAddress && rva - s.VirtualAddress < mapped)
            return &s;
    }
    return nullptr;
}

const ModuleReader::TypeNames* ModuleReader::Names(uint32_t type) const {
    const auto known = names_.find(type);
    if (known != names_.end())
        return known->second.get();
    std::unique_ptr<TypeNames> names;
    for (const ResourceDirectoryEntry& entry : root_.Entries) {
        if (!directory_ || entry.IsNamed || entry.Name != type)
            continue;
        if (!entry.IsDirectory)
            break;
        try {
            names = std::make_unique<TypeNames>();
            names->Entries = directory_->ReadTable(entry.Offset).Entries;
        } catch (const Exception&) {
            names.reset();
            break;
        }
        for (const ResourceDirectoryEntry& nameEntry : names->Entries) {
            try {
                names->Names.push_back(directory_->ReadEntryName(nameEntry));
            } catch (const Exception&) {
                break; // a damaged name ends the list of names there
            }
        }
        break;
    }
    if (names) {
        // Every entry can be found, also those behind a damaged name; the first of equal
        // names wins, as a search in directory order finds it.
        for (size_t i = 0; i < names->Entries.size(); ++i) {
            const ResourceDirectoryEntry& entry = names->Entries[i];
            if (!entry.IsNamed) {
                names->ById.emplace(entry.Name, i);
                continue;
            }
            std::string text;
            if (i < names->Names.size()) {
                text = names->Names[i].Text;
            } else {
                try {
                    text = directory_->ReadNameText(entry.Name);
                } catch (const Exception&) {
                    continue; // a damaged name matches nothing
                }
            }
            names->ByUpperText.emplace(UpperAscii(text), i);
        }
    }
    return names_.emplace(type, std::move(names)).first->second.get();
}

void ModuleReader::EnumResourceNames(
    uint32_t type, const std::function<bool(const ResourceName&)>& callback) const {
    if (ne_) {
        EnumNEResourceNames(type, callback);
        return;
    }
    const TypeNames* names = Names(type);
    if (names == nullptr)
        return;
    for (const ResourceName& name : names->Names)
        if (!callback(name))
            return;
}

std::optional<ResourceBytes>
ModuleReader::FirstLanguageData(const ResourceDirectoryEntry& nameEntry) const {
    try {
        if (!nameEntry.IsDirectory)
            return std::nullopt;
        const ResourceDirectoryTable languages = directory_->ReadTable(nameEntry.Offset);
        if (languages.Entries.empty() || languages.Entries[0].IsDirectory)
            return std::nullopt;
        const ResourceDataEntry data = directory_->ReadDataEntry(languages.Entries[0].Offset);
        const SectionRange* section = SectionOfRva(data.DataRva);
        if (section == nullptr)
            return std::nullopt;
        const uint32_t inSection = data.DataRva - section->VirtualAddress;
        if (!RangeFits(inSection, data.Size, section->RawSize))
            return std::nullopt;
        return ReadResource(uint64_t{section->RawOffset} + inSection, data.Size);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

std::optional<ResourceBytes> ModuleReader::ReadResource(uint64_t offset, uint32_t size) const {
    if (size > MaxResourceBytes || !RangeFits(offset, size, size_))
        return std::nullopt;
    ResourceBytes found;
    found.Size = size;
    found.FileOffset = offset;
    if (!pages_) {
        found.Data = bytes_.data() + offset;
        return found;
    }
    size_t start = 0;
    if (FilePages::Page page = pages_->Holding(offset, size, start)) {
        found.Data = page->data() + start;
        found.Storage = std::move(page);
        return found;
    }
    auto storage = std::make_shared<std::vector<uint8_t>>(size);
    if (!ReadAt(offset, storage->size(), storage->data()))
        return std::nullopt;
    found.Data = storage->data();
    found.Storage = std::move(storage);
    return found;
}

std::optional<ResourceBytes> ModuleReader::Find(const ResourceName& name, uint32_t type) const {
    if (ne_)
        return FindNE(name, type);
    const TypeNames* names = Names(type);
    if (names == nullptr)
        return std::nullopt;
    if (name.IsNumeric) {
        const auto found = names->ById.find(name.Id);
        if (found == names->ById.end())
            return std::nullopt;
        return FirstLanguageData(names->Entries[found->second]);
    }
    const auto found = names->ByUpperText.find(UpperAscii(name.Text));
    if (found == names->ByUpperText.end())
        return std::nullopt;
    return FirstLanguageData(names->Entries[found->second]);
}

std::optional<ResourceBytes> ModuleReader::FindResource(const std::string& name,
                                                        uint32_t type) const {
    return Find(ParseResourceName(name), type);
}

std::optional<ResourceBytes> ModuleReader::FindResource(uint32_t id, uint32_t type) const {
    ResourceName name;
    name.IsNumeric = true;
    name.Id = id;
    return Find(name, type);
}

} // namespace pictavo
