#include "app/CursorRules.h"

#include <QDir>
#include <QFileInfo>

QString CursorPackSource(const QString& listedFolder, const QString& openedInf) {
    if (listedFolder.isEmpty())
        return {};
    if (!openedInf.isEmpty() && QDir::cleanPath(QFileInfo(openedInf).absolutePath()) ==
                                    QDir::cleanPath(QFileInfo(listedFolder).absoluteFilePath()))
        return openedInf;
    return listedFolder;
}

bool IsInfFileName(const QString& path) {
    return path.endsWith(".inf", Qt::CaseInsensitive);
}

QString CursorTexts::WithHotspot(const QString& caption, uint32_t x, uint32_t y) {
    return tr("%1 · 热点 %2,%3").arg(caption).arg(x).arg(y);
}

QString CursorTexts::Step(size_t step, size_t steps, int frame, uint32_t delayMs) {
    return tr("第 %1/%2 步 · 帧 %3 · %4 毫秒").arg(step + 1).arg(steps).arg(frame).arg(delayMs);
}
