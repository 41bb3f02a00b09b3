#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap DrawProgramIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), unit));
    painter.setBrush(QColor(0xF0, 0xF0, 0xF0));
    painter.drawRoundedRect(QRectF(1.5 * unit, 1.5 * unit, 29 * unit, 29 * unit), 4 * unit,
                            4 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2A, 0x6F, 0xD6));
    painter.drawRect(QRectF(6 * unit, 6 * unit, 9 * unit, 9 * unit));
    painter.setBrush(QColor(0xE8, 0x9A, 0x1E));
    painter.drawRect(QRectF(17 * unit, 6 * unit, 9 * unit, 9 * unit));
    painter.setBrush(QColor(0x3C, 0xA0, 0x4A));
    painter.drawRect(QRectF(6 * unit, 17 * unit, 9 * unit, 9 * unit));
    painter.setBrush(QColor(0x80, 0x80, 0x80));
    painter.drawRect(QRectF(17 * unit, 17 * unit, 9 * unit, 9 * unit));
    return pixmap;
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(DrawProgramIcon(size));
    return icon;
}
