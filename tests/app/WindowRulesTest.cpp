// The window's decisions and texts that need no widget: which file row a selection
// change reports, the file-type history, the header and status texts.

#include "app/WindowRules.h"
#include "AppTest.h"
#include "app/WindowTexts.h"

#include <QtTest>
#include <tuple>

using Rows = std::set<int>;
Q_DECLARE_METATYPE(Rows)

class WindowRulesTest : public QObject {
    Q_OBJECT
private slots:
    void reportedFileRow_data() {
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<Rows>("deselected");
        QTest::addColumn<bool>("remains");
        QTest::addColumn<int>("row");
        QTest::newRow("one row clicked") << Rows{4} << Rows{1} << true << 4;
        QTest::newRow("Ctrl+click takes one row out") << Rows{} << Rows{2} << true << 2;
        QTest::newRow("the last row taken out") << Rows{} << Rows{2} << false << -1;
        QTest::newRow("Shift+click selects several") << Rows{3, 4, 5} << Rows{} << true << -1;
        QTest::newRow("several taken out") << Rows{} << Rows{1, 2} << true << -1;
        QTest::newRow("nothing reported") << Rows{} << Rows{} << false << -1;
    }
    void reportedFileRow() {
        QFETCH(Rows, selected);
        QFETCH(Rows, deselected);
        QFETCH(bool, remains);
        QFETCH(int, row);
        QCOMPARE(ReportedFileRow(selected, deselected, remains), row);
    }

    void maskHistory_data() {
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("new mask goes first")
            << QStringList{"*.*", "*.dll"} << "*.exe" << QStringList{"*.exe", "*.*", "*.dll"};
        QTest::newRow("known mask changes nothing")
            << QStringList{"*.*", "*.dll"} << "*.dll" << QStringList{"*.*", "*.dll"};
        QTest::newRow("known in another case")
            << QStringList{"*.*", "*.dll"} << "*.DLL" << QStringList{"*.*", "*.dll"};
        QTest::newRow("first mask") << QStringList{} << "*.icl" << QStringList{"*.icl"};
    }
    void maskHistory() {
        QFETCH(QStringList, history);
        QFETCH(QString, mask);
        QFETCH(QStringList, after);
        QCOMPARE(MaskHistoryAfter(history, mask), after);
    }

    void recentPaths_data() {
        QTest::addColumn<QStringList>("recent");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first") << QStringList{} << "/a" << 3 << QStringList{"/a"};
        QTest::newRow("goes first")
            << QStringList{"/a", "/b"} << "/c" << 3 << QStringList{"/c", "/a", "/b"};
        QTest::newRow("again moves up, once")
            << QStringList{"/a", "/b", "/c"} << "/b" << 3 << QStringList{"/b", "/a", "/c"};
        QTest::newRow("the oldest drops off")
            << QStringList{"/a", "/b", "/c"} << "/d" << 3 << QStringList{"/d", "/a", "/b"};
    }
    void imagePanelWidensWhereThereIsRoom() {
        for (const auto& [current, wanted, total, keep, width] :
             {std::tuple{257, 200, 600, 100, 257}, // wide enough: kept, never narrowed
              {257, 290, 600, 100, 290},           // widened to what its items want
              {257, 290, 380, 100, 280},           // as far as the view keeps its room
              {257, 400, 300, 100, 257}})          // no room at all: as it is
            QCOMPARE(ImagePanelWidth(current, wanted, total, keep), width);
    }

    void recentPaths() {
        QFETCH(QStringList, recent);
        QFETCH(QString, opened);
        QFETCH(int, limit);
        QFETCH(QStringList, after);
        QCOMPARE(RecentPathsAfter(recent, opened, limit), after);
    }

    void texts() {
        QCOMPARE(WindowTexts::FileIconsHeader("shell32.dll", 7), QString("shell32.dll - 7 图标"));
        QCOMPARE(WindowTexts::FilesIconsHeader(3, 7), QString("3 文件 - 7 图标"));
        QCOMPARE(WindowTexts::IconsHeader(0), QString("0 图标"));
        QCOMPARE(WindowTexts::StatusTotals(3, 7), QString("文件: 3    图标: 7    "));
    }

    // Whole seconds, and right across the 32-bit counter's wrap.
    void searchTime_data() {
        QTest::addColumn<uint>("start");
        QTest::addColumn<uint>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a second") << 1000u << 1999u << "搜索时间: 0 s";
        QTest::newRow("a minute and five") << 0u << 65000u << "搜索时间: 1 min, 5 s";
        QTest::newRow("across the wrap") << 0xFFFFF000u << 0x00001000u << "搜索时间: 8 s";
    }
    void searchTime() {
        QFETCH(uint, start);
        QFETCH(uint, end);
        QFETCH(QString, text);
        QCOMPARE(WindowTexts::SearchTime(start, end), text);
    }
};
PICTAVO_APP_TEST(WindowRulesTest)
#include "WindowRulesTest.moc"
