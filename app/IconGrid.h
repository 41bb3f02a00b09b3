// TIconGrid: the icon view's scroll box and the tiles in it. The tiles are plain data
// (TTileList) painted by the view itself, so a view of 100 000 icons costs a few bytes per
// tile. Tile icons come from a cache of painted icons with a fixed memory budget, filled
// by a renderer thread; a tile whose icon is not ready yet shows its frame and caption
// and gets its icon as soon as it is rendered. The wheel scrolls as TWheelScrollBox does.
#pragma once

#include "app/BoundedCache.h"
#include "app/TileGrid.h"
#include "app/TileList.h"
#include "app/TilePainter.h"
#include "app/TileRenderer.h"
#include "app/TileSelection.h"
#include "app/WheelScrollBox.h"

class TIconGrid : public TWheelScrollBox {
    Q_OBJECT
public:
    // Painted icons kept at most: about 60 screens of 32-px tiles, 6 of 256-px ones on HiDPI.
    static constexpr size_t CacheBudget = 64u << 20;

    explicit TIconGrid(QWidget* parent = nullptr);

    pictavo::TTileList& Tiles() { return FTiles; }
    const pictavo::TTileList& Tiles() const { return FTiles; }
    // After the tiles changed: new scroll range, repaint.
    void TilesChanged();

    int IconSize() const { return FIconSize; }
    void SetIconSize(int iconSize);
    int TileSide() const;
    pictavo::TTileGrid Grid() const;
    // The tile's place in the scrolled area.
    QRect TileRect(int position) const;
    // The tile under a point of the viewport, or -1.
    int TileAt(const QPoint& point) const;

    pictavo::TColor Color() const { return FColor; }
    void SetColor(pictavo::TColor color);
    // The caption of tile n, "%1" standing for its number.
    void SetCaptionFormat(const QString& format) { FCaptionFormat = format; }
    QString Caption(int position) const;
    // The width of the widest caption the tiles may show (their largest number written
    // with the font's widest digit): the tiles are made wide enough for it.
    int WidestCaptionWidth() const;
    // The tile the keyboard focus is on gets the focus frame; it is scrolled into sight.
    void FocusTile(int position);
    int HoverTile() const { return FHover; }

    // Icons waiting to be rendered, and the cache of painted ones.
    int WaitingIcons() const { return FRenderer->Waiting(); }
    const pictavo::TBoundedCache<TTileKey, TTileIcon, TTileKeyHash>& Cache() const {
        return FCache;
    }

signals:
    // A left click, Space or Enter; Ctrl and Shift make it a toggle or a range, and
    // Shift with a key that moves the focus extends the range to the new tile.
    void tileClicked(int position, pictavo::TTileClick click = pictavo::TTileClick::Only);
    // The right button went down over the tile (the context menu follows).
    void tileRightClicked(int position);
    // The tile was pressed and dragged: the window starts the drag of its icon.
    void tileDragged(int position);
    // Ctrl+wheel or Ctrl+plus/minus: the icons `steps` sizes larger (smaller when negative).
    void iconSizeStepped(int steps);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TTileKey KeyOf(int position) const;
    TTileLook LookOf(int position) const;
    // Asks the renderer for the icons in sight that the cache does not hold.
    void WantVisibleIcons();
    void SetHover(int position);

    pictavo::TTileList FTiles;
    pictavo::TBoundedCache<TTileKey, TTileIcon, TTileKeyHash> FCache{CacheBudget};
    TTileRenderer* FRenderer;
    int FIconSize = 32;
    pictavo::TColor FColor = 0xF0F0F0;
    QString FCaptionFormat = "%1";
    int FHover = -1;
    int FPressed = -1;
    QPoint FPressPoint; // where the left button went down, for telling a drag
    int FFocus = -1;
    int FSizeWheelDelta = 0; // Ctrl+wheel movement short of a notch
    struct TMeasuredCaption {
        int Digits = -1;
        QString Format;
        QFont Font;
        int Width = 0;
    };
    mutable TMeasuredCaption FMeasured;
};

// One tile of the view as the window's commands see it; invalid past the last tile.
class TThumbRef {
public:
    TThumbRef() = default;
    TThumbRef(TIconGrid* grid, int position);

    explicit operator bool() const { return FGrid != nullptr; }
    // Thumb(i)->Caption() reads as it did when every tile was a widget.
    const TThumbRef* operator->() const { return this; }
    int Position() const { return FPosition; }

    const std::string& ModuleName() const;
    int IconIndex() const;
    void SetIconIndex(int value) const;
    // The position the tile was placed at; its caption shows it.
    int Index() const;
    QString Caption() const;
    QString toolTip() const;
    bool Selected() const;
    void SetSelected(bool value) const;
    pictavo::TColor Color() const;

private:
    TIconGrid* FGrid = nullptr;
    int FPosition = -1;
};
