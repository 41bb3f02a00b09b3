#include "app/MainWindow.h"
#include "AppTest.h"

#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithCaptionAndSize() {
        Twnd_pictavo_Main window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("Pictavo"));
        QCOMPARE(window.size(), QSize(771, 653));
    }
};
PICTAVO_APP_TEST(MainWindowTest)

#include "MainWindowTest.moc"
