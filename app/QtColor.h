// Colours are kept as the program's 0x00BBGGRR values; Qt wants QColor.
#pragma once

#include "util/Color.h"

#include <QColor>

inline QColor ToQColor(pictavo::TColor color) {
    return QColor(pictavo::GetRValue(color), pictavo::GetGValue(color), pictavo::GetBValue(color));
}

inline pictavo::TColor FromQColor(const QColor& color) {
    return pictavo::RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                        static_cast<uint8_t>(color.blue()));
}
