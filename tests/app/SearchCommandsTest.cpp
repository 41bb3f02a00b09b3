// Folder scan and search: rows, totals, status texts, masks, duplicates, cancel.
#include "AppTest.h"
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
        UseFakeDialogs(window);
        window.cbMask->setCurrentText("*.dll"); // the mask box is not consulted
        window.ShellTreeFolderSelected(folder.Path());
        const TFileListModel& model = window.FileList->Model();
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
                    .match(window.sbPanel0->text())
                    .hasMatch());
        QCOMPARE(window.bSearch->text(), QString("开始"));
        QVERIFY(window.ShellTree->isEnabled());
    }

    void secondScanAppendsWhenResultsAreKept() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.cbxClear->setChecked(false);
        window.cbxIgnore->setChecked(false);
        window.ShellTreeFolderSelected(folder.Path());
        window.cmView(Take::All);
        window.ShellTreeFolderSelected(folder.Path());
        QCOMPARE(window.FileList->Model().rowCount(), 8);
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
        UseFakeDialogs(window);
        window.de->SetText(folder.Path());
        QVERIFY(window.bSearch->isEnabled());
        window.cbxIgnore->setChecked(ignore);
        window.cbMask->setCurrentText("*.ico;");
        window.bSearchClick();
        QCOMPARE(window.FileList->Model().rowCount(), rows);
        // The new mask text joins the top of the list once, whatever its letter case.
        QCOMPARE(window.cbMask->itemText(0), QString("*.ico;"));
        const int items = window.cbMask->count();
        window.cbMask->setCurrentText("*.ICO;");
        window.bSearchClick();
        QCOMPARE(window.cbMask->count(), items);
    }

    void searchEntersSubfoldersWithTheMasks() {
        IconFolder folder;
        QDir(folder.Path()).mkdir("sub");
        folder.Copy("pe/one.ico", "sub/d.ico");
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.de->SetText(folder.Path());
        window.cbMask->setCurrentText("*.ico *.cur");
        window.bSearchClick();
        QCOMPARE(window.FileList->Model().rowCount(), 3);
        window.cbxSub->setChecked(false);
        window.bSearchClick();
        QCOMPARE(window.FileList->Model().rowCount(), 2);
    }

    void directoryEditEnablesTheButtonForAnExistingFolder() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        window.de->SetText(folder.Path());
        QVERIFY(window.bSearch->isEnabled());
        window.de->SetText(folder.File("c.ico"));
        QVERIFY(!window.bSearch->isEnabled());
    }

    void cancelDuringASearchKeepsTheRowsAndFinishes() {
        IconFolder folder;
        QFile::remove(folder.File("notes.txt")); // every file left holds icons
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.de->SetText(folder.Path());
        bool cancelled = false;
        QString captionDuringSearch;
        bool treeEnabledDuringSearch = true;
        // Runs among the events processed after the first file, as a click would.
        QTimer::singleShot(0, &window, [&] {
            cancelled = true;
            captionDuringSearch = window.bSearch->text();
            treeEnabledDuringSearch = window.ShellTree->isEnabled();
            window.bSearchClick(); // the button reads "取消" now
        });
        window.bSearchClick();
        QVERIFY(cancelled);
        QCOMPARE(captionDuringSearch, QString("取消"));
        QVERIFY(!treeEnabledDuringSearch);
        QCOMPARE(window.FileList->Model().rowCount(), 1);
        QVERIFY(window.sbPanel0->text().startsWith("文件: 1    图标: "));
        QVERIFY(window.sbPanel0->text().contains("搜索时间: "));
        QCOMPARE(window.bSearch->text(), QString("开始"));
        QVERIFY(window.ShellTree->isEnabled());
    }

    void viewAllAfterASearchFillsTheView() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.cbxViewAll->setChecked(true);
        window.ShellTreeFolderSelected(folder.Path());
        QCOMPARE(window.ThumbCount(), 7);
        QCOMPARE(window.IconListHeader->Text(), QString("4 文件 - 7 图标"));
        QVERIFY(dialogs->Questions.isEmpty()); // below 5000 icons nothing is asked
    }

    void folderNamedWithSeparatorsIsScannedLiterally() {
        IconFolder folder;
        QDir(folder.Path()).mkdir("x;y>z");
        folder.Copy("pe/one.ico", "x;y>z/own.ico");
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.File("x;y>z"));
        QCOMPARE(window.FileList->Model().rowCount(), 1);
        window.de->SetText(folder.File("x;y>z"));
        window.bSearchClick();
        QCOMPARE(window.FileList->Model().rowCount(), 1);
    }
};
PICTAVO_APP_TEST(SearchCommandsTest)

#include "SearchCommandsTest.moc"
