#include "library/IconLibraryBuilder.h"

#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "library/LibraryLock.h"
#include "library/PrivateTempFolder.h"
#include "library/ProgramStorage.h"
#include "peres/IconGroupResources.h"
#include "peres/PEResourceModule.h"
#include "platform/CaseFolding.h"
#include "util/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace pictavo {

namespace {

constexpr const char* IconGroupType = "14";
constexpr int MaxImageHeight = 255; // images this high or higher cannot be listed in a group

// Asked of the file system: only "no such file" means there is no library yet.
bool LibraryExists(const std::string& fileName) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    throw EFOpenError(
        Format("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
}

// The existing library, or the template DLL extracted from the program's storage.
void OpenLibrary(TPEResourceModule& module, const std::string& fileName, bool rebuild) {
    if (!rebuild && LibraryExists(fileName)) {
        module.ReadFromFile(fileName);
        return;
    }
    TStoredItem* item = ProgramStorage().FindStoredItem("DLL");
    if (item == nullptr)
        throw Exception("The template DLL is missing from the program");
    MemoryStream templateBytes;
    item->SaveToStream(&templateBytes);
    templateBytes.SetPosition(0);
    module.ReadFromStream(templateBytes);
}

// Pre-Vista loaders cannot list images this high in a group: the classic build leaves
// them out.
void DropTallImages(TMultiIcon& icon) {
    for (int i = icon.IconCount() - 1; i >= 0; --i) {
        int width = 0, height = 0;
        icon.GetIconDimensions(i, width, height);
        if (height >= MaxImageHeight)
            icon.DeleteIcon(i);
    }
}

TIconGroupResourceDetails* CreateGroup(TPEResourceModule& module) {
    return CreateEmpty<TIconGroupResourceDetails>(module, 0, module.NextFreeName(IconGroupType));
}

// Every image of the icon goes into the group, PNG data as PNG data. An image that cannot
// be stored ends the build with the icon named: a library that lost it silently would
// report a success it is not.
void FillGroup(TIconGroupResourceDetails& group, const std::string& iconFile,
               const TIconSource& source) {
    try {
        group.ReplaceFromFile(iconFile);
    } catch (const EImageNumbersExhausted&) {
        // Said of the source icon: the scratch file is the build's private business.
        throw EImageNumbersExhausted(
            Format("%s: icon %d cannot be stored in the library: no image numbers are left "
                   "for its images (the highest is 65535)",
                   source.FileName.c_str(), source.IconIndex));
    } catch (const std::exception& error) {
        throw Exception(Format("%s: icon %d cannot be stored in the library: %s",
                               source.FileName.c_str(), source.IconIndex, error.what()));
    }
}

// The scratch icon lives in the build's private folder and is rewritten for every icon:
// it needs no temporary file, rename or flush to the disk, which would cost more than
// the rest of the build.
// A cursor goes in as an icon: its images are the same bitmaps, only the group type differs.
void SaveScratchIcon(TMultiIcon& icon, const std::string& iconFile) {
    FileStream stream(iconFile, FileMode::Create);
    icon.SaveAsIconToStream(&stream);
}

} // namespace

std::vector<TIconSource> EveryIconOf(const std::string& fileName, int iconCount) {
    std::vector<TIconSource> sources;
    for (int i = 0; i < iconCount; ++i)
        sources.push_back({fileName, i});
    return sources;
}

int BuildIconLibrary(const TIconLibraryBuild& build) {
    const std::string fileName = LibraryFileName(build.FileName);
    TPrivateTempFolder tempFolder;
    // Held from reading the library to writing it, so no other writer's icons are lost.
    TLibraryLock lock(fileName, build.OnWaitForLock, build.WhileWaitingForLock);
    const std::string iconFile = tempFolder.File("temp.ico");
    TPEResourceModule module;
    TMultiIcon icon;
    icon.SetDrawAllImages(false);
    const auto progress = [&build](const std::string& file, size_t done) {
        if (build.OnProgress)
            build.OnProgress(file, done, build.Sources.size());
    };

    progress(build.FileName, 0);
    OpenLibrary(module, fileName, build.Rebuild);
    TFileIconLoader loader; // every icon of one source file in one pass over it
    int added = 0;
    for (const TIconSource& source : build.Sources) {
        progress(source.FileName, static_cast<size_t>(added));
        TIconGroupResourceDetails* group = nullptr;
        if (build.GroupCreation == TGroupCreation::BeforeLoad)
            group = CreateGroup(module);
        // An icon that is neither in a module nor an icon file ends the build.
        loader.Load(icon, source.FileName, source.IconIndex);
        if (build.Classic) {
            DropTallImages(icon);
            if (icon.IconCount() == 0) {
                if (group != nullptr)
                    module.RemoveAt(module.IndexOf(group));
                if (build.OnSkip)
                    build.OnSkip(Format("%s: icon %d is left out: all its images are 256 "
                                        "pixels or more, which the classic library cannot hold",
                                        source.FileName.c_str(), source.IconIndex));
                continue;
            }
        }
        SaveScratchIcon(icon, iconFile);
        if (build.GroupCreation == TGroupCreation::AfterSave)
            group = CreateGroup(module);
        FillGroup(*group, iconFile, source);
        ++added;
    }
    progress(build.FileName, build.Sources.size());
    module.Sort();
    module.WriteToFile(fileName);
    return added;
}

namespace {

TIconLibraryBuild PlainBuild(const std::string& fileName, const std::vector<TIconSource>& sources,
                             bool rebuild, TGroupCreation groupCreation) {
    TIconLibraryBuild build;
    build.FileName = fileName;
    build.Sources = sources;
    build.Rebuild = rebuild;
    build.GroupCreation = groupCreation;
    return build;
}

} // namespace

int BuildLibraryFromList(const std::string& fileName, const std::vector<TIconSource>& sources,
                         bool rebuild) {
    return BuildIconLibrary(PlainBuild(fileName, sources, rebuild, TGroupCreation::BeforeLoad));
}

int BuildLibraryFromList(const std::string& fileName, const std::vector<TIconSource>& sources,
                         bool rebuild, const TBuildProgress& onProgress) {
    TIconLibraryBuild build = PlainBuild(fileName, sources, rebuild, TGroupCreation::BeforeLoad);
    build.OnProgress = onProgress;
    return BuildIconLibrary(build);
}

int BuildLibraryFromView(const std::string& fileName, const std::vector<TIconSource>& sources,
                         bool rebuild) {
    return BuildIconLibrary(PlainBuild(fileName, sources, rebuild, TGroupCreation::AfterSave));
}

bool RemoveIconGroupFromLibrary(
    const std::string& libraryPath, int iconIndex,
    const std::function<void(const std::string& lockFile)>& onWaitForLock,
    const std::function<void()>& whileWaitingForLock) {
    const std::string fileName = LibraryFileName(libraryPath);
    TLibraryLock lock(fileName, onWaitForLock, whileWaitingForLock);
    TPEResourceModule module;
    module.ReadFromFile(fileName);
    int seen = 0;
    for (int i = 0; i < module.Count(); ++i) {
        if (!platform::SameTextFolded16(module.Item(i)->Type(), IconGroupType))
            continue;
        if (++seen == iconIndex + 1) {
            module.RemoveAt(i);
            module.WriteToFile(fileName);
            return true;
        }
    }
    return false;
}

} // namespace pictavo
