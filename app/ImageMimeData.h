// What a copy or a drag of an image gives other programs: the PNG file's bytes as
// "image/png" (alpha kept, for image editors), the picture itself (for programs that
// take Qt's image data), and, when the image was written to a file, that file's URI
// (file managers copy it into the folder it is dropped on).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QMimeData;

// A new QMimeData the caller owns; filePath may be empty.
QMimeData* ImageMimeData(const std::vector<uint8_t>& png, const QString& filePath);
// The same for several files (tiles dragged or copied together); an empty png gives
// the files alone.
QMimeData* FilesMimeData(const QStringList& filePaths, const std::vector<uint8_t>& png);
