// Which tiles a sequence of clicks leaves selected, and what a drag from a tile takes.

#include "app/TileSelection.h"
#include "AppTest.h"

#include <QtTest>
#include <utility>

using pictavo::TTileClick;
using Clicks = std::vector<std::pair<int, TTileClick>>;

Q_DECLARE_METATYPE(Clicks)
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

pictavo::TTileList TenTiles() {
    pictavo::TTileList tiles;
    const int32_t file = tiles.FileNumber("/nowhere/a.dll");
    for (int i = 0; i < 10; ++i)
        tiles.Append({file, i, i, false});
    return tiles;
}

} // namespace

class TileSelectionTest : public QObject {
    Q_OBJECT
private slots:
    void heldKeysMakeTheClick() {
        QCOMPARE(pictavo::TileClickOf(false, false), TTileClick::Only);
        QCOMPARE(pictavo::TileClickOf(true, false), TTileClick::Toggle);
        QCOMPARE(pictavo::TileClickOf(false, true), TTileClick::Range);
        QCOMPARE(pictavo::TileClickOf(true, true), TTileClick::AddRange);
    }

    void clicksLeaveTheseTilesSelected_data() {
        QTest::addColumn<Clicks>("clicks");
        QTest::addColumn<std::vector<int>>("selected");
        QTest::addColumn<int>("anchor");
        const auto only = TTileClick::Only, toggle = TTileClick::Toggle,
                   range = TTileClick::Range, addRange = TTileClick::AddRange,
                   context = TTileClick::Context;
        QTest::newRow("a click selects one") << Clicks{{3, only}} << std::vector{3} << 3;
        QTest::newRow("the next click replaces it")
            << Clicks{{3, only}, {5, only}} << std::vector{5} << 5;
        QTest::newRow("Ctrl adds") << Clicks{{3, only}, {5, toggle}} << std::vector{3, 5} << 5;
        QTest::newRow("Ctrl again takes away")
            << Clicks{{3, only}, {5, toggle}, {3, toggle}} << std::vector{5} << 3;
        QTest::newRow("Shift selects from the anchor")
            << Clicks{{2, only}, {5, range}} << std::vector{2, 3, 4, 5} << 2;
        QTest::newRow("Shift backwards") << Clicks{{5, only}, {2, range}}
                                         << std::vector{2, 3, 4, 5} << 5;
        QTest::newRow("a second Shift replaces the range, the anchor stays")
            << Clicks{{4, only}, {7, range}, {3, range}} << std::vector{3, 4} << 4;
        QTest::newRow("Shift drops the Ctrl-picked tiles")
            << Clicks{{0, only}, {8, toggle}, {6, range}} << std::vector{6, 7, 8} << 8;
        QTest::newRow("Ctrl+Shift adds the range")
            << Clicks{{0, only}, {8, toggle}, {6, addRange}} << std::vector{0, 6, 7, 8} << 8;
        QTest::newRow("Shift with no anchor is a plain click")
            << Clicks{{4, range}} << std::vector{4} << 4;
        QTest::newRow("the right button keeps a selection it is on")
            << Clicks{{1, only}, {3, range}, {2, context}} << std::vector{1, 2, 3} << 1;
        QTest::newRow("the right button elsewhere selects that one")
            << Clicks{{1, only}, {3, range}, {7, context}} << std::vector{7} << 7;
        QTest::newRow("a click past the last tile changes nothing")
            << Clicks{{1, only}, {10, only}, {-1, toggle}} << std::vector{1} << 1;
    }
    void clicksLeaveTheseTilesSelected() {
        QFETCH(Clicks, clicks);
        QFETCH(std::vector<int>, selected);
        QFETCH(int, anchor);
        pictavo::TTileList tiles = TenTiles();
        int at = -1;
        for (const auto& [position, click] : clicks)
            pictavo::ClickTile(tiles, at, position, click);
        QCOMPARE(pictavo::SelectedTilePositions(tiles), selected);
        QCOMPARE(at, anchor);
    }

    // An anchor left past the end (tiles removed since) starts no range.
    void staleAnchorStartsNoRange() {
        pictavo::TTileList tiles = TenTiles();
        int anchor = 9;
        tiles.RemoveLast(5);
        pictavo::ClickTile(tiles, anchor, 2, TTileClick::Range);
        QCOMPARE(pictavo::SelectedTilePositions(tiles), std::vector{2});
    }

    void dragTakesTheSelectionItStartsOn() {
        pictavo::TTileList tiles = TenTiles();
        int anchor = -1;
        pictavo::ClickTile(tiles, anchor, 2, TTileClick::Only);
        pictavo::ClickTile(tiles, anchor, 6, TTileClick::Toggle);
        QCOMPARE(pictavo::TilesTakenWith(tiles, 6), (std::vector{2, 6}));
        QCOMPARE(pictavo::TilesTakenWith(tiles, 4), std::vector{4});
        QCOMPARE(pictavo::TilesTakenWith(tiles, 10), std::vector<int>{});
    }
};

PICTAVO_APP_TEST(TileSelectionTest)
#include "TileSelectionTest.moc"
