// The tile's plain rules: offered sizes, tile side, the image a tile draws and where.

#include "app/TileRules.h"
#include "AppTest.h"
#include "app/BoundedCache.h"
#include "app/IconGrid.h"
#include "app/TileList.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>

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

    void sizeStepsThroughTheOfferedSizes() {
        for (const auto& [current, steps, next] : {std::tuple{32, 1, 48},
                                                   {48, -1, 32},
                                                   {96, 2, 256},
                                                   {256, 1, 256},
                                                   {32, -1, 32},
                                                   {100, 1, 48}})
            QCOMPARE(pictavo::NextTileIconSize(current, steps), next);
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

    void wideCaptionWidensTheTile() {
        // Caption strip = side - 6; the caption keeps 2 px free on each side.
        for (const auto& [icon, height, width, side] : {std::tuple{32, 17, 40, 60},
                                                        {32, 17, 50, 60},
                                                        {32, 17, 51, 61},
                                                        {32, 17, 70, 80},
                                                        {256, 17, 70, 284}})
            QCOMPARE(pictavo::TileSide(icon, height, width), side);
        for (const auto& [number, digits] :
             {std::pair{0, 1}, {9, 1}, {10, 2}, {9999, 4}, {10000, 5}, {99999, 5}, {100000, 6}})
            QCOMPARE(pictavo::CaptionDigits(number), digits);
    }

    // Five-digit captions fit whole on the 32-px tile, in either language and at any font
    // size: measured with the font the view paints them in.
    void fiveDigitCaptionsFitTheTile() {
        for (const QString& format : {QString("图标 %1"), QString("Icon %1")})
            for (int points : {0, 12, 16}) {
                TIconGrid grid;
                if (points > 0) {
                    QFont font = grid.font();
                    font.setPointSize(points);
                    grid.setFont(font);
                }
                grid.SetCaptionFormat(format);
                const int32_t file = grid.Tiles().FileNumber("/nowhere/a.dll");
                for (int number : {7, 10000, 44444, 88888, 99999})
                    grid.Tiles().Append({file, 0, number, false});
                grid.SetIconSize(32);
                const QFontMetrics metrics(grid.font());
                for (int i = 0; i < grid.Tiles().Count(); ++i)
                    QVERIFY2(metrics.horizontalAdvance(grid.Caption(i)) <= grid.TileSide() - 10,
                             qPrintable(grid.Caption(i)));
            }
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
              {156, 128, 48, 48, TTileRect{51, 43, 48, 48}}})
            QCOMPARE(pictavo::TileIconRect(side, icon, w, h), rect);
    }

    // The painted icons stay within their budget; the one used longest ago goes first.
    void cacheKeepsItsBudget() {
        struct Step {
            char op; // i: insert key with cost, f: find key, r: remove key
            int key;
            size_t cost;
            std::vector<int> held; // the keys held afterwards
            size_t total;
        };
        const Step steps[] = {
            {'i', 1, 40, {1}, 40},     {'i', 2, 40, {1, 2}, 80},
            {'f', 1, 0, {1, 2}, 80},   // 1 is now the most recent
            {'i', 3, 40, {1, 3}, 80},  // over 100: 2, used longest ago, goes
            {'i', 1, 10, {1, 3}, 50},  // replacing costs the new cost
            {'i', 4, 200, {1, 3}, 50}, // dearer than the whole budget: not kept
            {'i', 5, 100, {5}, 100},   // takes the whole budget
            {'r', 5, 0, {}, 0},
        };
        pictavo::TBoundedCache<int, std::string> cache(100);
        for (const Step& step : steps) {
            if (step.op == 'i')
                cache.Insert(step.key, std::to_string(step.key), step.cost);
            else if (step.op == 'f')
                QCOMPARE(*cache.Find(step.key), std::to_string(step.key));
            else
                cache.Remove(step.key);
            for (int key = 1; key <= 5; ++key) {
                const bool held =
                    std::find(step.held.begin(), step.held.end(), key) != step.held.end();
                QCOMPARE(cache.Contains(key), held);
            }
            QCOMPARE(cache.Cost(), step.total);
            QCOMPARE(cache.Count(), step.held.size());
        }
    }

    // Files are kept once for all their tiles; removing the last tiles keeps the others.
    void tileListKeepsFilesOnce() {
        pictavo::TTileList tiles;
        const int32_t a = tiles.FileNumber("/nonexistent/a.dll");
        const int32_t b = tiles.FileNumber("/nonexistent/b.dll");
        QCOMPARE(tiles.FileNumber("/nonexistent/a.dll"), a);
        QVERIFY(a != b);
        for (int i = 0; i < 5; ++i)
            tiles.Append({i % 2 == 0 ? a : b, i, i, false});
        QCOMPARE(tiles.FileOf(3).Name, std::string("/nonexistent/b.dll"));
        QCOMPARE(tiles.FileOf(3).Size, int64_t(-1)); // unreadable
        tiles.RemoveAt(1);
        QCOMPARE(tiles.At(1).IconIndex, 2);
        tiles.RemoveLast(2);
        QCOMPARE(tiles.Count(), 2);
        tiles.RemoveLast(9);
        QCOMPARE(tiles.Count(), 0);
        tiles.RemoveAt(0); // nothing to remove
    }

    // A file rewritten with its size and modification time kept is another version of it:
    // replaced by a rename (another inode) or written in place (another change time).
    void aRewrittenFileIsAnotherVersionEvenWithSizeAndTimeKept() {
        QTemporaryDir dir;
        const std::string name = dir.filePath("a.ico").toStdString();
        const auto write = [](const std::string& file, const char* bytes) {
            QFile out(QString::fromStdString(file));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        };
        const auto keepTime = [](const std::string& file, const pictavo::TTileFile& was) {
            const struct timespec times[2] = {
                {was.ModifiedNs / 1'000'000'000, was.ModifiedNs % 1'000'000'000},
                {was.ModifiedNs / 1'000'000'000, was.ModifiedNs % 1'000'000'000}};
            QCOMPARE(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        };
        const auto version = [](const pictavo::TTileFile& f) {
            return std::tuple{f.Size, f.ModifiedNs, f.Inode, f.ChangedNs};
        };
        write(name, "old1");
        const pictavo::TTileFile first = pictavo::StatTileFile(name);
        QThread::msleep(20); // a change time the clock can tell apart
        write(name, "new1");
        keepTime(name, first);
        const pictavo::TTileFile inPlace = pictavo::StatTileFile(name);
        QCOMPARE(std::tuple(inPlace.Size, inPlace.ModifiedNs), std::tuple(first.Size, first.ModifiedNs));
        QVERIFY(version(inPlace) != version(first));
        write(name + ".new", "new2");
        keepTime(name + ".new", first);
        QCOMPARE(::rename((name + ".new").c_str(), name.c_str()), 0);
        const pictavo::TTileFile renamed = pictavo::StatTileFile(name);
        QVERIFY(renamed.Inode != inPlace.Inode);
        QVERIFY(version(renamed) != version(inPlace));
    }
};
PICTAVO_APP_TEST(TileRulesTest)

#include "TileRulesTest.moc"
