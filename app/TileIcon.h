// The icon a tile shows, rendered once into its own pixels: the image of the icon that
// best fits the tile's icon size in device pixels, scaled down smoothly when larger, and
// where it goes on the tile. Needs no widget, so it can run off the window's thread.
#pragma once

#include <QImage>
#include <QRect>
#include <string>

namespace pictavo {
class TFileIconLoader;
}

namespace pictavo {
class TFileIconLoader;
}

struct TTileIcon {
    QImage Image; // premultiplied ARGB with its device pixel ratio set; null: no icon
    QRect Place;  // in the tile's logical pixels
};

// Icon `iconIndex` of the file for a tile `tileSide` logical pixels wide showing icons of
// `iconSize`, on a screen of `ratio` device pixels per pixel. A file that gives no icon
// gives a null image; never raises. A loader keeps the last module open between calls.
TTileIcon RenderTileIcon(const std::string& moduleName, int iconIndex, int iconSize, int tileSide,
                         qreal ratio, pictavo::TFileIconLoader* loader = nullptr);
