// Long commands run while the window answers: progress after half a second, cancel, and
// what a cancel leaves behind (the library as it was, the exported files complete).

#include "app/LongWork.h"
#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "app/IconGrid.h"
#include "app/Panels.h"
#include "icons/MultiIcon.h"
#include "library/LibraryLock.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProgressDialog>
#include <QtTest>
#include <thread>

class LongWorkTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void progressShowsAfterHalfASecond() {
        for (const auto& [elapsed, shows] :
             {std::pair{0LL, false}, {499LL, false}, {500LL, true}, {60000LL, true}})
            QCOMPARE(ProgressShows(elapsed), shows);
        for (const auto& [done, total, permille] :
             {std::tuple{size_t(0), size_t(0), 0},
              {size_t(5), size_t(0), 0},
              {size_t(1), size_t(3), 333},
              {size_t(3), size_t(3), 1000},
              {size_t(9), size_t(3), 1000},
              {size_t(5'000'000'000), size_t(10'000'000'000), 500}})
            QCOMPARE(ProgressPermille(done, total), permille);
    }

    // The work waits for the cancel, which the test gives through the dialog's button
    // once the dialog shows "2 / 10"; the window repaints meanwhile.
    void dialogShowsDoneOfTotalAndCancels() {
        QWidget window;
        window.show();
        TLongWork work(&window);
        // Input to the window waits: a shortcut and a click reach nothing meanwhile.
        QAction quit(&window);
        window.addAction(&quit);
        int triggered = 0;
        connect(&quit, &QAction::triggered, [&] { ++triggered; });
        QTimer::singleShot(100, [&] {
            QShortcutEvent shortcut(QKeySequence("Ctrl+Q"), 0);
            QApplication::sendEvent(&quit, &shortcut);
            QTest::mouseClick(&window, Qt::LeftButton);
        });
        QString shownText;
        QTimer press;
        WatchProgress(window, press, [&](QProgressDialog& dialog) {
            shownText = dialog.labelText();
            if (shownText.startsWith("2 / 10"))
                dialog.cancel();
        });
        QElapsedTimer clock;
        clock.start();
        const bool finished = work.Run("work", [](TWorkProgress& progress) {
            progress.SetTotal(10);
            progress.Step(2, "/some/file.dll");
            for (int i = 0; i < 2000; ++i) { // 10 s at most
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                progress.Step(2);
            }
        });
        QVERIFY(!finished);
        QCOMPARE(triggered, 0);
        QVERIFY(clock.elapsed() >= ProgressDelayMs);
        QCOMPARE(shownText, QString("2 / 10\n/some/file.dll"));
        QVERIFY(window.findChild<QProgressDialog*>("WorkProgress") == nullptr);
    }

    // Escape cancels, pressed in the dialog or wherever the window's keyboard is.
    void escapeCancels() {
        for (const bool inDialog : {true, false}) {
            QWidget window;
            window.show();
            TLongWork work(&window);
            QTimer press;
            WatchProgress(window, press, [&](QProgressDialog& dialog) {
                QTest::keyClick(inDialog ? static_cast<QWidget*>(&dialog) : &window,
                                Qt::Key_Escape);
            });
            const bool finished = work.Run("work", [](TWorkProgress& progress) {
                for (int i = 0; i < 400; ++i) { // 2 s at most
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    progress.Step(0);
                }
            });
            QVERIFY2(!finished, inDialog ? "in the dialog" : "in the window");
        }
    }

    // An Escape before the progress shows is not lost: it cancels all the same.
    void escapeBeforeTheProgressShowsCancels() {
        QWidget window;
        window.show();
        TLongWork work(&window);
        QTimer::singleShot(50, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
        const bool finished = work.Run("work", [](TWorkProgress& progress) {
            for (int i = 0; i < 400; ++i) { // 2 s at most
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                progress.Step(0);
            }
        });
        QVERIFY(!finished);
    }

    // Another program writing the library holds its lock: the progress says so instead of
    // "0 / 0", and Cancel ends the wait while the other still holds it.
    void waitForAnotherWriterSaysSoAndCancels() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.Path());
        QTemporaryDir target;
        dialogs->SaveAnswer = target.filePath("lib.icl");
        const pictavo::TLibraryLock other(dialogs->SaveAnswer.toStdString());
        QString shownText;
        QTimer press;
        WatchProgress(window, press, [&](QProgressDialog& dialog) {
            shownText = dialog.labelText();
            dialog.cancel();
        });
        window.cmICLFromList(Take::All);
        QVERIFY2(shownText.startsWith("正在等待另一个程序写完 lib.icl…\n"), qPrintable(shownText));
        QVERIFY(!QFileInfo::exists(dialogs->SaveAnswer));
    }

    void errorOfTheWorkIsRaisedAgainAndQuickWorkShowsNothing() {
        QWidget window;
        TLongWork work(&window);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, work.Run("work", [](TWorkProgress&) {
            throw std::runtime_error("broken");
        }));
        int ran = 0;
        QVERIFY(work.Run("work", [&](TWorkProgress&) { ++ran; }));
        QCOMPARE(ran, 1);
        QVERIFY(window.findChild<QProgressDialog*>() == nullptr);
    }

    void cancelledLibraryBuildLeavesTheLibraryAsItWas() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.Path());
        QTemporaryDir target;
        dialogs->SaveAnswer = target.filePath("lib.icl");
        window.cmICLFromList(Take::All);
        const QByteArray before = Bytes(dialogs->SaveAnswer);
        QVERIFY(!before.isEmpty());
        for (const bool rebuild : {false, true}) {
            dialogs->YesAnswer = rebuild;
            CancelAfter(window, 3);
            window.cmICLFromList(Take::All);
            QCOMPARE(Bytes(dialogs->SaveAnswer), before);
            window.cmView(Take::All);
            CancelAfter(window, 2);
            window.cmICLFromView(Take::All);
            QCOMPARE(Bytes(dialogs->SaveAnswer), before);
        }
    }

    void cancelledExportKeepsTheFilesWrittenWhole() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.Path());
        window.cmView(Take::All); // 7 tiles
        QTemporaryDir target;
        dialogs->FolderAnswer = target.path();
        CancelAfter(window, 3);
        window.cmSaveIcon(Take::All);
        const QStringList written = QDir(target.path()).entryList(QDir::Files);
        QCOMPARE(written.size(), 3);
        for (const QString& name : written) {
            pictavo::TMultiIcon icon;
            icon.LoadFromFile(target.filePath(name).toStdString());
            QVERIFY(icon.IconCount() > 0);
        }
    }

    // With the filter, a cancel shows the icons of the files gone through whole.
    void cancelledViewShowsTheFilesGoneThrough() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.Path());
        parts.cbx32->setChecked(true);
        const pictavo::TFileEntry first = parts.FileList->Model().Entry(0);
        parts.LongWork->OnStart = [&](TWorkProgress& progress) {
            progress.OnStep = [&](TWorkProgress& p) {
                if (p.Done() > static_cast<size_t>(first.IconCount))
                    p.Cancel();
            };
        };
        window.cmView(Take::All);
        QCOMPARE(parts.IconListHeader->Text(),
                 QString("1 文件 - %1 图标").arg(window.ThumbCount()));
        for (int i = 0; i < window.ThumbCount(); ++i)
            QCOMPARE(window.Thumb(i)->ModuleName(), first.FileName);
        QCOMPARE(window.SelectedThumbPosition(), -1);
    }

private:
    // Calls `seen` with the progress dialog every 20 ms while it shows.
    static void WatchProgress(QWidget& window, QTimer& timer,
                              const std::function<void(QProgressDialog&)>& seen) {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [&window, seen] {
            auto* dialog = window.findChild<QProgressDialog*>("WorkProgress");
            if (dialog != nullptr && dialog->isVisible())
                seen(*dialog);
        });
        timer.start();
    }
    static QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The next long command is cancelled once `steps` of its steps were reported.
    static void CancelAfter(Twnd_pictavo_Main& window, int steps) {
        Parts(window).LongWork->OnStart = [steps](TWorkProgress& progress) {
            progress.OnStep = [steps, seen = 0](TWorkProgress& p) mutable {
                if (++seen > steps)
                    p.Cancel();
            };
        };
    }
};
PICTAVO_APP_TEST(LongWorkTest)

#include "LongWorkTest.moc"
