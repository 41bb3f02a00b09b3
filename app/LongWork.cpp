#include "app/LongWork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <thread>

namespace {

// Holds back the user's input to the window (and its closing) while the work runs; the
// progress dialog still takes it.
class TInputHold : public QObject {
public:
    TInputHold(QWidget* window, TWorkProgress& progress) : FWindow(window), FProgress(progress) {
        qApp->installEventFilter(this);
    }
    ~TInputHold() override { qApp->removeEventFilter(this); }
    QProgressDialog* Dialog = nullptr;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (target == FWindow && event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (!IsInput(event->type()))
            return false;
        // A menu bar or toolbar shortcut arrives at its action: none runs meanwhile. The
        // dialog's own (Escape) does.
        if (!target->isWidgetType())
            return event->type() == QEvent::Shortcut && !InDialog(target->parent());
        auto* widget = static_cast<QWidget*>(target);
        // Escape cancels wherever the window's keyboard is, also before the progress shows.
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            (widget->window() == FWindow || (Dialog != nullptr && widget->window() == Dialog))) {
            if (Dialog != nullptr)
                Dialog->cancel();
            else
                FProgress.Cancel();
            return true;
        }
        if (InDialog(widget))
            return false;
        return widget->window() == FWindow || FWindow->isAncestorOf(widget);
    }

private:
    bool InDialog(QObject* object) const {
        return Dialog != nullptr && object != nullptr && object->isWidgetType() &&
               (object == Dialog || Dialog->isAncestorOf(static_cast<QWidget*>(object)));
    }
    static bool IsInput(QEvent::Type type) {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
    QWidget* FWindow;
    TWorkProgress& FProgress;
};

} // namespace

TLongWork::TLongWork(QWidget* window) : QObject(window), FWindow(window) {}

bool TLongWork::Run(const QString& title, const std::function<void(TWorkProgress&)>& work) {
    TWorkProgress progress;
    if (OnStart)
        OnStart(progress);
    std::exception_ptr error;
    bool cancelled = false;
    std::atomic<bool> finished{false};
    QEventLoop loop;
    std::thread worker([&] {
        try {
            work(progress);
        } catch (const TWorkCancelled&) {
            cancelled = true;
        } catch (...) {
            error = std::current_exception();
        }
        finished = true;
        // Wakes the window at once rather than at its next look.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    TInputHold hold(FWindow, progress);
    QElapsedTimer clock;
    clock.start();
    QProgressDialog* dialog = nullptr;
    QTimer tick;
    tick.setInterval(ProgressRefreshMs / 2);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (finished) {
            loop.quit();
            return;
        }
        if (dialog != nullptr && dialog->wasCanceled())
            progress.Cancel();
        if (!ProgressShows(clock.elapsed()))
            return;
        if (dialog == nullptr) {
            dialog = new QProgressDialog(FWindow);
            dialog->setObjectName("WorkProgress");
            dialog->setWindowTitle(title);
            dialog->setCancelButtonText(tr("取消"));
            dialog->setRange(0, 1000);
            dialog->setMinimumDuration(0);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumWidth(420);
            QObject::connect(dialog, &QProgressDialog::canceled, &loop,
                             [&progress] { progress.Cancel(); });
            hold.Dialog = dialog;
            dialog->show();
            dialog->activateWindow(); // Escape cancels too
        }
        const size_t done = progress.Done(), total = progress.Total();
        const QFontMetrics metrics(dialog->font());
        const QString item = metrics.elidedText(QString::fromStdString(progress.Item()),
                                                Qt::ElideMiddle, dialog->width() - 40);
        // A wait for another program says so, rather than counts that do not move.
        const QString waiting = metrics.elidedText(QString::fromStdString(progress.Waiting()),
                                                   Qt::ElideMiddle, dialog->width() - 40);
        const QString counts = waiting.isEmpty() ? tr("%1 / %2").arg(done).arg(total) : waiting;
        dialog->setLabelText(counts + "\n" + item);
        dialog->setValue(ProgressPermille(done, total));
    });
    tick.start();
    if (!finished)
        loop.exec(QEventLoop::AllEvents);
    worker.join();
    delete dialog;
    if (error)
        std::rethrow_exception(error);
    return !cancelled;
}
