#include "app/TilePainter.h"

#include "app/QtColor.h"

#include <QFontMetrics>
#include <QPainter>

using pictavo::TColor;

TColor TileFillColor(const TTileLook& look) {
    if (look.Selected)
        return look.SelectedColor;
    if (look.Pressed)
        return look.PressColor;
    return look.Hover ? look.OnMouseColor : look.Color;
}

void PaintTile(QPainter& painter, const QRect& rect, const TTileLook& look, const TTileIcon& icon,
               const QString& caption, const QPalette& palette, const QFont& font) {
    painter.save();
    const bool raised = look.Pressed || look.Selected || look.Hover;
    painter.fillRect(rect, raised ? palette.color(QPalette::Dark) : ToQColor(look.BorderColor));
    const TColor fill = TileFillColor(look);
    painter.fillRect(rect.adjusted(1, 1, -1, -1), ToQColor(fill));
    // The selected fill is barely lighter than the panel: the highlight frame marks it.
    if (look.Selected) {
        painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    }
    if (!icon.Image.isNull())
        painter.drawImage(icon.Place.translated(rect.topLeft()), icon.Image);
    if (look.Focus) {
        painter.setPen(QPen(palette.color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(2, 2, -3, -3));
    }
    painter.setFont(font);
    const QFontMetrics metrics(font);
    QRect strip = rect.adjusted(3, 3, -3, -3);
    strip.setTop(strip.bottom() + 1 - metrics.height());
    // One line, ending in an ellipsis when it does not fit; "&" stays a literal ampersand.
    const QString text = metrics.elidedText(caption, Qt::ElideRight, strip.width());
    painter.setPen(ToQColor(pictavo::CaptionColorOn(fill)));
    painter.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}
