#include "library/ProgramIcon.h"

#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "library/LibraryLock.h"
#include "library/PrivateTempFolder.h"
#include "peres/IconGroupResources.h"
#include "peres/PEResourceModule.h"
#include "platform/CaseFolding.h"
#include "util/Exceptions.h"

namespace pictavo {

namespace {

constexpr const char* IconGroupType = "14";
constexpr const char* FirstGroupName = "1";

bool IsIconGroup(const TResourceDetails& resource) {
    return resource.Type() == IconGroupType;
}

// Resource names are compared as the loader does: numbers by value, texts without
// regard to case.
bool SameName(const std::string& a, const std::string& b) {
    const int32_t numberA = NumericName(a), numberB = NumericName(b);
    if (numberA >= 0 || numberB >= 0)
        return numberA == numberB;
    return platform::SameTextFolded16(a, b);
}

// The group the change names; null when the program has no icon group at all (then a new
// one is made). Raises when the program has groups but not the one asked for.
TIconGroupResourceDetails* ChosenGroup(TPEResourceModule& module,
                                       const TProgramIconChange& change) {
    int seen = 0;
    TResourceDetails* chosen = nullptr;
    for (int i = 0; i < module.Count() && chosen == nullptr; ++i) {
        TResourceDetails* resource = module.Item(i);
        if (!IsIconGroup(*resource))
            continue;
        const bool wanted = !change.GroupName.empty() ? SameName(resource->Name(), change.GroupName)
                            : change.GroupIndex >= 0  ? seen == change.GroupIndex
                                                      : true;
        ++seen;
        if (wanted)
            chosen = resource;
    }
    if (chosen == nullptr && seen == 0)
        return nullptr;
    if (chosen == nullptr && !change.GroupName.empty())
        throw Exception(Format("%s: no icon group %s", change.ProgramFileName.c_str(),
                               change.GroupName.c_str()));
    if (chosen == nullptr)
        throw Exception(Format("%s: no icon %d (the file holds %d)",
                               change.ProgramFileName.c_str(), change.GroupIndex, seen));
    auto* group = dynamic_cast<TIconGroupResourceDetails*>(chosen);
    if (group == nullptr)
        throw Exception(Format("%s: icon group %s cannot be read",
                               change.ProgramFileName.c_str(), chosen->Name().c_str()));
    return group;
}

} // namespace

TProgramIconResult SetProgramIcon(const TProgramIconChange& change) {
    const std::string fileName = LibraryFileName(change.ProgramFileName);
    TPrivateTempFolder tempFolder;
    TLibraryLock lock(fileName, change.OnWaitForLock);

    TPEResourceModule module;
    module.ReadFromFile(fileName);
    module.SetStripSignature(change.StripSignature);
    module.SetKeepOtherHeaders(true);
    module.CheckSignature(); // before the icon is read: the answer is no anyway

    TMultiIcon icon;
    icon.SetDrawAllImages(false);
    TFileIconLoader loader;
    loader.Load(icon, change.IconFileName, change.IconIndex);
    const std::string iconFile = tempFolder.File("icon.ico");
    {
        FileStream stream(iconFile, FileMode::Create);
        icon.SaveAsIconToStream(&stream);
    }

    TIconGroupResourceDetails* group = ChosenGroup(module, change);
    const bool newGroup = group == nullptr;
    if (newGroup)
        group = CreateEmpty<TIconGroupResourceDetails>(
            module, 0, change.GroupName.empty() ? FirstGroupName : change.GroupName);
    group->ReplaceFromFile(iconFile);
    // The loader searches each directory level as sorted: what is new goes to its place,
    // and what the linker ordered keeps its order.
    if (newGroup)
        module.MoveToSortedPlace(group);
    for (int i = 0; i < group->EntryCount(); ++i)
        module.MoveToSortedPlace(group->ImageOfEntry(i));

    module.WriteToFile(fileName);
    return {group->Name(), group->EntryCount(), BackupFileName(fileName)};
}

} // namespace pictavo
