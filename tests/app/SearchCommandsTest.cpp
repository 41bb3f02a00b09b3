// Folder scan and search: rows, totals, status texts, masks, duplicates, cancel.
#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "app/Panels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

class SearchCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void folderScanListsItsFilesWithIconsAndTheTotals() {
        IconFolder folder;
        folder.Copy("pe/one.ico", "sub/ignored.ico"); // subfolders are not scanned
        QDir(folder.Path()).mkdir("sub");
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        parts.cbMask->setCurrentText("*.dll"); // the mask box is not consulted
        window.ShellTreeFolderSelected(folder.Path());
        const TFileListModel& model = parts.FileList->Model();
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(window.FIconTotal(), 7);
        for (int row = 0; row < model.rowCount(); ++row) {
            const pictavo::TFileEntry& entry = model.Entry(row);
            const QFileInfo info(QString::fromStdString(entry.FileName));
            QCOMPARE(entry.Size, info.size());
            if (info.fileName() == "a.dll") {
                QCOMPARE(entry.IconCount, 3);
                QCOMPARE(FileListGetText(entry, 3), QString("19"));
            }
            if (info.fileName() == "c.ico")
                QCOMPARE(entry.IconCount, 1);
        }
        QVERIFY(QRegularExpression("^文件: 4    图标: 7    搜索时间: \\d+ s$")
                    .match(parts.sbPanel0->text())
                    .hasMatch());
        QCOMPARE(parts.bSearch->text(), QString("开始"));
        QVERIFY(parts.ShellTree->isEnabled());
    }

    void secondScanAppendsWhenResultsAreKept() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        parts.cbxClear->setChecked(false);
        parts.cbxIgnore->setChecked(false);
        window.ShellTreeFolderSelected(folder.Path());
        window.cmView(Take::All);
        window.ShellTreeFolderSelected(folder.Path());
        QCOMPARE(parts.FileList->Model().rowCount(), 8);
        QCOMPARE(window.FIconTotal(), 14);
        QCOMPARE(window.ThumbCount(), 0); // the view is emptied anyway
    }

    void maskWithTrailingSeparatorReportsFilesTwice_data() {
        QTest::addColumn<bool>("ignore");
        QTest::addColumn<int>("rows");
        QTest::newRow("duplicates ignored") << true << 4;
        QTest::newRow("duplicates listed") << false << 5;
    }
    void maskWithTrailingSeparatorReportsFilesTwice() {
        QFETCH(bool, ignore);
        QFETCH(int, rows);
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        parts.de->SetText(folder.Path());
        QVERIFY(parts.bSearch->isEnabled());
        parts.cbxIgnore->setChecked(ignore);
        parts.cbMask->setCurrentText("*.ico;");
        window.bSearchClick();
        QCOMPARE(parts.FileList->Model().rowCount(), rows);
        // The new mask text joins the top of the list once, whatever its letter case.
        QCOMPARE(parts.cbMask->itemText(0), QString("*.ico;"));
        const int items = parts.cbMask->count();
        parts.cbMask->setCurrentText("*.ICO;");
        window.bSearchClick();
        QCOMPARE(parts.cbMask->count(), items);
    }

    void searchEntersSubfoldersWithTheMasks() {
        IconFolder folder;
        QDir(folder.Path()).mkdir("sub");
        folder.Copy("pe/one.ico", "sub/d.ico");
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        parts.de->SetText(folder.Path());
        parts.cbMask->setCurrentText("*.ico *.cur");
        window.bSearchClick();
        QCOMPARE(parts.FileList->Model().rowCount(), 3);
        parts.cbxSub->setChecked(false);
        window.bSearchClick();
        QCOMPARE(parts.FileList->Model().rowCount(), 2);
    }

    void directoryEditEnablesTheButtonForAnExistingFolder() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        parts.de->SetText(folder.Path());
        QVERIFY(parts.bSearch->isEnabled());
        parts.de->SetText(folder.File("c.ico"));
        QVERIFY(!parts.bSearch->isEnabled());
    }

    void cancelDuringASearchKeepsTheRowsAndFinishes() {
        IconFolder folder;
        QFile::remove(folder.File("notes.txt")); // every file left holds icons
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        parts.de->SetText(folder.Path());
        bool cancelled = false;
        QString captionDuringSearch;
        bool treeEnabledDuringSearch = true;
        // Runs among the events processed after the first file, as a click would.
        QTimer::singleShot(0, &window, [&] {
            cancelled = true;
            captionDuringSearch = parts.bSearch->text();
            treeEnabledDuringSearch = parts.ShellTree->isEnabled();
            window.bSearchClick(); // the button reads "取消" now
        });
        window.bSearchClick();
        QVERIFY(cancelled);
        QCOMPARE(captionDuringSearch, QString("取消"));
        QVERIFY(!treeEnabledDuringSearch);
        QCOMPARE(parts.FileList->Model().rowCount(), 1);
        QVERIFY(parts.sbPanel0->text().startsWith("文件: 1    图标: "));
        QVERIFY(parts.sbPanel0->text().contains("搜索时间: "));
        QCOMPARE(parts.bSearch->text(), QString("开始"));
        QVERIFY(parts.ShellTree->isEnabled());
    }

    void viewAllAfterASearchFillsTheView() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        Parts(window).cbxViewAll->setChecked(true);
        window.ShellTreeFolderSelected(folder.Path());
        QCOMPARE(window.ThumbCount(), 7);
        QCOMPARE(Parts(window).IconListHeader->Text(), QString("4 文件 - 7 图标"));
        QVERIFY(dialogs->Questions.isEmpty()); // below 5000 icons nothing is asked
    }

    void folderNamedWithSeparatorsIsScannedLiterally() {
        IconFolder folder;
        QDir(folder.Path()).mkdir("x;y>z");
        folder.Copy("pe/one.ico", "x;y>z/own.ico");
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.File("x;y>z"));
        QCOMPARE(parts.FileList->Model().rowCount(), 1);
        parts.de->SetText(folder.File("x;y>z"));
        window.bSearchClick();
        QCOMPARE(parts.FileList->Model().rowCount(), 1);
    }
};
PICTAVO_APP_TEST(SearchCommandsTest)

#include "SearchCommandsTest.moc"
