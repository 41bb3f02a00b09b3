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
    MemoryStream bytes;
    icon.SaveToStream(&bytes);
    const std::string path = PathInFolder(folder, IconExportName(moduleName, iconIndex));
    WriteExportFile(path, bytes.Bytes());
    return path;
}

std::string SaveImageAsIcon(TMultiIcon& icon, int imageIndex, const std::string& fileName) {
    std::unique_ptr<platform::IconHandle> handle;
    try {
        handle = icon.CreateIconHandle(imageIndex);
    } catch (const EOutOfResources&) {
        const TMultiIconImage image = icon.GetIconData(imageIndex);
        if (!image.IsPng || !image.Png)
            throw;
        const std::string pngName = ChangeFileExt(fileName, ".png");
        WriteExportFile(pngName, image.Png->SaveToBytes());
        return pngName;
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
