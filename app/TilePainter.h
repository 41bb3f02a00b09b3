// How one tile of the icon view looks: a framed fill whose colour tells its state
// (selected or pressed beats hover, hover beats plain), the icon at the top, the
// caption in a strip at the bottom, and a dotted focus frame on the tile with the focus.
#pragma once

#include "app/TileIcon.h"
#include "util/Color.h"

#include <QFont>
#include <QPalette>
#include <QString>

class QPainter;

struct TTileLook {
    bool Selected = false;
    bool Pressed = false; // the left button is held on it
    bool Hover = false;
    bool Focus = false;
    pictavo::TColor Color = 0xF0F0F0;
    pictavo::TColor SelectedColor = 0xF0EEED;
    pictavo::TColor OnMouseColor = 0xF0CAA6;
    pictavo::TColor PressColor = 0xF0CAA6;
    pictavo::TColor BorderColor = 0x808080;
};

// The fill by state: selected, pressed, under the pointer, plain.
pictavo::TColor TileFillColor(const TTileLook& look);

// Paints the tile into `rect`. A null icon image draws no icon.
void PaintTile(QPainter& painter, const QRect& rect, const TTileLook& look, const TTileIcon& icon,
               const QString& caption, const QPalette& palette, const QFont& font);
