#include "app/IconThumbnail.h"

#include "app/TileIcon.h"
#include "app/TileRules.h"

#include <QEvent>
#include <QPainter>

TIconThumbnail::TIconThumbnail(QWidget* parent) : TThumbnail(parent) {
    FitToIconSize();
}

void TIconThumbnail::SetIconSize(int value) {
    FIconSize = pictavo::ValidTileIconSize(value);
    FitToIconSize();
    update();
}

void TIconThumbnail::FitToIconSize() {
    const int side = pictavo::TileSide(FIconSize, fontMetrics().height());
    setFixedSize(side, side);
}

void TIconThumbnail::changeEvent(QEvent* event) {
    TThumbnail::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitToIconSize();
}

void TIconThumbnail::SetModuleName(const std::string& value) {
    FModuleName = value;
    SetIconIndex(0);
}

void TIconThumbnail::SetIconIndex(int value) {
    FIconIndex = value;
    update();
}

void TIconThumbnail::DrawContent(QImage& tile) {
    const TTileIcon icon =
        RenderTileIcon(FModuleName, FIconIndex, FIconSize, width(), tile.devicePixelRatio());
    if (!icon.Image.isNull())
        QPainter(&tile).drawImage(icon.Place, icon.Image);
}
