#include "library/ProgramVersion.h"

#include "library/LibraryLock.h"
#include "peres/PEFormat.h"
#include "peres/PEResourceModule.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"
#include "util/VersionBlock.h"

#include <algorithm>
#include <cctype>

namespace pictavo {

namespace {

constexpr const char* VersionType = "16";
constexpr const char* VersionName = "1";
constexpr int32_t NewVersionLanguage = 0x409;
constexpr const char* NewStringTable = "040904B0"; // US English, UTF-16
constexpr uint32_t NewTranslation = 0x04B00409;    // code page 1200 << 16 | language
constexpr uint32_t VOS_NT_WINDOWS32 = 0x00040004;
constexpr uint32_t VFT_APP = 1;
constexpr uint32_t VFT_DLL = 2;
constexpr uint16_t ImageFileDll = 0x2000; // COFF Characteristics

uint32_t High(const TFourPartVersion& v) {
    return uint32_t{v[0]} << 16 | v[1];
}
uint32_t Low(const TFourPartVersion& v) {
    return uint32_t{v[2]} << 16 | v[3];
}

void SetNumbers(FixedFileInfo& fixed, const TProgramVersionChange& change) {
    if (change.FileVersion) {
        fixed.FileVersionMS = High(*change.FileVersion);
        fixed.FileVersionLS = Low(*change.FileVersion);
    }
    if (change.ProductVersion) {
        fixed.ProductVersionMS = High(*change.ProductVersion);
        fixed.ProductVersionLS = Low(*change.ProductVersion);
    }
}

// Keys are found as VerQueryValue finds them: without regard to ASCII case.
bool SameKey(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

VersionNode* ChildNamed(VersionNode& node, const std::string& key) {
    for (VersionNode& child : node.Children)
        if (SameKey(child.Key, key))
            return &child;
    return nullptr;
}

void SetString(VersionNode& table, const std::string& key, const std::string& value) {
    if (VersionNode* entry = ChildNamed(table, key)) {
        entry->IsText = true;
        entry->Text = value;
        return;
    }
    VersionNode entry;
    entry.Key = key;
    entry.IsText = true;
    entry.Text = value;
    table.Children.push_back(std::move(entry));
}

// The block with the change made; the number of string tables it went into.
std::vector<uint8_t> ChangedBlock(const TResourceDetails& resource,
                                  const TProgramVersionChange& change, int& tables) {
    const std::vector<uint8_t>& bytes = resource.Data().Bytes();
    std::optional<VersionNode> root = DecodeVersionNode(bytes.data(), bytes.size());
    const std::optional<VersionValue> value =
        QueryVersionValue(bytes.data(), bytes.size(), "\\");
    std::optional<FixedFileInfo> fixed = value ? ParseFixedFileInfo(*value) : std::nullopt;
    if (!root || !fixed)
        throw Exception(Format("%s: its version resource (language 0x%X) cannot be read",
                               change.ProgramFileName.c_str(), resource.Language()));
    SetNumbers(*fixed, change);
    std::vector<uint8_t> fixedBytes = EncodeFixedFileInfo(*fixed);
    // Anything the program keeps after the 52 bytes stays.
    if (root->Binary.size() > fixedBytes.size())
        fixedBytes.insert(fixedBytes.end(), root->Binary.begin() + FixedFileInfoSize,
                          root->Binary.end());
    root->Binary = std::move(fixedBytes);

    VersionNode* stringFileInfo = ChildNamed(*root, "StringFileInfo");
    if (stringFileInfo == nullptr && !change.Strings.empty()) {
        VersionNode created = MakeVersionTree({}, NewStringTable, {}, std::nullopt).Children[0];
        root->Children.insert(root->Children.begin(), std::move(created));
        stringFileInfo = &root->Children.front();
    }
    if (stringFileInfo != nullptr) {
        for (VersionNode& table : stringFileInfo->Children) {
            for (const auto& [key, text] : change.Strings)
                SetString(table, key, text);
            ++tables;
        }
    }
    return EncodeVersionNode(*root);
}

std::vector<uint8_t> NewBlock(const TPEResourceModule& module,
                              const TProgramVersionChange& change) {
    FixedFileInfo fixed;
    fixed.FileOS = VOS_NT_WINDOWS32;
    const uint16_t characteristics = LoadU16(module.COFFHeader().data() + 18);
    fixed.FileType = (characteristics & ImageFileDll) != 0 ? VFT_DLL : VFT_APP;
    SetNumbers(fixed, change);
    return EncodeVersionNode(MakeVersionTree(fixed, NewStringTable, change.Strings, NewTranslation));
}

} // namespace

std::optional<TFourPartVersion> ParseFourPartVersion(const std::string& text) {
    TFourPartVersion version{};
    size_t part = 0, start = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        const std::string digits = text.substr(start, dot == std::string::npos ? dot : dot - start);
        if (part >= version.size() || digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const unsigned long value = std::stoul(digits);
        if (value > 0xFFFF)
            return std::nullopt;
        version[part++] = static_cast<uint16_t>(value);
        if (dot == std::string::npos)
            return version;
        start = dot + 1;
    }
}

TProgramVersionResult SetProgramVersion(const TProgramVersionChange& change) {
    const std::string fileName = LibraryFileName(change.ProgramFileName);
    TLibraryLock lock(fileName, change.OnWaitForLock);
    TPEResourceModule module;
    module.ReadFromFile(fileName);
    module.SetStripSignature(change.StripSignature);
    module.SetKeepOtherHeaders(true);
    module.CheckSignature();

    TProgramVersionResult result;
    bool found = false;
    for (int i = 0; i < module.Count(); ++i) {
        TResourceDetails& resource = *module.Item(i);
        if (resource.Type() != VersionType)
            continue;
        found = true;
        MemoryStream block(ChangedBlock(resource, change, result.StringTables));
        resource.ReplaceData(block);
    }
    if (!found) {
        const std::vector<uint8_t> block = NewBlock(module, change);
        module.Append(CreateWithData<TResourceDetails>(&module, NewVersionLanguage, VersionName,
                                                       VersionType, block.size(), block.data()));
        // The loader searches each directory level as sorted.
        module.MoveToSortedPlace(module.Item(module.Count() - 1));
        result.Created = true;
        result.StringTables = change.Strings.empty() ? 0 : 1;
    }
    module.WriteToFile(fileName);
    result.BackupFileName = BackupFileName(fileName);
    return result;
}

} // namespace pictavo
