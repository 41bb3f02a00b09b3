#pragma once
// The file work of the export commands, without any dialog: whole icons into a folder,
// one image as .ico (or .png for a PNG image), a rendered bitmap as .bmp. Every file
// is written whole or not at all; write errors propagate to the caller.

#include "icons/AlphaBitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

class TMultiIcon;

// Loads icon `iconIndex` of the module (or the whole file as an icon file) and writes
// all its images into the folder under IconExportName. An existing file is replaced.
// Returns the path written; an error of the load propagates.
std::string SaveIconIntoFolder(const std::string& folder, const std::string& moduleName,
                               int iconIndex);
// The same for the icon loaded already from that module and index.
std::string SaveIconIntoFolder(TMultiIcon& icon, const std::string& folder,
                               const std::string& moduleName, int iconIndex);

// Writes image `imageIndex` of the icon as a single-image .ico file through its icon
// handle. A PNG image, which has no icon handle, is written as an .ico file whose one
// entry holds the PNG data. Returns the path written (`fileName`). Any other image
// without an icon handle raises the handle's error and writes nothing.
std::string SaveImageAsIcon(TMultiIcon& icon, int imageIndex, const std::string& fileName);

// Writes the bitmap as a 32-bit Windows bitmap file.
void SaveBitmapFile(TAlphaBitmap& bitmap, const std::string& fileName);

// Writes the bytes as the whole new content of the file, through a temporary file in
// its folder, so a failed write leaves no partial file and never writes through a link.
void WriteExportFile(const std::string& fileName, const std::vector<uint8_t>& bytes);

} // namespace pictavo
