#include "app/WheelScrollBox.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

namespace {
constexpr int WheelNotch = 120;
}

int TakeWheelSteps(int& wheelDelta, int delta) {
    wheelDelta += delta;
    int steps = 0;
    while (std::abs(wheelDelta) >= WheelNotch) {
        if (wheelDelta < 0) {
            wheelDelta += WheelNotch;
            ++steps;
        } else {
            wheelDelta -= WheelNotch;
            --steps;
        }
    }
    return steps;
}

TWheelScrollBox::TWheelScrollBox(QWidget* parent) : QScrollArea(parent) {}

void TWheelScrollBox::wheelEvent(QWheelEvent* event) {
    const QPoint pointer = mapFromGlobal(event->globalPosition().toPoint());
    if (!rect().contains(pointer)) {
        event->ignore();
        return;
    }
    const int steps = TakeWheelSteps(FWheelDelta, event->angleDelta().y());
    const bool held = event->modifiers() != Qt::NoModifier || event->buttons() != Qt::NoButton;
    if (held && steps != 0) {
        event->ignore(); // the notches are used up without scrolling
        return;
    }
    event->accept();
    if (held)
        return;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + steps * bar->singleStep());
}
