// TThumbnail: a push button painted as a coloured tile with a one-line caption in a
// strip at the bottom, which can be marked as selected. The fill tells the state:
// pressed or selected beats hover, hover beats plain.
#pragma once

#include "util/Color.h"

#include <QAbstractButton>
#include <QImage>

class TThumbnail : public QAbstractButton {
    Q_OBJECT
public:
    explicit TThumbnail(QWidget* parent = nullptr);

    bool Selected() const { return FSelected; }
    void SetSelected(bool value);
    pictavo::TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(pictavo::TColor value);
    pictavo::TColor OnMouseColor() const { return FOnMouseColor; }
    void SetOnMouseColor(pictavo::TColor value) { FOnMouseColor = value; }
    pictavo::TColor PressColor() const { return FPressColor; }
    void SetPressColor(pictavo::TColor value) { FPressColor = value; }
    pictavo::TColor Color() const { return FColor; }
    void SetColor(pictavo::TColor value);
    pictavo::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(pictavo::TColor value);
    // The position the owner gave the tile; the tile itself does not use it.
    int Index() const { return FIndex; }
    void SetIndex(int value) { FIndex = value; }
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }

    bool MouseInside() const { return FMouseInside; }

signals:
    // The right button went down over the tile.
    void rightClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Draws on the tile's pixels between the fill and the caption; the tile draws nothing.
    virtual void DrawContent(QImage& tile);

private:
    void DrawFrameAndFill(QImage& tile) const;
    // The fill by state: selected, pressed, under the pointer, plain.
    pictavo::TColor FillColor() const;
    bool ShowsHover() const;
    void DrawFocusAndCaption(QImage& tile) const;

    bool FMouseInside = false;
    bool FSelected = false;
    pictavo::TColor FSelectedColor = 0xF0EEED;
    pictavo::TColor FOnMouseColor = 0xF0CAA6;
    pictavo::TColor FPressColor = 0xF0CAA6;
    pictavo::TColor FColor;
    pictavo::TColor FBorderColor = 0x808080;
    int FIndex = 0;
};
