#pragma once
// The colours the program names: the colour picker lists the sixteen standard ones and the
// colour dialog writes any of them as "cl" + name.

#include "util/Color.h"

namespace pictavo {

struct TNamedColor {
    TColor Value;
    const char* Name;
};

// The sixteen standard colours first, then four more that only the dialog names.
inline constexpr TNamedColor NamedColors[] = {
    {0x000000, "Black"}, {0x000080, "Maroon"},     {0x008000, "Green"},  {0x008080, "Olive"},
    {0x800000, "Navy"},  {0x800080, "Purple"},     {0x808000, "Teal"},   {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},       {0x00FF00, "Lime"},   {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},  {0xFF00FF, "Fuchsia"},    {0xFFFF00, "Aqua"},   {0xFFFFFF, "White"},
    {0xC0DCC0, "MoneyGreen"}, {0xF0CAA6, "SkyBlue"}, {0xF0FBFF, "Cream"}, {0xA4A0A0, "MedGray"},
};
inline constexpr int StandardColorCount = 16;

// The window background, the picker's last named entry and its starting colour.
inline constexpr TColor BtnFaceColor = 0xF0F0F0;

} // namespace pictavo
