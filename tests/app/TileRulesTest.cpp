// The tile's plain rules: offered sizes, tile side, the image a tile draws and where.

#include "app/TileRules.h"
#include "AppTest.h"

#include <QtTest>

using pictavo::TImageFacts;
using pictavo::TTileRect;

Q_DECLARE_METATYPE(std::vector<TImageFacts>)

class TileRulesTest : public QObject {
    Q_OBJECT
private slots:
    void storedSizeIsOneOfTheOffered() {
        for (const auto& [stored, used] :
             {std::pair{32, 32}, {48, 48}, {256, 256}, {0, 32}, {100, 32}, {-64, 32}, {512, 32}})
            QCOMPARE(pictavo::ValidTileIconSize(stored), used);
    }

    void tileHoldsIconAndCaption() {
        // Today's 60-px tile for the 32-px icon; a tall caption makes the tile grow.
        for (const auto& [icon, caption, side] : {std::tuple{32, 17, 60},
                                                  {32, 13, 60},
                                                  {32, 30, 70},
                                                  {48, 17, 76},
                                                  {128, 17, 156},
                                                  {256, 17, 284}})
            QCOMPARE(pictavo::TileSide(icon, caption), side);
    }

    void picksTheImageThatBestFits_data() {
        QTest::addColumn<std::vector<TImageFacts>>("images");
        QTest::addColumn<int>("wanted");
        QTest::addColumn<int>("picked");
        const TImageFacts i16{16, 16, 32}, i32{32, 32, 32}, i32low{32, 32, 8}, i48{48, 48, 32},
            i256{256, 256, 32};
        QTest::newRow("none") << std::vector<TImageFacts>{} << 32 << -1;
        QTest::newRow("exact size") << std::vector{i16, i32, i48} << 32 << 1;
        QTest::newRow("the next larger, scaled down") << std::vector{i16, i48, i256} << 32 << 1;
        QTest::newRow("a large one rather than a small one") << std::vector{i16, i256} << 32 << 1;
        QTest::newRow("HiDPI wants twice the pixels") << std::vector{i32, i48, i256} << 64 << 2;
        QTest::newRow("only smaller ones: the largest") << std::vector{i16, i32, i48} << 256 << 2;
        QTest::newRow("deepest of equal sizes") << std::vector{i32low, i32, i16} << 32 << 1;
        QTest::newRow("deepest first stays") << std::vector{i32, i32low} << 32 << 0;
        QTest::newRow("a tall image counts by its height")
            << std::vector{TImageFacts{16, 48, 32}, i32} << 40 << 0;
    }
    void picksTheImageThatBestFits() {
        QFETCH(std::vector<TImageFacts>, images);
        QFETCH(int, wanted);
        QFETCH(int, picked);
        QCOMPARE(pictavo::PickTileImage(images, wanted), picked);
    }

    void iconPlacedAtTheTopCentre() {
        // Centred on (side - 6) / 2 as the 60-px tiles always were; larger images fitted
        // with their shape kept, smaller ones at their own size.
        for (const auto& [side, icon, w, h, rect] :
             {std::tuple{60, 32, 32, 32, TTileRect{11, 3, 32, 32}},
              {60, 32, 16, 16, TTileRect{19, 3, 16, 16}},
              {60, 32, 256, 256, TTileRect{11, 3, 32, 32}},
              {60, 32, 64, 32, TTileRect{11, 3, 32, 16}},
              {156, 128, 256, 256, TTileRect{11, 3, 128, 128}},
              {156, 128, 48, 48, TTileRect{51, 3, 48, 48}}})
            QCOMPARE(pictavo::TileIconRect(side, icon, w, h), rect);
    }
};
PICTAVO_APP_TEST(TileRulesTest)

#include "TileRulesTest.moc"
