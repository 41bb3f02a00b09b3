#include "app/WindowTexts.h"

#include "util/ElapsedTime.h"

QString WindowTexts::FileIconsHeader(const QString& fileName, int icons) {
    return tr("%1 - %n 图标", nullptr, icons).arg(fileName);
}

QString WindowTexts::FilesIconsHeader(int files, int icons) {
    return tr("%1 文件 - %n 图标", nullptr, icons).arg(files);
}

QString WindowTexts::IconsHeader(int icons) {
    return tr("%n 图标", nullptr, icons);
}

QString WindowTexts::StatusTotals(int files, int icons) {
    return tr("文件: %1    图标: %2    ").arg(files).arg(icons);
}

QString WindowTexts::SearchTime(uint32_t startTick, uint32_t endTick) {
    const uint32_t elapsedMs = endTick - startTick;
    const double seconds = static_cast<double>(elapsedMs / 1000);
    return tr("搜索时间: %1").arg(QString::fromStdString(pictavo::FormatElapsedTime(seconds)));
}
