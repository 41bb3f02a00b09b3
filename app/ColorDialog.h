// Tdlg_pictavo_Color: picks the colour that fills the transparent parts of an
// image written as a bitmap. It shows the icon on the candidate colour and
// tells the colour of the screen pixel under the pointer, to help match a
// colour seen elsewhere.
#pragma once

#include "platform/Raster.h"
#include "util/Color.h"

#include <QDialog>
#include <functional>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class TColorCombo;

// The icon at its natural size at the top left, over the dialog's candidate
// colour.
class TColorDialogImage : public QWidget {
    Q_OBJECT
public:
    TColorDialogImage(const pictavo::platform::IconHandle& icon, QWidget* parent);
    void SetBackground(pictavo::TColor color);

signals:
    void pointerMoved(QPoint globalPosition);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const pictavo::platform::IconHandle& FIcon;
    pictavo::TColor FBackground = pictavo::clWhite;
};

class Tdlg_pictavo_Color : public QDialog {
    Q_OBJECT
public:
    Tdlg_pictavo_Color(const pictavo::platform::IconHandle& icon, QWidget* owner);

    QScrollArea* ScrollBox;
    TColorDialogImage* Image;
    QFrame* ColorPanel;
    QLabel* lCursor;
    QFrame* Bevel1;
    QLabel* Label1;
    TColorCombo* ColorPicker;
    QPushButton* bOK;
    QPushButton* bCancel;

    // The combo's colour becomes the background behind the icon.
    void cmSetBkg();
    // Reads the screen pixel at the pointer and shows it in lCursor and
    // ColorPanel.
    void ImageMouseMove(QPoint globalPosition);
    // What ImageMouseMove shows for one colour.
    void ShowPointerColor(pictavo::TColor color);
};

// Shows the dialog for the icon with `color` preselected. On OK stores the
// combo's colour in `color` and returns true; on cancel leaves it and returns
// false. `pickCustom` serves the combo's custom-colour entry.
bool PickBackgroundColor(QWidget* owner, const pictavo::platform::IconHandle& icon,
                         pictavo::TColor& color,
                         std::function<std::optional<pictavo::TColor>(pictavo::TColor)> pickCustom);

// The name of one of the twenty named colours ("clWhite"), otherwise "$" and
// the eight upper-case hexadecimal digits of 0x00BBGGRR.
QString ColorToString(pictavo::TColor color);
