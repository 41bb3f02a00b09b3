// TCursorPlayer: the animated cursor of the selected tile, playing at its own speed above
// the image list (each step for its own delay, in order, round and round), with its
// hotspot marked and the step, frame and delay under it. Which step plays when is the
// core's (cursors/CursorDisplay); the widget only draws.
#pragma once

#include "util/Color.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QPainter;
class QPointF;
namespace pictavo {
struct TAnimatedCursor;
}

class TCursorPlayer : public QWidget {
    Q_OBJECT
public:
    explicit TCursorPlayer(QWidget* parent = nullptr);
    ~TCursorPlayer() override;

    // Plays the cursor from its first step, and shows the player.
    void Play(std::shared_ptr<const pictavo::TAnimatedCursor> cursor);
    // Stops and hides the player.
    void Stop();
    bool Playing() const { return FCursor != nullptr; }
    // The step on the screen; 0 when none plays.
    size_t CurrentStep() const { return FStep; }
    // When the next step begins, in milliseconds; -1 when nothing more changes.
    int MsToNextStep() const { return FTimer.isActive() ? FTimer.remainingTime() : -1; }

    void SetColor(pictavo::TColor color);

    QSize sizeHint() const override;
    // The player as it shows now: the step's image, its hotspot, its caption.
    QImage Render(qreal ratio = 1) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowStepNow();
    // The size the cursor's images are drawn at, the same for every step.
    int DrawnSize() const;

    std::shared_ptr<const pictavo::TAnimatedCursor> FCursor;
    size_t FStep = 0;
    QElapsedTimer FClock;
    QTimer FTimer;
    pictavo::TColor FColor = 0xF0F0F0;
};

// A ring around the point where a cursor's hotspot lies, seen on any background.
void DrawHotspotMark(QPainter& painter, const QPointF& at);
