// The hourglass for the length of a command, restored on every path.
#pragma once

#include <QCursor>
#include <QGuiApplication>

class CursorGuard {
public:
    CursorGuard() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~CursorGuard() { QGuiApplication::restoreOverrideCursor(); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;
};
