#include "peres/ResourceModule.h"

#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "platform/Locale.h"
#include "platform/Paths.h"
#include "util/AtomicFile.h"

#include <algorithm>
#include <cstring>

namespace pictavo {

namespace {

std::vector<TResourceDetailsClass>& Registry() {
    static std::vector<TResourceDetailsClass> registry;
    return registry;
}

bool IsTextByte(uint8_t b) {
    return (b >= 32 && b <= 127) || b == 9 || b == 10 || b == 13;
}

bool IsDigits(const std::string& text) {
    if (text.empty())
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Numeric texts by value, named texts before numeric ones, names without regard to case.
int CompareIdentifiers(const std::string& a, const std::string& b) {
    const int32_t na = NumericName(a);
    const int32_t nb = NumericName(b);
    if (na >= 0 && nb >= 0)
        return (na > nb) - (na < nb);
    if (na < 0 && nb >= 0)
        return -1;
    if (na >= 0 && nb < 0)
        return 1;
    // Case-insensitive in the user's collation; equal only when the folded texts are.
    return platform::CompareTextLocale(platform::LowerCase8(a), platform::LowerCase8(b));
}

} // namespace

// ---- TResourceDetails ----

TResourceDetails::TResourceDetails(TResourceModule* owner, int32_t language,
                                   const std::string& name, const std::string& type)
    : FOwner(owner), FCodePage(AnsiCodePageOfLanguage(language)), FLanguage(language), FName(name),
      FType(type) {}

bool TResourceDetails::AcceptsRawData(const std::string&, size_t, const uint8_t*) {
    return false;
}

bool TResourceDetails::RecognisesData(size_t, const uint8_t*) {
    return false;
}

void TResourceDetails::Rename(const std::string& name) {
    if (name == FName)
        return;
    FName = name;
    FModified = true;
    if (FOwner != nullptr)
        FOwner->ForgetIndex();
}

void TResourceDetails::ReplaceData(Stream& source) {
    FData.Clear();
    FData.CopyFrom(source, 0);
    FData.SetPosition(0);
    if (FOwner != nullptr)
        FOwner->NoteNamedNumbersChanged(*this);
}

bool TAnsiResourceDetails::RecognisesData(size_t size, const uint8_t* data) {
    if (size == 0 || data == nullptr)
        return false;
    const size_t sample = std::min<size_t>(size, 1024);
    for (size_t i = 0; i < sample; ++i)
        if (!IsTextByte(data[i]))
            return false;
    return true;
}

bool TUnicodeResourceDetails::RecognisesData(size_t size, const uint8_t* data) {
    if (size <= 5 || data == nullptr)
        return false;
    const size_t units = size / 2;
    const size_t sample = units > 1024 ? 1023 : units - 2;
    for (size_t i = 0; i < sample; ++i)
        if (!IsTextByte(data[2 * i]))
            return false;
    return true;
}

// ---- registry and factory ----

void AddDetailsClass(const TResourceDetailsClass& detailsClass) {
    std::vector<TResourceDetailsClass>& registry = Registry();
    // The list grows in steps of ten entries.
    if (registry.size() == registry.capacity())
        registry.reserve(registry.capacity() + 10);
    registry.push_back(detailsClass);
}

void RemoveDetailsClass(const TResourceDetailsClass& detailsClass) {
    std::vector<TResourceDetailsClass>& registry = Registry();
    registry.erase(std::remove(registry.begin(), registry.end(), detailsClass), registry.end());
}

std::vector<TResourceDetailsClass> RegisteredDetailsClasses() {
    return Registry();
}

std::unique_ptr<TResourceDetails> MakeResourceDetails(TResourceModule* owner, int32_t language,
                                                      const std::string& name,
                                                      const std::string& type, size_t size,
                                                      const uint8_t* data) {
    const std::vector<TResourceDetailsClass> registry = Registry();
    if (!type.empty()) {
        try {
            for (const TResourceDetailsClass& cls : registry) {
                if (cls.TypeOfClass() != type)
                    continue;
                if (type == "10" && !cls.AcceptsRawData(name, size, data))
                    continue;
                return cls.CreateWithData(owner, language, name, type, size, data);
            }
        } catch (const std::exception&) {
            // A specialised class that fails leaves the resource to a generic class.
        }
    }
    try {
        for (const TResourceDetailsClass& cls : registry)
            if (cls.RecognisesData(size, data))
                return cls.CreateWithData(owner, language, name, type, size, data);
    } catch (const std::exception&) {
    }
    if (TAnsiResourceDetails::RecognisesData(size, data))
        return CreateWithData<TAnsiResourceDetails>(owner, language, name, type, size, data);
    if (TUnicodeResourceDetails::RecognisesData(size, data))
        return CreateWithData<TUnicodeResourceDetails>(owner, language, name, type, size, data);
    return CreateWithData<TResourceDetails>(owner, language, name, type, size, data);
}

// ---- free functions ----

int32_t NumericName(const std::string& text) {
    if (!IsDigits(text))
        return -1;
    int64_t value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
    }
    return static_cast<int32_t>(value);
}

int CompareResources(const TResourceDetails& a, const TResourceDetails& b) {
    const int byType = CompareIdentifiers(a.Type(), b.Type());
    if (byType != 0)
        return byType;
    return CompareIdentifiers(a.Name(), b.Name());
}

uint32_t AnsiCodePageOfLanguage(int32_t language) {
    const uint32_t codePage =
        platform::CodePageOfLanguage(static_cast<uint16_t>(language & 0xFFFF));
    return codePage != 0 ? codePage : platform::AnsiCodePage();
}

std::string BackupFileName(const std::string& fileName) {
    // Only the file-name part: a dot in a folder name is no extension.
    const size_t dot = platform::ExtensionDot(fileName);
    if (dot == std::string::npos)
        return fileName + ".~";
    return fileName.substr(0, dot) + ".~" + fileName.substr(dot + 1);
}

// ---- TResourceModule ----

void TResourceModule::RemoveAt(int index) {
    FModified = true;
    Item(index)->PrepareForRemoval();
}

void TResourceModule::InsertAt(int, std::unique_ptr<TResourceDetails>) {}

int TResourceModule::Append(std::unique_ptr<TResourceDetails>) {
    return -1;
}

void TResourceModule::WriteToStream(Stream&) {
    throw Exception("Module doesn't support streaming");
}

void TResourceModule::ReadFromStream(Stream&) {
    throw Exception("Module doesn't support streaming");
}

void TResourceModule::ReadFromFile(const std::string& fileName) {
    FileStream file(fileName, FileMode::OpenRead);
    ReadFromStream(file);
}

void TResourceModule::WriteToFile(const std::string& fileName) {
    CheckWritable();
    // The new library is complete on the disk before the previous one is touched; then
    // the previous content becomes the backup and the new one takes its name in one
    // rename. A failure at any step leaves the previous file where it was.
    TAtomicFile file(fileName);
    WriteToStream(file.Output());
    file.CommitKeepingBackup(BackupFileName(fileName));
    ResetModified();
}

void TResourceModule::ResetModified() {
    FModified = false;
    for (int i = 0; i < Count(); ++i)
        Item(i)->SetModified(false);
}

std::string TResourceModule::NextFreeName(const std::string& type) const {
    return std::to_string(HighestNumericName(type) + 1);
}

std::vector<TResourceDetails*> TResourceModule::ResourcesNamed(const std::string& type,
                                                               int32_t number) const {
    return FIndex.Named(*this, type, number);
}

int64_t TResourceModule::HighestNumericName(
    const std::string& type, const std::vector<const TResourceDetails*>& except) const {
    return FIndex.HighestName(*this, type, except);
}

std::vector<TResourceDetails*> TResourceModule::ResourcesNaming(const std::string& type,
                                                                uint16_t number) const {
    return FIndex.Naming(*this, type, number);
}

int64_t TResourceModule::HighestNamedNumber(const std::string& type,
                                            const TResourceDetails* except) const {
    return FIndex.HighestNamed(*this, type, except);
}

} // namespace pictavo
