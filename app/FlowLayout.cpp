#include "app/FlowLayout.h"

#include <QWidget>
#include <algorithm>

FlowLayout::FlowLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item) {
    FItems.append(item);
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < FItems.size() ? FItems.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < FItems.size() ? FItems.takeAt(index) : nullptr;
}

int FlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : FItems)
        size = size.expandedTo(item->minimumSize());
    return size + QSize(2 * ItemMargin, 2 * ItemMargin);
}

QSize FlowLayout::sizeHint() const {
    return minimumSize();
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x(), y = area.y(), rowHeight = 0;
    for (QLayoutItem* item : FItems) {
        if (item->isEmpty())
            continue; // hidden widgets take no place
        const QSize size = item->sizeHint();
        const int outerWidth = size.width() + 2 * ItemMargin;
        if (x > area.x() && x + outerWidth > area.right() + 1) {
            x = area.x();
            y += rowHeight;
            rowHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(QPoint(x + ItemMargin, y + ItemMargin), size));
        x += outerWidth;
        rowHeight = std::max(rowHeight, size.height() + 2 * ItemMargin);
    }
    return y + rowHeight - rect.y() + contentsMargins().bottom();
}
