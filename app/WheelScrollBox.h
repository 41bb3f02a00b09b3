// TWheelScrollBox: the scroll box around the icon tiles. Wheel movement is gathered in
// units of 120 (one notch); each full notch scrolls one scroll-bar step, and movement
// made while a key or mouse button is held is used up without scrolling.
#pragma once

#include <QScrollArea>

class TWheelScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TWheelScrollBox(QWidget* parent = nullptr);

    int WheelDelta() const { return FWheelDelta; }

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    int FWheelDelta = 0;
};

// Adds `delta` to the gathered movement and takes whole notches out of it. Returns the
// number of steps to scroll: positive towards the end (the wheel turned towards the
// user), negative towards the start. A remainder below one notch stays gathered.
int TakeWheelSteps(int& wheelDelta, int delta);
