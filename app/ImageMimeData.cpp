#include "app/ImageMimeData.h"

#include <QByteArray>
#include <QImage>
#include <QMimeData>
#include <QUrl>

QMimeData* ImageMimeData(const std::vector<uint8_t>& png, const QString& filePath) {
    auto* data = new QMimeData;
    const QByteArray bytes(reinterpret_cast<const char*>(png.data()),
                           static_cast<qsizetype>(png.size()));
    data->setData("image/png", bytes);
    data->setImageData(QImage::fromData(bytes, "PNG"));
    if (!filePath.isEmpty())
        data->setUrls({QUrl::fromLocalFile(filePath)});
    return data;
}
