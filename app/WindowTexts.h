// The texts the window shows in its headers and status bar, made without widgets so
// that tests check them directly. They translate in the window's own context.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdint>

class WindowTexts {
    Q_DECLARE_TR_FUNCTIONS(Twnd_pictavo_Main)
public:
    // The icon view's header for the icons of one file: "shell32.dll - 7 图标".
    static QString FileIconsHeader(const QString& fileName, int icons);
    // The header for the icons of every listed file: "3 文件 - 7 图标".
    static QString FilesIconsHeader(int files, int icons);
    // The header once tiles were removed: "7 图标".
    static QString IconsHeader(int icons);
    // How every status text begins: "文件: 3    图标: 7    ".
    static QString StatusTotals(int files, int icons);
    // The search's time from two readings of the 32-bit tick counter (milliseconds):
    // "搜索时间: 1 min, 5 s". Across the counter's wrap the difference is taken modulo 2^32,
    // so the time stays right instead of turning negative.
    static QString SearchTime(uint32_t startTick, uint32_t endTick);
};
