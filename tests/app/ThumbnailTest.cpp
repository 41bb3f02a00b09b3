// The icon tiles' look, their grid and the wheel scroll box. Tile pixels are read from a
// tile painted into an image as the view paints it.

#include "../icons/IconTestSupport.h"
#include "AppTest.h"
#include "app/QtColor.h"
#include "app/TileGrid.h"
#include "app/TileIcon.h"
#include "app/TilePainter.h"
#include "app/WheelScrollBox.h"
#include "util/Stream.h"

#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <tuple>

namespace {

using pictavo::test::BlockRecipe;

// An icon file with one opaque image of a single colour (raw 24-bit value 0x0000FF: red).
std::string WriteSolidIcon(const QTemporaryDir& dir, const char* name, int width, int height) {
    BlockRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bpp = 24;
    recipe.color = [](int, int) { return 0xFF0000u; };
    recipe.mask = [](int, int) { return false; };
    const std::string path = dir.filePath(name).toStdString();
    pictavo::WriteFileBytes(path, pictavo::test::MakeIcon({recipe}));
    return path;
}

// The columns and rows of the tile where the icon's red shows.
QRect RedArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                area |= QRect(x, y, 1, 1);
    return area;
}

// A 60-pixel tile as the view paints it: icon 0 of the file (none without one).
struct Tile {
    std::string ModuleName;
    int IconIndex = 0;
    TTileLook Look;
    QString Caption;
    QPalette Palette;
    QFont Font;
};

QImage Render(const Tile& tile) {
    QImage image(60, 60, QImage::Format_RGB32);
    const TTileIcon icon = tile.ModuleName.empty()
                               ? TTileIcon{}
                               : RenderTileIcon(tile.ModuleName, tile.IconIndex, 32, 60, 1);
    QPainter painter(&image);
    PaintTile(painter, image.rect(), tile.Look, icon, tile.Caption, tile.Palette, tile.Font);
    return image;
}

} // namespace

class ThumbnailTest : public QObject {
    Q_OBJECT
private slots:
    void iconPlacedByItsWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("16x16 at its own size") << 16 << 16 << QRect(19, 3, 16, 16);
        QTest::newRow("32x32 at its own size") << 32 << 32 << QRect(11, 3, 32, 32);
        QTest::newRow("16x32 keeps its shape") << 16 << 32 << QRect(19, 3, 16, 32);
        QTest::newRow("48x48 scaled into 32x32") << 48 << 48 << QRect(11, 3, 32, 32);
        QTest::newRow("256x256 scaled into 32x32") << 256 << 256 << QRect(11, 3, 32, 32);
    }
    void iconPlacedByItsWidth() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, expected);
        QTemporaryDir dir;
        Tile tile;
        tile.ModuleName = WriteSolidIcon(dir, "solid.ico", width, height);
        QCOMPARE(RedArea(Render(tile)), expected);
    }

    // The image that best fits the size in device pixels, scaled down, never up from a
    // small image when a larger one exists.
    void tileIconTakesTheImageThatFitsTheDevicePixels() {
        QTemporaryDir dir;
        BlockRecipe small, large;
        small.width = small.height = 32;
        large.width = large.height = 96;
        for (BlockRecipe* recipe : {&small, &large}) {
            recipe->bpp = 32;
            recipe->color = [](int, int) { return 0xFF0000FFu; };
            recipe->mask = [](int, int) { return false; };
        }
        const std::string path = dir.filePath("two.ico").toStdString();
        pictavo::WriteFileBytes(path, pictavo::test::MakeIcon({small, large}));
        struct Case {
            int iconSize;
            int tileSide;
            qreal ratio;
            QSize devicePixels;
            QRect place;
        };
        for (const Case& c : {Case{32, 60, 1.0, {32, 32}, {11, 3, 32, 32}},
                              Case{32, 60, 2.0, {64, 64}, {11, 3, 32, 32}},
                              Case{48, 76, 1.0, {48, 48}, {11, 3, 48, 48}},
                              Case{128, 156, 1.0, {96, 96}, {27, 19, 96, 96}},
                              Case{128, 156, 2.0, {96, 96}, {27, 19, 96, 96}}}) {
            const TTileIcon icon = RenderTileIcon(path, 0, c.iconSize, c.tileSide, c.ratio);
            QCOMPARE(icon.Image.size(), c.devicePixels);
            QCOMPARE(icon.Place, c.place);
            QCOMPARE(icon.Image.deviceIndependentSize().toSize(), c.place.size());
        }
        QVERIFY(
            RenderTileIcon(dir.filePath("none.ico").toStdString(), 0, 32, 60, 1).Image.isNull());
    }

    void moduleIconIsLoadedFromTheFile() {
        Tile tile;
        tile.ModuleName = std::string(PICTAVO_FIXTURES) + "/pe/icons32.dll";
        tile.IconIndex = 1;
        tile.Look.Color = 0xFFFFFF;
        const QImage image = Render(tile);
        int drawn = 0;
        for (int y = 3; y < 35; ++y)
            for (int x = 11; x < 43; ++x)
                drawn += image.pixel(x, y) != qRgb(255, 255, 255);
        QVERIFY(drawn > 50);
    }

    void fileWithoutIconsGivesFrameAndCaptionOnly() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("not-an-icon.txt").toStdString();
        pictavo::WriteFileBytes(path, {'h', 'e', 'l', 'l', 'o'});
        Tile tile;
        tile.ModuleName = path;
        tile.Caption = "图标 0";
        tile.Look.Color = 0xFFFFFF;
        const QImage image = Render(tile);
        QCOMPARE(image.pixel(0, 0), qRgb(0x80, 0x80, 0x80)); // BorderColor
        for (int y = 1; y < 35; ++y)
            for (int x = 1; x < 59; ++x)
                QCOMPARE(image.pixel(x, y), qRgb(255, 255, 255));
        QVERIFY(!TextPixels(image).isEmpty());
    }

    void fillFollowsTheState() {
        // Selected or pressed beats hover, hover beats plain.
        struct Case {
            bool selected, pressed, hover;
            pictavo::TColor fill;
        };
        TTileLook look;
        look.Color = pictavo::RGB(1, 2, 3);
        look.SelectedColor = 0x000011;
        look.PressColor = 0x000022;
        look.OnMouseColor = 0x000033;
        for (const Case& c : {Case{false, false, false, look.Color},
                              {true, false, false, 0x11},
                              {true, true, true, 0x11},
                              {false, true, true, 0x22},
                              {false, false, true, 0x33}}) {
            look.Selected = c.selected;
            look.Pressed = c.pressed;
            look.Hover = c.hover;
            QCOMPARE(TileFillColor(look), c.fill);
            Tile tile;
            tile.Look = look;
            QCOMPARE(Render(tile).pixel(30, 40), ToQColor(c.fill).rgb());
        }
    }

    // The selected fill is nearly the panel's colour: a highlight frame shows it.
    void selectedTileHasAHighlightFrame() {
        Tile tile;
        const QRgb highlight = tile.Palette.color(QPalette::Highlight).rgb();
        QVERIFY(Render(tile).pixel(1, 30) != highlight);
        tile.Look.Selected = true;
        const QImage image = Render(tile);
        for (const QPoint& p : {QPoint(1, 30), QPoint(30, 1), QPoint(58, 30), QPoint(30, 58)})
            QCOMPARE(image.pixel(p), highlight);
    }

    // On a navy background the caption is light, on a light one dark. Text is judged by
    // contrast, not by exact colours: how a font anti-aliases its strokes varies, so a
    // caption pixel is one much nearer the caption's colour than the background's.
    void captionReadsOnAnyBackground() {
        Tile tile;
        tile.Caption = "图标 8";
        for (const auto& [background, caption, wrong] :
             {std::tuple{pictavo::RGB(0, 0, 128), qRgb(255, 255, 255), qRgb(0, 0, 0)},
              std::tuple{pictavo::RGB(0xF0, 0xF0, 0xF0), qRgb(0, 0, 0), qRgb(255, 255, 255)}}) {
            tile.Look.Color = background;
            const QRgb fill = ToQColor(background).rgb();
            const QImage image = Render(tile);
            int captionPixels = 0, wrongPixels = 0;
            for (int y = 35; y < 59; ++y)
                for (int x = 1; x < 59; ++x) {
                    const QRgb pixel = image.pixel(x, y);
                    captionPixels += 2 * ColorDistance(pixel, caption) < ColorDistance(pixel, fill);
                    wrongPixels += ColorDistance(pixel, wrong) < ColorDistance(pixel, fill);
                }
            const QString where = QString::number(background, 16);
            QVERIFY2(captionPixels > 5, qPrintable(where));
            QVERIFY2(wrongPixels == 0, qPrintable(where));
        }
    }

    void captionStaysInItsStripWithALiteralAmpersand() {
        Tile tile;
        tile.Look.Color = 0xFFFFFF;
        tile.Caption = "&";
        const QRect ampersand = TextPixels(Render(tile));
        QVERIFY2(!ampersand.isEmpty(), "an ampersand alone is drawn, not taken as a mnemonic");
        tile.Caption = "图标 123456789012345678901234567890";
        const QRect text = TextPixels(Render(tile));
        QVERIFY(text.left() >= 3 && text.right() <= 56);
        QVERIFY(text.top() >= 60 - 3 - QFontMetrics(tile.Font).height());
    }

    void gridWrapsWithTwoPixelMargins() {
        using pictavo::TGridRect;
        // 3 tiles of 64 fit in 200 pixels, the fourth wraps.
        const pictavo::TTileGrid grid(60, 200);
        QCOMPARE(grid.Columns(), 3);
        QCOMPARE(grid.Height(5), 128);
        QCOMPARE(grid.Height(0), 0);
        for (const auto& [position, rect] : {std::pair{0, TGridRect{2, 2, 60, 60}},
                                             {1, TGridRect{66, 2, 60, 60}},
                                             {2, TGridRect{130, 2, 60, 60}},
                                             {3, TGridRect{2, 66, 60, 60}}})
            QCOMPARE(grid.TileRect(position), rect);
        // A view narrower than one tile still shows one tile per row.
        QCOMPARE(pictavo::TTileGrid(60, 30).Height(5), 5 * 64);
        QCOMPARE(pictavo::TTileGrid(156, 1000).Columns(), 6);
        // Points: on a tile, in a margin, past the last tile, outside the columns.
        for (const auto& [x, y, tile] : {std::tuple{2, 2, 0},
                                         {61, 61, 0},
                                         {62, 30, -1},
                                         {66, 2, 1},
                                         {3, 70, 3},
                                         {70, 70, 4},
                                         {140, 70, -1},
                                         {195, 10, -1},
                                         {-1, 10, -1}})
            QCOMPARE(grid.TileAt(x, y, 5), tile);
        int first = 0, end = 0;
        grid.Visible(0, 64, 5, first, end);
        QCOMPARE(std::pair(first, end), std::pair(0, 3));
        grid.Visible(70, 10, 5, first, end);
        QCOMPARE(std::pair(first, end), std::pair(3, 5));
        grid.Visible(60, 10, 100, first, end); // two rows in part
        QCOMPARE(std::pair(first, end), std::pair(0, 6));
        // 100 000 tiles of 256 pixels in one column still have their place.
        QCOMPARE(pictavo::TTileGrid(284, 300).Height(100000), 100000LL * 288);
    }

    void wheelStepsGatherWholeNotches() {
        struct Case {
            std::vector<int> deltas;
            int steps;
            int remainder;
        };
        const Case cases[] = {
            {{-40, -40}, 0, -80}, {{-40, -40, -40}, 1, 0}, {{-240}, 2, 0},
            {{120}, -1, 0},       {{100, 50}, -1, 30},     {{-130, 20}, 1, 10},
        };
        for (const Case& c : cases) {
            int gathered = 0, steps = 0;
            for (int delta : c.deltas)
                steps += TakeWheelSteps(gathered, delta);
            QCOMPARE(steps, c.steps);
            QCOMPARE(gathered, c.remainder);
        }
    }

    void wheelScrollsOnlyWithoutHeldKeys() {
        TWheelScrollBox box;
        box.resize(200, 200);
        auto* tall = new QWidget;
        tall->setFixedSize(180, 2000);
        box.setWidget(tall);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QScrollBar* bar = box.verticalScrollBar();
        const int step = bar->singleStep();
        auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers, QPoint at = QPoint(50, 50)) {
            // Wheel events reach a scroll area through its viewport.
            QWheelEvent event(at, box.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                              Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box.viewport(), &event);
        };
        wheel(-40, {});
        wheel(-40, {});
        QCOMPARE(bar->value(), 0);
        wheel(-40, {});
        QCOMPARE(bar->value(), step);
        wheel(-240, {});
        QCOMPARE(bar->value(), 3 * step);
        wheel(-120, Qt::ControlModifier);
        QCOMPARE(bar->value(), 3 * step);
        QCOMPARE(box.WheelDelta(), 0);
        wheel(-120, {}, QPoint(500, 500)); // outside the box
        QCOMPARE(bar->value(), 3 * step);
        wheel(120, {});
        QCOMPARE(bar->value(), 2 * step);
    }

private:
    static int ColorDistance(QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b));
    }

    // Where the caption's dark text shows inside the tile's frame.
    static QRect TextPixels(const QImage& image) {
        QRect area;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                if (qGray(image.pixel(x, y)) < 160)
                    area |= QRect(x, y, 1, 1);
        return area;
    }
};
PICTAVO_APP_TEST(ThumbnailTest)

#include "ThumbnailTest.moc"
