// The background colour dialog: the preselected colour on OK, cancel leaving the colour,
// the icon shown over the candidate colour, and the text of the colour under the pointer.

#include "app/ColorDialog.h"
#include "../icons/IconTestSupport.h"
#include "AppTest.h"
#include "app/Panels.h"
#include "app/QtColor.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// A 16 x 16 icon, red where it is opaque (x >= 4), transparent in its left quarter.
std::unique_ptr<pictavo::platform::IconHandle> RedIcon(pictavo::TMultiIcon& icon) {
    pictavo::test::BlockRecipe recipe;
    recipe.bpp = 24;
    recipe.color = [](int x, int) { return x < 4 ? 0u : 0xFF0000u; };
    pictavo::test::LoadBytes(icon, pictavo::test::MakeIcon({recipe}));
    return icon.CreateIconHandle(0);
}

// Runs `answer` on the dialog once it is shown modally.
void WhenShown(std::function<void(Tdlg_pictavo_Color&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Tdlg_pictavo_Color*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(*dialog);
    });
}

} // namespace

class ColorDialogTest : public QObject {
    Q_OBJECT
private slots:
    void colourTexts() {
        QCOMPARE(ColorToString(0xFFFFFF), QString("clWhite"));
        QCOMPARE(ColorToString(0xA4A0A0), QString("clMedGray"));
        QCOMPARE(ColorToString(0x563412), QString("$00563412"));
        QCOMPARE(ColorToString(0x00ABCDEF), QString("$00ABCDEF"));
    }

    void okReturnsTheCombosColourAndCancelLeavesTheColour() {
        pictavo::TMultiIcon icon;
        const auto handle = RedIcon(icon);
        pictavo::TColor color = pictavo::clWhite;
        WhenShown([](Tdlg_pictavo_Color& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("选择背景颜色"));
            dialog.bOK->click();
        });
        QVERIFY(PickBackgroundColor(nullptr, *handle, color, {}));
        QCOMPARE(color, pictavo::clWhite);

        WhenShown([](Tdlg_pictavo_Color& dialog) {
            dialog.ColorPicker->SetColorValue(0x0000FF);
            dialog.bCancel->click();
        });
        QVERIFY(!PickBackgroundColor(nullptr, *handle, color, {}));
        QCOMPARE(color, pictavo::clWhite);

        WhenShown([](Tdlg_pictavo_Color& dialog) {
            dialog.ColorPicker->SetColorValue(0x0000FF);
            dialog.bOK->click();
        });
        QVERIFY(PickBackgroundColor(nullptr, *handle, color, {}));
        QCOMPARE(color, pictavo::TColor(0x0000FF));
    }

    void iconShowsOverTheChosenColourAndThePointerColourIsNamed() {
        pictavo::TMultiIcon icon;
        const auto handle = RedIcon(icon);
        Tdlg_pictavo_Color dialog(*handle, nullptr);
        dialog.ColorPicker->SetColorValue(0x00FF00); // lime: cmSetBkg follows the combo
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QImage shown = dialog.Image->grab().toImage();
        QCOMPARE(shown.pixel(1, 1), qRgb(0, 255, 0));     // transparent part
        QCOMPARE(shown.pixel(8, 8), qRgb(255, 0, 0));     // the icon
        QCOMPARE(shown.pixel(100, 100), qRgb(0, 255, 0)); // beyond the icon

        dialog.ShowPointerColor(0x563412);
        QCOMPARE(dialog.lCursor->text(), QString("光标颜色: $00563412"));
        QCOMPARE(dialog.ColorPanel->palette().color(QPalette::Window), ToQColor(0x563412));
        dialog.ShowPointerColor(0xFFFFFF);
        QCOMPARE(dialog.lCursor->text(), QString("光标颜色: clWhite"));
    }
};
PICTAVO_APP_TEST(ColorDialogTest)

#include "ColorDialogTest.moc"
