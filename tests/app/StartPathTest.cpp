// The path given on the window's command line: a folder, a file, or nothing that exists.

#include "app/StartPath.h"
#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QSettings>
#include <QTreeView>
#include <QTemporaryDir>
#include <QtTest>

class StartPathTest : public QObject {
    Q_OBJECT
private slots:
    void folderFileAndMissing() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QFile file(dir.filePath("sub/a.ico"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString sub = QDir(dir.path()).absoluteFilePath("sub");

        const std::optional<TStartPath> folder = StartPathOf(sub);
        QVERIFY(folder);
        QCOMPARE(folder->Folder, sub);
        QCOMPARE(folder->FileName, QString());

        // A relative file name counts from the current folder.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(sub);
        const std::optional<TStartPath> relative = StartPathOf("a.ico");
        QDir::setCurrent(previous);
        QVERIFY(relative);
        QCOMPARE(relative->Folder, sub);
        QCOMPARE(relative->FileName, sub + "/a.ico");

        QVERIFY(!StartPathOf(dir.filePath("missing.dll")));
        QVERIFY(!StartPathOf(QString()));
    }

    void windowOpensTheFilesFolderWithItsRowSelected() {
        ClearStoredSettings();
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.SetStartPath(folder.File("b.dll"));
        window.show();
        QCOMPARE(window.ShellTreeSelectedFolder(), QFileInfo(folder.Path()).absoluteFilePath());
        QCOMPARE(parts.FileList->Model().rowCount(), 4); // a.dll, b.dll, c.ico, arrow.cur
        const std::vector<int> selected = parts.FileList->SelectedRows();
        QCOMPARE(selected.size(), size_t{1});
        QVERIFY(QString::fromStdString(parts.FileList->Model().Entry(selected[0]).FileName)
                    .endsWith("/b.dll"));
        QCOMPARE(window.ThumbCount(), 2);
        QVERIFY(dialogs->Errors.isEmpty());
    }

    void windowOpensAFolderAndReportsAMissingPath() {
        ClearStoredSettings();
        IconFolder folder;
        {
            Twnd_pictavo_Main window;
            UseFakeDialogs(window);
            window.SetStartPath(folder.Path());
            window.show();
            QCOMPARE(window.ShellTreeSelectedFolder(), QFileInfo(folder.Path()).absoluteFilePath());
            QVERIFY(Parts(window).FileList->SelectedRows().empty());
        }
        ClearStoredSettings();
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.SetStartPath(folder.File("missing.dll"));
        window.show();
        QTRY_COMPARE(dialogs->Errors.size(), 1);
    }

    // Right and + open a folder of the tree, Left and - close it.
    void treeKeysExpandAndCollapse() {
        ClearStoredSettings();
        QTemporaryDir dir;
        const QString top = QDir(dir.path()).absoluteFilePath("top");
        QVERIFY(QDir().mkpath(top + "/inner"));
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.SetStartPath(top);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTreeView* tree = Parts(window).ShellTree;
        tree->setFocus();
        const QModelIndex index = tree->currentIndex();
        QCOMPARE(window.ShellTreeSelectedFolder(), top);
        for (const auto& [open, close] : {std::pair{Qt::Key_Right, Qt::Key_Left},
                                          std::pair{Qt::Key_Plus, Qt::Key_Minus}}) {
            QTest::keyClick(tree, open);
            QTRY_VERIFY(tree->isExpanded(index));
            QTest::keyClick(tree, close);
            QTRY_VERIFY(!tree->isExpanded(index));
        }
    }

    // A stored start folder that vanished: the window shows first, then says so once, and
    // the nearest existing parent becomes the start folder, so the next start is quiet.
    void vanishedStartFolderFallsBackToItsNearestParent() {
        ClearStoredSettings();
        QTemporaryDir dir;
        const QString kept = QDir(dir.path()).absoluteFilePath("kept");
        QVERIFY(QDir().mkpath(kept));
        QCOMPARE(NearestExistingFolder(kept + "/gone/deeper"), kept);
        QCOMPARE(NearestExistingFolder(kept), kept);
        QCOMPARE(NearestExistingFolder("/no-such-top-folder/x"), QString("/"));
        {
            QSettings stored("Vantrel", "Pictavo");
            stored.beginGroup("4.x/wnd_pictavo_Main");
            stored.setValue("ShellTree.StartInFolder", kept + "/gone/deeper");
        }
        {
            Twnd_pictavo_Main window;
            FakeDialogs* dialogs = UseFakeDialogs(window);
            window.show();
            QVERIFY(dialogs->Errors.isEmpty()); // not before the window is there
            QTRY_COMPARE(dialogs->Errors.size(), 1);
            QCOMPARE(window.ShellTreeSelectedFolder(), kept);
            window.close();
        }
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.show();
        QTest::qWait(20);
        QVERIFY(dialogs->Errors.isEmpty());
        QCOMPARE(window.ShellTreeSelectedFolder(), kept);
    }

    // The tree's folders load in the background while the start folder is scanned: it
    // still ends up showing that folder, below forty others, until the user scrolls.
    void theTreeKeepsTheStartFolderInSight() {
        ClearStoredSettings();
        QTemporaryDir dir;
        for (int i = 0; i < 40; ++i)
            QVERIFY(QDir(dir.path()).mkdir(QString("s%1").arg(i, 2, 10, QChar('0'))));
        const QString deep = QDir(dir.path()).absoluteFilePath("zz/deep/er");
        QVERIFY(QDir().mkpath(deep));
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.SetStartPath(deep);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTreeView* tree = Parts(window).ShellTree;
        QCOMPARE(window.ShellTreeSelectedFolder(), deep);
        QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));

        tree->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        QTest::qWait(300);
        QCOMPARE(tree->verticalScrollBar()->value(), 0);
    }
};

PICTAVO_APP_TEST(StartPathTest)
#include "StartPathTest.moc"
