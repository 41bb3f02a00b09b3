// The window's cursor decisions and texts that need no widget: which pack "保存为 Linux
// 光标主题…" takes, and the captions of cursor images and of the playing step.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstdint>

// The cursor pack the command takes: the .inf file the user opened while its folder is
// the folder listed, else the folder listed (whose .inf, if any, names the roles); ""
// when no folder is listed.
QString CursorPackSource(const QString& listedFolder, const QString& openedInf);

// Whether the path is an .inf file (a pack's installer), whatever the case.
bool IsInfFileName(const QString& path);

class CursorTexts {
    Q_DECLARE_TR_FUNCTIONS(TCursorPlayer)
public:
    // An image caption with the hotspot of a cursor image: "[0] 32 x 32 - 32bit · 热点 5,3".
    static QString WithHotspot(const QString& caption, uint32_t x, uint32_t y);
    // The step playing: "第 2/5 步 · 帧 1 · 200 毫秒": the step counted from 1, the frame
    // by its index, as its tile is numbered.
    static QString Step(size_t step, size_t steps, int frame, uint32_t delayMs);
};
