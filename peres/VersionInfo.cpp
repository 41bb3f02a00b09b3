// Reading version information as GetFileVersionInfo and VerQueryValue would.

#include "peres/VersionInfo.h"

#include "peres/ModuleReader.h"
#include "peres/PEFormat.h"
#include "util/Bytes.h"
#include "util/Exceptions.h"
#include "util/VersionBlock.h"

#include <sys/stat.h>
#include <unistd.h>

namespace pictavo {

namespace {

constexpr uint32_t VS_VERSION_INFO = 1;
constexpr const char* DefaultTranslationKey = "040904E4";
constexpr const char* OwnExecutableLink = "/proc/self/exe";

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string OwnExecutablePath() {
    char path[4096];
    const ssize_t length = readlink(OwnExecutableLink, path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

int32_t High16(uint32_t value) {
    return static_cast<int32_t>(value >> 16);
}

int32_t Low16(uint32_t value) {
    return static_cast<int32_t>(value & 0xFFFF);
}

std::string TranslationKey(const uint8_t* block, size_t size) {
    const std::optional<VersionValue> translation =
        QueryVersionValue(block, size, "\\VarFileInfo\\Translation");
    if (!translation || translation->Size < 4)
        return DefaultTranslationKey;
    const uint32_t entry = LoadU32(translation->Data);
    const uint32_t language = entry & 0xFFFF;
    const uint32_t codePage = entry >> 16;
    return Format("%08X", language * 65536 + codePage);
}

std::string StringValue(const uint8_t* block, size_t size, const std::string& key,
                        const char* name) {
    const std::optional<VersionValue> value =
        QueryVersionValue(block, size, "\\StringFileInfo\\" + key + "\\" + name);
    return value ? VersionValueText(*value) : std::string();
}

void FillStrings(const uint8_t* block, size_t size, TVersionInfo& info) {
    const std::string key = TranslationKey(block, size);
    const std::pair<const char*, std::string*> fields[] = {
        {"ProductVersion", &info.ProductVersion},     {"FileVersion", &info.FileVersion},
        {"FileDescription", &info.FileDescription},   {"LegalCopyright", &info.LegalCopyright},
        {"LegalTrademarks", &info.LegalTrademarks},   {"Comments", &info.Comments},
        {"SpecialBuild", &info.SpecialBuild},         {"ProductName", &info.ProductName},
        {"CompanyName", &info.CompanyName},           {"InternalName", &info.InternalName},
        {"OriginalFileName", &info.OriginalFileName},
    };
    for (const auto& [name, field] : fields)
        *field = StringValue(block, size, key, name);
}

std::string MakeVersionText(const TVersionInfo& info) {
    std::string text =
        Format("%d.%d.%d.%d", info.MajorVersion, info.MinorVersion, info.Release, info.Build);
    if (!info.PreRelease)
        return text;
    if (info.Build != 0)
        return Format("%s BETA %d", text.c_str(), info.Build);
    return Format("%s BETA", text.c_str());
}

TVersionInfo ReadOwnVersionInfo() {
    TVersionInfo info;
    ReadVersionInfo(OwnExecutablePath(), info);
    return info;
}

} // namespace

TVersionInfo AppVersionInfo = ReadOwnVersionInfo();

bool ReadVersionInfoFromBlock(const uint8_t* block, size_t size, TVersionInfo& Info) {
    const std::optional<VersionValue> root = QueryVersionValue(block, size, "\\");
    if (!root)
        return false;
    const std::optional<FixedFileInfo> fixed = ParseFixedFileInfo(*root);
    if (!fixed)
        return false;
    Info.MajorVersion = High16(fixed->FileVersionMS);
    Info.MinorVersion = Low16(fixed->FileVersionMS);
    Info.Release = High16(fixed->FileVersionLS);
    Info.Build = Low16(fixed->FileVersionLS);
    Info.ProductMajorVersion = High16(fixed->ProductVersionMS);
    Info.ProductMinorVersion = Low16(fixed->ProductVersionMS);
    Info.ProductRelease = High16(fixed->ProductVersionLS);
    Info.ProductBuild = Low16(fixed->ProductVersionLS);
    Info.PreRelease = (fixed->FileFlags & VS_FF_PRERELEASE) != 0;
    FillStrings(block, size, Info);
    Info.VersionText = MakeVersionText(Info);
    return true;
}

bool ReadVersionInfo(const std::string& FileName, TVersionInfo& Info) {
    Info = TVersionInfo{};
    Info.FileName = FileName;
    // The running program is an ELF file; its block is built into it. Checked first so
    // that filling AppVersionInfo during start-up needs nothing but this file.
    if (SameFile(FileName, OwnExecutableLink)) {
        const OwnVersionBlockBytes own = OwnVersionBlock();
        return ReadVersionInfoFromBlock(own.Data, own.Size, Info);
    }
    const std::unique_ptr<ModuleReader> module = ModuleReader::Open(FileName);
    if (!module)
        return false;
    const std::optional<ResourceBytes> resource =
        module->FindResource(VS_VERSION_INFO, pe::RtVersion);
    if (!resource || resource->Size == 0)
        return false;
    return ReadVersionInfoFromBlock(resource->Data, resource->Size, Info);
}

} // namespace pictavo
