// The file list: cell texts, sorting by header click, type-ahead, selection changes.
#include "app/FileList.h"
#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/IconGrid.h"
#include "app/Panels.h"

#include "app/IconBox.h"
#include <QCheckBox>
#include <QListWidget>
#include <QtTest>

using pictavo::TFileEntry;

namespace {

TFileEntry Entry(const std::string& path, int icons, int64_t size, double time = 45000.5) {
    return TFileEntry{path, icons, time, size};
}

std::vector<std::string> Names(const TFileListModel& model) {
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.push_back(ExtractFileName(model.Entry(row).FileName));
    return names;
}

} // namespace

class FileListTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void cellTexts_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("name") << 0 << "shell32.dll";
        QTest::newRow("icons") << 1 << "7";
        QTest::newRow("size in whole KB") << 3 << "0";
        QTest::newRow("folder") << 4 << "/data/win dir/";
        QTest::newRow("other") << 5 << "";
    }
    void cellTexts() {
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(FileListGetText(Entry("/data/win dir/shell32.dll", 7, 1023), column), text);
    }

    // A wider date in the user's format must not push the location out of the pane.
    void columnsKeepTheirTotalWidthInEveryLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("Chinese") << "zh_CN";
        QTest::newRow("English") << "en_US";
        QTest::newRow("German") << "de_DE";
    }
    void columnsKeepTheirTotalWidthInEveryLocale() {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        TFileList list;
        QLocale::setDefault(QLocale::system());
        int total = 0;
        for (int column = 0; column < TFileListModel::ColumnCount; ++column)
            total += list.columnWidth(column);
        QVERIFY2(total <= 200 + 75 + 120 + 75 + 71, qPrintable(QString::number(total)));
        QLocale::setDefault(QLocale(locale));
        const int dateWidth = list.fontMetrics().horizontalAdvance(FormatFileTime(45657.99998));
        QLocale::setDefault(QLocale::system());
        QVERIFY(list.columnWidth(2) > dateWidth);
    }

    void sizeHeaderSortsByBytesThenReverses() {
        TFileListModel model;
        model.AddEntry(Entry("/d/big.ico", 1, 1900));
        model.AddEntry(Entry("/d/small.ico", 1, 1500));
        model.AddEntry(Entry("/d/tiny.ico", 1, 10));
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        for (int row = 0; row < model.rowCount(); ++row)
            parts.FileList->Model().AddEntry(model.Entry(row));
        window.FileListHeaderClick(3);
        QCOMPARE(Names(parts.FileList->Model()),
                 (std::vector<std::string>{"tiny.ico", "small.ico", "big.ico"}));
        window.FileListHeaderClick(3);
        QCOMPARE(Names(parts.FileList->Model()),
                 (std::vector<std::string>{"big.ico", "small.ico", "tiny.ico"}));
        // The list stays sorted as later rows arrive.
        parts.FileList->Model().AddEntry(Entry("/d/mid.ico", 1, 1700));
        QCOMPARE(Names(parts.FileList->Model()),
                 (std::vector<std::string>{"big.ico", "mid.ico", "small.ico", "tiny.ico"}));
    }

    void namesSortCaseSensitively() {
        QVERIFY(FileListCompareNodes(Entry("/d/a.dll", 1, 1), Entry("/d/A.dll", 1, 1), 0) != 0);
        QCOMPARE(FileListCompareNodes(Entry("/d/x", 2, 1), Entry("/d/y", 10, 1), 1), -1);
        QCOMPARE(FileListCompareNodes(Entry("/d/x", 2, 1), Entry("/d/y", 10, 1), 9), 0);
    }

    void typeAheadMatchesThePrefixEitherWay() {
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        for (const char* path : {"/d/apple.dll", "/d/Shell32.dll", "/d/shell.ico"})
            parts.FileList->Model().AddEntry(Entry(path, 1, 1));
        QCOMPARE(parts.FileList->IncrementalSearch("SHELL"), 1);
        QCOMPARE(parts.FileList->currentIndex().row(), 1);
        // A typed text longer than the name matches when the name is its prefix.
        QCOMPARE(parts.FileList->IncrementalSearch("shell.icons-and-more"), 2);
        QCOMPARE(parts.FileList->IncrementalSearch("zebra"), -1);
        QCOMPARE(FileListIncrementalSearch("b", Entry("/d/a", 1, 1)), 1);
    }

    void selectionChangeShowsThatFilesIcons() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.Path());
        TFileListModel& model = parts.FileList->Model();
        const int a = RowOf(model, "a.dll");
        const int b = RowOf(model, "b.dll");

        parts.FileList->ClickRow(a);
        QCOMPARE(window.ThumbCount(), 3);
        QCOMPARE(parts.IconListHeader->Text(), QString("a.dll - 3 图标"));
        parts.FileList->ClickRow(b); // fewer icons: the surplus tile goes
        QCOMPARE(window.ThumbCount(), 2);
        QCOMPARE(parts.IconListHeader->Text(), QString("b.dll - 2 图标"));
        QCOMPARE(window.Thumb(1)->ModuleName(), folder.File("b.dll").toStdString());

        parts.cbxClearView->setChecked(false); // now the icons accumulate
        parts.FileList->ClickRow(a);
        QCOMPARE(window.ThumbCount(), 5);
        QCOMPARE(parts.IconListHeader->Text(), QString("a.dll - 5 图标"));
        QCOMPARE(window.Thumb(4)->Caption(), QString("图标 4"));

        window.ThumbnailClick(window.Thumb(0));
        QVERIFY(parts.IconBox->count() > 0);
        parts.FileList->clearSelection(); // the image list empties, the view stays
        QCOMPARE(parts.IconBox->count(), 0);
        QCOMPARE(parts.IconBoxHeader->Text(), QString());
        QCOMPARE(window.ThumbCount(), 5);
    }

private:
    static int RowOf(const TFileListModel& model, const std::string& name) {
        for (int row = 0; row < model.rowCount(); ++row)
            if (ExtractFileName(model.Entry(row).FileName) == name)
                return row;
        return -1;
    }
};
PICTAVO_APP_TEST(FileListTest)

#include "FileListTest.moc"
