#include "library/IconExport.h"

#include "icons/ExportNames.h"
#include "icons/IconHandleFile.h"
#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "util/AtomicFile.h"
#include "util/Stream.h"

namespace pictavo {

void WriteExportFile(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    WriteFileAtomically(fileName, bytes);
}

std::string SaveIconIntoFolder(const std::string& folder, const std::string& moduleName,
                               int iconIndex) {
    TMultiIcon icon;
    icon.SetDrawAllImages(false);
    LoadFileIcon(icon, moduleName, iconIndex);
    return SaveIconIntoFolder(icon, folder, moduleName, iconIndex);
}

std::string SaveIconIntoFolder(TMultiIcon& icon, const std::string& folder,
                               const std::string& moduleName, int iconIndex) {
    MemoryStream bytes;
    icon.SaveToStream(&bytes);
    const std::string path = PathInFolder(folder, IconExportName(moduleName, iconIndex));
    WriteExportFile(path, bytes.Bytes());
    return path;
}

namespace {

// The one image as an .ico file whose entry holds the image's own data: PNG data stays
// PNG data, as Windows has read it in icons since 2007.
std::vector<uint8_t> SingleImageIconBytes(const TMultiIcon& icon, int imageIndex) {
    TMultiIcon single;
    single.Assign(&icon);
    for (int i = single.IconCount() - 1; i >= 0; --i)
        if (i != imageIndex)
            single.DeleteIcon(i);
    MemoryStream bytes;
    single.SaveAsIconToStream(&bytes);
    return bytes.TakeBytes();
}

} // namespace

std::string SaveImageAsIcon(TMultiIcon& icon, int imageIndex, const std::string& fileName) {
    std::unique_ptr<platform::IconHandle> handle;
    try {
        handle = icon.CreateIconHandle(imageIndex);
    } catch (const EOutOfResources&) {
        const TMultiIconImage image = icon.GetIconData(imageIndex);
        if (!image.IsPng || !image.Png)
            throw;
        WriteExportFile(fileName, SingleImageIconBytes(icon, imageIndex));
        return fileName;
    }
    if (!handle)
        throw EOutOfResources("GDI object could not be created.");
    WriteExportFile(fileName, IconHandleFileBytes(*handle));
    return fileName;
}

void SaveBitmapFile(TAlphaBitmap& bitmap, const std::string& fileName) {
    MemoryStream bytes;
    bitmap.SaveToStream(&bytes);
    WriteExportFile(fileName, bytes.Bytes());
}

} // namespace pictavo
