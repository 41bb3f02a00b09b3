// The window's settings between runs: QSettings in native format, organisation
// "Vantrel", application "Pictavo", group "4.x/wnd_pictavo_Main".
#pragma once

#include <QString>
#include <optional>

// The words a boolean is read from: "TRUE", "YES", "Y" and "FALSE", "NO", "N" (any
// case); anything else is no value, so the window keeps its default.
std::optional<bool> ReadBooleanWord(const QString& text);
// "TRUE" or "FALSE".
QString BooleanWord(bool value);

// The settings group of the main window.
extern const char* const SettingsGroup;
