#include "app/IconBox.h"

#include "app/CursorPlayer.h"
#include "app/CursorRules.h"
#include "app/QtColor.h"
#include "cursors/CursorDisplay.h"
#include "icons/MultiIcon.h"
#include "platform/Raster.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <exception>

using pictavo::TMultiIcon;
using pictavo::TMultiIconImage;

int IconBoxImageIndex(const QString& itemText) {
    bool ok = false;
    const int index = itemText.toInt(&ok);
    return ok ? index : 0;
}

QString IconBoxCaption(int imageIndex, int width, int height, int bitsPerPixel) {
    return QString("[%1] %2 x %3 - %4bit").arg(imageIndex).arg(width).arg(height).arg(bitsPerPixel);
}

int IconBoxItemHeight(int imageHeight, int textHeight) {
    // As tall as its image: a 256-px image keeps its caption below it.
    return imageHeight + textHeight + 15;
}

TIconBox::TIconBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TIconBoxDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setResizeMode(QListView::Adjust); // items are as wide as the list
    setUniformItemSizes(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setToolTip(tr("单击右键->菜单"));
    SetColor(0xF0F0F0);
    // An image dragged out becomes a PNG file in the folder it is dropped on.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

pictavo::TColor TIconBox::Color() const {
    return FromQColor(palette().color(QPalette::Base));
}

void TIconBox::SetColor(pictavo::TColor color) {
    QPalette colors = palette();
    colors.setColor(QPalette::Base, ToQColor(color));
    setPalette(colors);
    viewport()->update();
}

void TIconBox::ListImages(bool only32Bit) {
    setUpdatesEnabled(false);
    clear();
    QStringList texts;
    for (int i = 0; FIcon && i < FIcon->IconCount(); ++i)
        if (!only32Bit || FIcon->GetIconData(i).BitsPerPixel >= 32)
            texts << QString::number(i);
    addItems(texts);
    setUpdatesEnabled(true);
}

int TIconBox::SelectedImageIndex() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : IconBoxImageIndex(selected.first()->text());
}

int TIconBox::WidthForItems() const {
    int widest = 0;
    for (int i = 0; FIcon && i < count(); ++i) {
        const int image = IconBoxImageIndex(item(i)->text());
        const TMultiIconImage facts = FIcon->GetIconData(image);
        widest = std::max({widest, facts.Width,
                           fontMetrics().horizontalAdvance(IconBoxCaption(
                               image, facts.Width, facts.Height, facts.BitsPerPixel))});
    }
    if (widest == 0)
        return 0;
    // 4 px beside the item on each side; the scroll bar whenever the items are taller.
    return widest + 8 + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) +
           2 * frameWidth();
}

void TIconBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QListWidget::mousePressEvent(event);
        return;
    }
    QListWidgetItem* item = itemAt(event->position().toPoint());
    if (item)
        setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    else
        clearSelection();
}

int TIconBoxDelegate::IconBoxMeasureItem(int imageIndex) const {
    const TMultiIcon* icon = FBox->Icon();
    int width = 0, height = 0;
    if (icon)
        icon->GetIconDimensions(imageIndex, width, height);
    return IconBoxItemHeight(height, FBox->fontMetrics().height());
}

QSize TIconBoxDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    return {FBox->viewport()->width(),
            IconBoxMeasureItem(IconBoxImageIndex(index.data().toString()))};
}

// Through an icon handle, or a PNG image, which has none, by itself.
void DrawIconImage(TMultiIcon& icon, int imageIndex, QImage& item, int left, int top) {
    const auto canvas = pictavo::platform::Surface::View(
        item.bits(), item.width(), item.height(), static_cast<int>(item.bytesPerLine()), false);
    if (!canvas)
        return;
    const TMultiIconImage image = icon.GetIconData(imageIndex);
    try {
        const auto handle = icon.CreateIconHandle(imageIndex);
        if (handle)
            pictavo::platform::DrawIcon(*canvas, left, top, *handle);
    } catch (const std::exception&) {
        if (image.IsPng && image.Png)
            image.Png->Draw(*canvas, {left, top, left + image.Width, top + image.Height});
    }
}

QImage TIconBoxDelegate::IconBoxDrawItem(int imageIndex, QSize size, bool selected,
                                         qreal ratio) const {
    QImage item(size, QImage::Format_ARGB32);
    const QPalette& colors = FBox->palette();
    item.fill(selected ? colors.color(QPalette::Highlight) : ToQColor(FBox->Color()));
    TMultiIcon* icon = FBox->Icon();
    if (!icon || size.isEmpty())
        return item;
    // At its own size, centred, 5 px from the top.
    const int left = item.width() / 2 - icon->GetIconData(imageIndex).Width / 2;
    DrawIconImage(*icon, imageIndex, item, left, 5);
    // Like a screen, the item has no transparency of its own.
    item.reinterpretAsFormat(QImage::Format_RGB32);
    item.convertTo(QImage::Format_ARGB32);
    if (ratio != 1) {
        // On a HiDPI screen the image's pixels are doubled, not blurred, and the caption is
        // drawn at the screen's own density.
        item = item.scaled(item.size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        item.setDevicePixelRatio(ratio);
    }

    const TMultiIconImage image = icon->GetIconData(imageIndex);
    QString caption = IconBoxCaption(imageIndex, image.Width, image.Height, image.BitsPerPixel);
    if (icon->IsCursor())
        caption = CursorTexts::WithHotspot(caption, image.HotspotX, image.HotspotY);
    const QFontMetrics metrics(FBox->font());
    QPainter painter(&item);
    painter.setFont(FBox->font());
    painter.setPen(selected ? colors.color(QPalette::HighlightedText)
                            : ToQColor(pictavo::CaptionColorOn(FBox->Color())));
    const int x = size.width() / 2 - metrics.horizontalAdvance(caption) / 2;
    const int y = size.height() - metrics.height() - 5;
    // Not clipped: a caption mixing Latin and Chinese takes its line height from both
    // fonts, which can be taller than the box font's own.
    painter.drawText(QRect(x, y, metrics.horizontalAdvance(caption) + 1, metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     caption);
    if (icon->IsCursor()) {
        const pictavo::TDrawnPoint hotspot = pictavo::HotspotInDrawnImage(
            image.HotspotX, image.HotspotY, image.Width, image.Height, image.Width, image.Height);
        DrawHotspotMark(painter, QPointF(left + hotspot.X, 5 + hotspot.Y));
    }
    return item;
}

void TIconBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (option.rect.height() == 0)
        return;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QImage item =
        IconBoxDrawItem(IconBoxImageIndex(index.data().toString()), option.rect.size(), selected,
                        painter->device()->devicePixelRatioF());
    painter->drawImage(option.rect.topLeft(), item);
}

bool TIconBox::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->ignore(); // left to the shortcut of the window's copy command
        return true;
    }
    return QListWidget::event(event);
}

QMimeData* TIconBox::mimeData(const QList<QListWidgetItem*>&) const {
    return MakeDragData ? MakeDragData() : nullptr;
}

void TIconBox::startDrag(Qt::DropActions) {
    QMimeData* dragged = MakeDragData ? MakeDragData() : nullptr;
    if (dragged == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(dragged);
    drag->exec(Qt::CopyAction);
}

QStringList TIconBox::mimeTypes() const {
    return {"image/png", "text/uri-list"};
}
