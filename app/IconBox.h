// IconBox: the image list beside the icon view. One item per image of the window's
// icon, each drawn at its own size with the caption "[i] W x H - Nbit" centred under it.
// An item's text is the image's index inside the icon, so the list may skip images (the
// 32-bit filter) and still name the right one.
#pragma once

#include "util/Color.h"

#include <QListWidget>
#include <functional>
#include <QStyledItemDelegate>

namespace pictavo {
class TMultiIcon;
}

class TIconBox : public QListWidget {
    Q_OBJECT
public:
    explicit TIconBox(QWidget* parent = nullptr);

    // The icon whose images the items show (the window's FIcon); not owned.
    void SetIcon(pictavo::TMultiIcon* icon) { FIcon = icon; }
    pictavo::TMultiIcon* Icon() const { return FIcon; }

    // Clears the list and adds one item per image of the icon, in one batch; with
    // only32Bit, images below 32 bits per pixel are left out.
    void ListImages(bool only32Bit);
    // The image index of the selected item, or -1 when none is selected.
    int SelectedImageIndex() const;
    // The width the list needs to show its widest item whole (image and caption, with
    // the vertical scroll bar and the frame): what its panel is widened to.
    int WidthForItems() const;

    // The background of the items (the palette's base colour).
    pictavo::TColor Color() const;
    void SetColor(pictavo::TColor color);

    // What a drag of the selected image carries (the window's PNG of it); none when unset.
    std::function<QMimeData*()> MakeDragData;

protected:
    // Ctrl+C copies the image (the window's command), not the item's caption.
    bool event(QEvent* event) override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    // A drag out copies the image: the item stays, whatever the drop target answers (a
    // file manager answers "move" on the same disk, and the list's own drag then removes).
    void startDrag(Qt::DropActions supportedActions) override;
    QStringList mimeTypes() const override;
    // IconBoxMouseDown: the right button selects the item under the pointer, or none
    // below the last item, before the context menu opens.
    void mousePressEvent(QMouseEvent* event) override;

private:
    pictavo::TMultiIcon* FIcon = nullptr;
};

// Measures and paints the items of a TIconBox.
class TIconBoxDelegate : public QStyledItemDelegate {
public:
    explicit TIconBoxDelegate(TIconBox* box) : QStyledItemDelegate(box), FBox(box) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The item's height: its image's height + the text height + 15.
    int IconBoxMeasureItem(int imageIndex) const;
    // The item drawn into its own pixels: the fill, the image, the caption.
    // At `ratio` device pixels per pixel (2 on HiDPI).
    QImage IconBoxDrawItem(int imageIndex, QSize size, bool selected, qreal ratio = 1) const;

private:
    TIconBox* FBox;
};

// Draws image `imageIndex` of the icon at its own size with its top left corner at
// (left, top) of the ARGB32 image, composited by the core as an icon is drawn.
void DrawIconImage(pictavo::TMultiIcon& icon, int imageIndex, QImage& canvas, int left, int top);

// The image index an item text names: the number, or 0 when it is not one.
int IconBoxImageIndex(const QString& itemText);
// "[i] W x H - Nbit".
QString IconBoxCaption(int imageIndex, int width, int height, int bitsPerPixel);
// imageHeight + textHeight + 15.
int IconBoxItemHeight(int imageHeight, int textHeight);
