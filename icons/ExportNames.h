#pragma once
// The names the export commands give their files: the module's file name without its
// folder, cut at its last dot (the base), then the icon number and, for one image of an
// icon, the image number.

#include <string>

namespace pictavo {

// "my.app.dll" -> "my.app"; a name without a dot is taken whole.
std::string ExportBaseName(const std::string& moduleName);
// A whole icon: base + "_" + iconIndex + ".ico".
std::string IconExportName(const std::string& moduleName, int iconIndex);
// One image of an icon: base + "_" + iconIndex + "_" + imageIndex + extension (".ico", ".bmp").
std::string ImageExportName(const std::string& moduleName, int iconIndex, int imageIndex,
                            const std::string& extension);
// The file name with its extension (from the last dot of the name part) replaced.
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
// The folder and the file name joined with exactly one delimiter between them.
std::string PathInFolder(const std::string& folder, const std::string& fileName);
// Where a save dialog opens: the proposed name in the folder last used for that kind of
// file, or, before any was used, in the folder of the file the image comes from.
std::string SaveDialogStart(const std::string& lastFolder, const std::string& sourceFile,
                            const std::string& proposedName);
// The file name with `extension` added when its name part has none ("lib1" -> "lib1.icl").
std::string WithDefaultExtension(const std::string& fileName, const std::string& extension);

} // namespace pictavo
