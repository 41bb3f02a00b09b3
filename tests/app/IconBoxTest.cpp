// The image list: item heights and captions, the 32-bit filter keeping true indices,
// images drawn at their own size through the core, and the right button's selection.

#include "app/IconBox.h"
#include "../icons/IconTestSupport.h"
#include "AppTest.h"

#include <QtTest>

namespace {

using pictavo::test::BlockRecipe;

BlockRecipe Image(int width, int height, int bpp) {
    BlockRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bpp = bpp;
    recipe.color = [bpp](int, int) { return bpp >= 24 ? 0xFFFF0000u : 1u; };
    recipe.mask = [](int, int) { return false; };
    return recipe;
}

QRect AreaOf(const QImage& image, QRgb color) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == color)
                area |= QRect(x, y, 1, 1);
    return area;
}

} // namespace

class IconBoxTest : public QObject {
    Q_OBJECT
private slots:
    void heightsAndCaptions() {
        pictavo::TMultiIcon icon;
        pictavo::test::LoadBytes(icon,
                                 pictavo::test::MakeIcon({Image(32, 32, 8), Image(16, 32, 24)}));
        TIconBox box;
        box.SetIcon(&icon);
        box.ListImages(false);
        QCOMPARE(box.count(), 2);
        auto* delegate = static_cast<TIconBoxDelegate*>(box.itemDelegate());
        const int text = box.fontMetrics().height();
        QCOMPARE(delegate->IconBoxMeasureItem(0), 32 + text + 15);
        QCOMPARE(IconBoxItemHeight(256, text), 256 + text + 15);
        QCOMPARE(IconBoxItemHeight(240, 1), 256);
        QCOMPARE(IconBoxCaption(0, 32, 32, 8), QString("[0] 32 x 32 - 8bit"));
        QCOMPARE(IconBoxImageIndex("7"), 7);
        QCOMPARE(IconBoxImageIndex("x"), 0);

        // A 16 x 32 image is drawn 16 wide and 32 high, centred, 5 pixels from the top.
        const QImage item = delegate->IconBoxDrawItem(1, QSize(200, 80), false);
        QCOMPARE(AreaOf(item, qRgb(255, 0, 0)), QRect(92, 5, 16, 32));
        // On HiDPI every pixel of the image becomes 2 x 2 device pixels, in the same place.
        const QImage sharp = delegate->IconBoxDrawItem(1, QSize(200, 80), false, 2);
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QCOMPARE(AreaOf(sharp, qRgb(255, 0, 0)), QRect(184, 10, 32, 64));
    }

    void filterKeepsTheTrueIndices() {
        pictavo::TMultiIcon icon;
        pictavo::test::LoadBytes(
            icon, pictavo::test::MakeIcon({Image(16, 16, 4), Image(32, 32, 4), Image(48, 48, 8),
                                           Image(16, 16, 32), Image(32, 32, 32)}));
        TIconBox box;
        box.SetIcon(&icon);
        box.ListImages(true);
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.item(0)->text(), QString("3"));
        QCOMPARE(box.item(1)->text(), QString("4"));
        box.ListImages(false);
        QCOMPARE(box.count(), 5);
    }

    // A 256-px PNG image is drawn at its size above its caption, not stretched over it.
    void pngImageKeepsItsSizeAboveTheCaption() {
        pictavo::TMultiIcon icon;
        icon.LoadFromFile(std::string(PICTAVO_FIXTURES) + "/icons/png256.ico");
        TIconBox box;
        box.SetIcon(&icon);
        box.SetColor(0x00FF00);
        auto* delegate = static_cast<TIconBoxDelegate*>(box.itemDelegate());
        const int height = delegate->IconBoxMeasureItem(0);
        QCOMPARE(height, 256 + box.fontMetrics().height() + 15);
        const QImage item = delegate->IconBoxDrawItem(0, QSize(300, height), false);
        QRect picture;
        for (int y = 0; y < 5 + 256; ++y)
            for (int x = 0; x < item.width(); ++x)
                if (item.pixel(x, y) != qRgb(0, 255, 0))
                    picture |= QRect(x, y, 1, 1);
        QVERIFY(!picture.isEmpty());
        QVERIFY2(QRect(22, 5, 256, 256).contains(picture),
                 qPrintable(QString("%1,%2 %3x%4").arg(picture.x()).arg(picture.y())
                                .arg(picture.width()).arg(picture.height())));
    }

    void rightButtonSelectsTheItemUnderThePointer() {
        pictavo::TMultiIcon icon;
        pictavo::test::LoadBytes(icon,
                                 pictavo::test::MakeIcon({Image(16, 16, 4), Image(16, 16, 8)}));
        TIconBox box;
        box.SetIcon(&icon);
        box.resize(257, 400);
        box.ListImages(false);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QRect second = box.visualItemRect(box.item(1));
        QTest::mousePress(box.viewport(), Qt::RightButton, {}, second.center());
        QCOMPARE(box.SelectedImageIndex(), 1);
        QTest::mousePress(box.viewport(), Qt::RightButton, {}, QPoint(10, second.bottom() + 20));
        QCOMPARE(box.SelectedImageIndex(), -1);
        QVERIFY(box.selectedItems().isEmpty());
    }
};
PICTAVO_APP_TEST(IconBoxTest)

#include "IconBoxTest.moc"
