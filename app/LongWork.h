// Runs a long command's work on a thread of its own while the window keeps answering:
// it repaints, and after half a second shows the progress (done / total, the item at
// hand) with a button that cancels. Other input to the window waits until the work ends,
// so nothing changes under it.
#pragma once

#include "app/WorkProgress.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

class TLongWork : public QObject {
    Q_OBJECT
public:
    explicit TLongWork(QWidget* window);

    // Called with each new progress before the work starts (tests cancel with it).
    std::function<void(TWorkProgress&)> OnStart;

    // Runs `work` and returns true when it ran to its end, false when it was cancelled.
    // An error of the work is raised again here.
    bool Run(const QString& title, const std::function<void(TWorkProgress&)>& work);

private:
    QWidget* FWindow;
};
