#pragma once
// Colours are 0x00BBGGRR, as the program stores and compares them.

#include <cstdint>

namespace pictavo {

using TColor = uint32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr uint8_t GetRValue(TColor c) {
    return static_cast<uint8_t>(c);
}
constexpr uint8_t GetGValue(TColor c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t GetBValue(TColor c) {
    return static_cast<uint8_t>(c >> 16);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

// The text colour that reads on `background`: black on light colours, white on dark ones
// (by perceived lightness, 0.299 R + 0.587 G + 0.114 B).
constexpr TColor CaptionColorOn(TColor background) {
    const unsigned lightness =
        299u * GetRValue(background) + 587u * GetGValue(background) + 114u * GetBValue(background);
    return lightness >= 128u * 1000u ? clBlack : clWhite;
}

} // namespace pictavo
