#include "app/Thumbnail.h"

#include "app/QtColor.h"

#include <QCursor>

#include <QMouseEvent>
#include <QPainter>

using pictavo::TColor;

TThumbnail::TThumbnail(QWidget* parent) : QAbstractButton(parent) {
    FColor = FromQColor(palette().color(QPalette::Button));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

void TThumbnail::SetSelected(bool value) {
    FSelected = value;
    update();
}

void TThumbnail::SetSelectedColor(TColor value) {
    FSelectedColor = value;
    update();
}

void TThumbnail::SetColor(TColor value) {
    FColor = value;
    update();
}

void TThumbnail::SetBorderColor(TColor value) {
    FBorderColor = value;
    update();
}

void TThumbnail::paintEvent(QPaintEvent*) {
    // The tile is painted into 32-bit pixels (blue, green, red, alpha in memory) so that
    // the core can composite onto them.
    // At the screen's own pixel density (two device pixels per pixel on HiDPI), so the
    // icon and the caption stay sharp.
    const qreal ratio = devicePixelRatioF();
    QImage tile(size() * ratio, QImage::Format_ARGB32);
    tile.setDevicePixelRatio(ratio);
    DrawFrameAndFill(tile);
    DrawContent(tile);
    // Like a screen, the tile has no transparency: the core leaves the fourth byte of an
    // image below 32 bits undefined, so Qt is told the pixels are opaque.
    tile.reinterpretAsFormat(QImage::Format_RGB32);
    tile.convertTo(QImage::Format_ARGB32);
    DrawFocusAndCaption(tile);
    QPainter(this).drawImage(0, 0, tile);
}

void TThumbnail::DrawContent(QImage&) {}

void TThumbnail::DrawFrameAndFill(QImage& tile) const {
    QPainter painter(&tile);
    QRect r = rect();
    const QColor shadow = palette().color(QPalette::Dark);
    auto frame = [&](const QColor& pen, TColor brush) {
        painter.fillRect(r, pen);
        painter.fillRect(r.adjusted(1, 1, -1, -1), ToQColor(brush));
    };
    const bool raised = isDown() || FSelected || ShowsHover();
    frame(raised ? shadow : ToQColor(FBorderColor), FillColor());
    // The selected fill is barely lighter than the panel: the highlight frame marks it.
    if (FSelected) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(r).adjusted(1, 1, -1, -1));
    }
}

TColor TThumbnail::FillColor() const {
    if (FSelected)
        return FSelectedColor;
    if (isDown())
        return FPressColor;
    return ShowsHover() ? FOnMouseColor : FColor;
}

bool TThumbnail::ShowsHover() const {
    // A popup or dialog that took the pointer away sends no leave event: the pointer's
    // real place decides.
    return FMouseInside && rect().contains(mapFromGlobal(QCursor::pos()));
}

void TThumbnail::DrawFocusAndCaption(QImage& tile) const {
    QPainter painter(&tile);
    painter.setFont(font());
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
    const QFontMetrics metrics(font());
    QRect strip = rect().adjusted(3, 3, -3, -3);
    strip.setTop(strip.bottom() + 1 - metrics.height());
    // One line, ending in an ellipsis when it does not fit; "&" stays a literal ampersand.
    const QString caption = metrics.elidedText(text(), Qt::ElideRight, strip.width());
    painter.setPen(ToQColor(pictavo::CaptionColorOn(FillColor())));
    painter.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, caption);
}

void TThumbnail::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightClicked();
        return; // the context menu of the enclosing view follows
    }
    QAbstractButton::mousePressEvent(event);
}

void TThumbnail::enterEvent(QEnterEvent* event) {
    FMouseInside = true;
    repaint();
    QAbstractButton::enterEvent(event);
}

void TThumbnail::leaveEvent(QEvent* event) {
    FMouseInside = false;
    repaint();
    QAbstractButton::leaveEvent(event);
}

void TThumbnail::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        update();
}
