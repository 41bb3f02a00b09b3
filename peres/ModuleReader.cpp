#include "peres/ModuleReader.h"

#include "peres/PEFormat.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {

namespace {

// Closes the descriptor on every path of Open.
struct FileDescriptor {
    int Fd;
    ~FileDescriptor() {
        if (Fd >= 0)
            ::close(Fd);
    }
};

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameTextIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
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
    if (mapping_ != nullptr)
        ::munmap(mapping_, mappingSize_);
}

std::unique_ptr<ModuleReader> ModuleReader::Open(const std::string& fileName) {
    // Non-blocking, so that probing a FIFO does not wait for a writer.
    FileDescriptor file{::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.Fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(file.Fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return nullptr;
    const size_t size = static_cast<size_t>(info.st_size);
    void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.Fd, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    std::unique_ptr<ModuleReader> reader(new ModuleReader());
    reader->mapping_ = mapping;
    reader->mappingSize_ = size;
    reader->data_ = static_cast<const uint8_t*>(mapping);
    reader->size_ = size;
    if (!reader->Index())
        return nullptr;
    return reader;
}

std::unique_ptr<ModuleReader> ModuleReader::FromMemory(std::vector<uint8_t> bytes) {
    std::unique_ptr<ModuleReader> reader(new ModuleReader());
    reader->owned_ = std::move(bytes);
    reader->data_ = reader->owned_.data();
    reader->size_ = reader->owned_.size();
    if (!reader->Index())
        return nullptr;
    return reader;
}

// Reads the headers, the section table and the root table of the resource directory.
bool ModuleReader::Index() {
    const uint8_t* d = data_;
    if (size_ < pe::DosHeaderSize || LoadU16(d) != pe::DosSignature)
        return false;
    const uint32_t peOffset = LoadU32(d + pe::NewHeaderOffsetField);
    if (RangeFits(peOffset, 2, size_) && LoadU16(d + peOffset) == ne::Signature)
        return IndexNE(peOffset);
    if (!RangeFits(peOffset, 4 + pe::CoffHeaderSize, size_) ||
        LoadU32(d + peOffset) != pe::PeSignature)
        return false;
    const uint8_t* coff = d + peOffset + 4;
    const uint32_t sectionCount = LoadU16(coff + pe::NumberOfSectionsField);
    const uint32_t optionalSize = LoadU16(coff + pe::SizeOfOptionalHeaderField);
    const uint64_t optionalOffset = static_cast<uint64_t>(peOffset) + 4 + pe::CoffHeaderSize;
    if (optionalSize < 2 || !RangeFits(optionalOffset, optionalSize, size_))
        return false;
    const uint8_t* optional = d + optionalOffset;
    const uint16_t magic = LoadU16(optional);
    if (magic != pe::Pe32Magic && magic != pe::Pe32PlusMagic)
        return false;
    is64Bit_ = magic == pe::Pe32PlusMagic;
    const uint32_t countField =
        is64Bit_ ? pe::NumberOfRvaAndSizesField64 : pe::NumberOfRvaAndSizesField32;
    const uint32_t directories = is64Bit_ ? pe::DataDirectories64 : pe::DataDirectories32;

    const uint64_t tableOffset = optionalOffset + optionalSize;
    if (!RangeFits(tableOffset, static_cast<uint64_t>(sectionCount) * pe::SectionHeaderSize, size_))
        return false;
    sections_.reserve(sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint8_t* h = d + tableOffset + static_cast<uint64_t>(i) * pe::SectionHeaderSize;
        SectionRange s;
        s.VirtualSize = LoadU32(h + pe::VirtualSizeField);
        s.VirtualAddress = LoadU32(h + pe::VirtualAddressField);
        s.RawSize = LoadU32(h + pe::SizeOfRawDataField);
        s.RawOffset = LoadU32(h + pe::PointerToRawDataField);
        if (s.RawSize != 0 && !RangeFits(s.RawOffset, s.RawSize, size_))
            return false;
        sections_.push_back(s);
    }

    // A module without a resource directory is still a module; it has no resources.
    const uint64_t resourceEntry =
        directories + static_cast<uint64_t>(pe::ResourceDirectoryIndex) * pe::DataDirectorySize;
    if (optionalSize < countField + 4 ||
        LoadU32(optional + countField) <= pe::ResourceDirectoryIndex ||
        optionalSize < resourceEntry + pe::DataDirectorySize)
        return true;
    const uint32_t rootRva = LoadU32(optional + resourceEntry);
    if (rootRva == 0)
        return true;
    const SectionRange* section = SectionOfRva(rootRva);
    if (section == nullptr)
        return false;
    const uint32_t rootInSection = rootRva - section->VirtualAddress;
    directory_.emplace(d + section->RawOffset + rootInSection, section->RawSize - rootInSection);
    try {
        root_ = directory_->ReadTable(0);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

// The section whose raw bytes in the file hold the address.
const ModuleReader::SectionRange* ModuleReader::SectionOfRva(uint32_t rva) const {
    for (const SectionRange& s : sections_)
        if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.RawSize)
            return &s;
    return nullptr;
}

std::optional<ResourceDirectoryTable> ModuleReader::NameTable(uint32_t type) const {
    if (!directory_)
        return std::nullopt;
    for (const ResourceDirectoryEntry& entry : root_.Entries) {
        if (entry.IsNamed || entry.Name != type)
            continue;
        if (!entry.IsDirectory)
            return std::nullopt;
        try {
            return directory_->ReadTable(entry.Offset);
        } catch (const Exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void ModuleReader::EnumResourceNames(
    uint32_t type, const std::function<bool(const ResourceName&)>& callback) const {
    if (ne_) {
        EnumNEResourceNames(type, callback);
        return;
    }
    const std::optional<ResourceDirectoryTable> names = NameTable(type);
    if (!names)
        return;
    for (const ResourceDirectoryEntry& entry : names->Entries) {
        ResourceName name;
        try {
            name = directory_->ReadEntryName(entry);
        } catch (const Exception&) {
            return; // a damaged name ends the enumeration
        }
        if (!callback(name))
            return;
    }
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
        return ResourceBytes{data_ + section->RawOffset + inSection, data.Size};
    } catch (const Exception&) {
        return std::nullopt;
    }
}

std::optional<ResourceBytes> ModuleReader::Find(const ResourceName& name, uint32_t type) const {
    if (ne_)
        return FindNE(name, type);
    const std::optional<ResourceDirectoryTable> names = NameTable(type);
    if (!names)
        return std::nullopt;
    for (const ResourceDirectoryEntry& entry : names->Entries) {
        if (name.IsNumeric) {
            if (!entry.IsNamed && entry.Name == name.Id)
                return FirstLanguageData(entry);
            continue;
        }
        if (!entry.IsNamed)
            continue;
        try {
            if (SameTextIgnoringAsciiCase(directory_->ReadNameText(entry.Name), name.Text))
                return FirstLanguageData(entry);
        } catch (const Exception&) {
            continue; // a damaged name matches nothing
        }
    }
    return std::nullopt;
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
