#include "app/CursorPlayer.h"

#include "app/CursorRules.h"
#include "app/IconBox.h"
#include "app/QtColor.h"
#include "cursors/AnimatedCursor.h"
#include "cursors/CursorDisplay.h"

#include <QPainter>
#include <algorithm>

using pictavo::TAnimatedCursor;
using pictavo::TMultiIcon;

namespace {

// Small cursors are drawn larger, by a whole factor, so that their pixels and the hotspot
// can be seen; the player stays this tall at most.
constexpr int ShownSize = 64;
constexpr int LargestShownSize = 128;
constexpr int Margin = 5;

// The largest image of a frame: what the player shows of each step.
int LargestImage(const TMultiIcon& frame) {
    int best = 0;
    for (int i = 1; i < frame.IconCount(); ++i)
        if (frame.GetIconWidth(i) > frame.GetIconWidth(best))
            best = i;
    return best;
}

} // namespace

TCursorPlayer::TCursorPlayer(QWidget* parent) : QWidget(parent) {
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { ShowStepNow(); });
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hide();
}

TCursorPlayer::~TCursorPlayer() = default;

void TCursorPlayer::Play(std::shared_ptr<const TAnimatedCursor> cursor) {
    FCursor = std::move(cursor);
    FClock.start();
    updateGeometry();
    show();
    ShowStepNow();
}

void TCursorPlayer::Stop() {
    FTimer.stop();
    FCursor.reset();
    FStep = 0;
    hide();
}

void TCursorPlayer::SetColor(pictavo::TColor color) {
    FColor = color;
    update();
}

void TCursorPlayer::ShowStepNow() {
    if (!FCursor)
        return;
    const pictavo::TPlaybackPosition at =
        pictavo::PlaybackPositionAt(FCursor->Steps, static_cast<uint64_t>(FClock.elapsed()));
    FStep = at.Step;
    if (at.MsToNext > 0)
        FTimer.start(static_cast<int>(at.MsToNext));
    update();
}

int TCursorPlayer::DrawnSize() const {
    int largest = 1;
    if (FCursor)
        for (const auto& frame : FCursor->Frames)
            largest = std::max(largest, frame->GetIconWidth(LargestImage(*frame)));
    if (largest > LargestShownSize)
        return LargestShownSize;
    return largest * std::clamp(ShownSize / largest, 1, 4);
}

QSize TCursorPlayer::sizeHint() const {
    return {DrawnSize() + 2 * Margin, DrawnSize() + fontMetrics().height() + 3 * Margin};
}

QImage TCursorPlayer::Render(qreal ratio) const {
    const QSize size = this->size().expandedTo(sizeHint());
    QImage shown(size * ratio, QImage::Format_ARGB32);
    shown.setDevicePixelRatio(ratio);
    shown.fill(ToQColor(FColor));
    if (!FCursor || FCursor->Steps.empty())
        return shown;
    const pictavo::TAniStep& step = FCursor->Steps[std::min(FStep, FCursor->Steps.size() - 1)];
    TMultiIcon& frame = *FCursor->Frames[static_cast<size_t>(step.Frame)];
    const int index = LargestImage(frame);
    const int width = frame.GetIconWidth(index), height = frame.GetIconHeight(index);

    // The image at its own size, composited by the core over the background, then drawn
    // larger without smoothing (or smaller, smoothly, when it is huge).
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32);
    image.fill(ToQColor(FColor));
    DrawIconImage(frame, index, image, 0, 0);
    const int drawn = DrawnSize();
    const double scale = static_cast<double>(drawn) / std::max(width, height);
    const QSize target(static_cast<int>(width * scale), static_cast<int>(height * scale));
    const QPoint origin(size.width() / 2 - target.width() / 2, Margin);
    QPainter painter(&shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale < 1);
    painter.drawImage(QRect(origin, target), image);

    const pictavo::TMultiIconImage stored = frame.GetIconData(index);
    const pictavo::TDrawnPoint hotspot = pictavo::HotspotInDrawnImage(
        stored.HotspotX, stored.HotspotY, width, height, target.width(), target.height());
    DrawHotspotMark(painter, QPointF(origin) + QPointF(hotspot.X, hotspot.Y));

    const QString caption = CursorTexts::Step(FStep, FCursor->Steps.size(), step.Frame,
                                              step.DelayMs());
    painter.setFont(font());
    painter.setPen(ToQColor(pictavo::CaptionColorOn(FColor)));
    painter.drawText(QRect(0, Margin + drawn + Margin, size.width(), fontMetrics().height()),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, caption);
    // A rule parts the playing cursor from the image list under it.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, size.height() - 1, size.width(), size.height() - 1);
    return shown;
}

void TCursorPlayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), Render(devicePixelRatioF()));
}

void DrawHotspotMark(QPainter& painter, const QPointF& at) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    // A light ring under a dark one: one of them stands out on any pixels.
    painter.setPen(QPen(Qt::white, 3));
    painter.drawEllipse(at, 4, 4);
    painter.setPen(QPen(QColor(220, 0, 0), 1.5));
    painter.drawEllipse(at, 4, 4);
    painter.restore();
}
