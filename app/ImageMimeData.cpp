#include "app/ImageMimeData.h"

#include <QByteArray>
#include <QImage>
#include <QMimeData>
#include <QUrl>

QMimeData* ImageMimeData(const std::vector<uint8_t>& png, const QString& filePath) {
    return FilesMimeData(filePath.isEmpty() ? QStringList() : QStringList{filePath}, png);
}

QMimeData* FilesMimeData(const QStringList& filePaths, const std::vector<uint8_t>& png) {
    auto* data = new QMimeData;
    if (!png.empty()) {
        const QByteArray bytes(reinterpret_cast<const char*>(png.data()),
                               static_cast<qsizetype>(png.size()));
        data->setData("image/png", bytes);
        data->setImageData(QImage::fromData(bytes, "PNG"));
    }
    QList<QUrl> urls;
    for (const QString& path : filePaths)
        urls.append(QUrl::fromLocalFile(path));
    if (!urls.isEmpty())
        data->setUrls(urls);
    return data;
}
