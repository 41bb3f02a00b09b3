#include "app/StartPath.h"

#include <QFileInfo>

std::optional<TStartPath> StartPathOf(const QString& argument) {
    const QFileInfo info(argument);
    if (argument.isEmpty() || !info.exists())
        return std::nullopt;
    if (info.isDir())
        return TStartPath{info.absoluteFilePath(), QString()};
    return TStartPath{info.absolutePath(), info.absoluteFilePath()};
}

QString NearestExistingFolder(const QString& folder) {
    QString candidate = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(candidate).isDir()) {
        const QString parent = QFileInfo(candidate).absolutePath();
        if (parent == candidate)
            return "/";
        candidate = parent;
    }
    return candidate;
}
