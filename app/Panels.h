// The small custom controls of the main window: the gradient header bars, the
// collapsible panels of the left side, the colour combo and the directory edit.
#pragma once

#include "util/Color.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <optional>

class QToolButton;

// A bar filled with a vertical gradient from 0x7E7E7E to 0x1E1E1E, with white text.
class TGradientHeader : public QWidget {
    Q_OBJECT
public:
    explicit TGradientHeader(int height, QWidget* parent = nullptr);
    QString Text() const { return FText; }
    void SetText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FText;
};

// A panel with a caption button that collapses it to the caption or expands it to its
// full height.
class TExpandPanel : public QWidget {
    Q_OBJECT
public:
    TExpandPanel(const QString& caption, int expandedHeight, QWidget* parent = nullptr);
    QWidget* Content() const { return FContent; }
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool value);

private:
    QToolButton* FCaption;
    QWidget* FContent;
    int FExpandedHeight;
    bool FExpanded = true;
};

// A colour combo: the standard colours as swatches and the entry "自定义" (custom),
// which asks `PickCustom` for a colour.
class TColorCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TColorCombo(QWidget* parent = nullptr);
    pictavo::TColor ColorValue() const { return FColorValue; }
    void SetColorValue(pictavo::TColor value);
    std::function<std::optional<pictavo::TColor>(pictavo::TColor)> PickCustom;

signals:
    void colorChanged();

private:
    void ItemActivated(int index);
    int IndexOfColor(pictavo::TColor value) const;

    pictavo::TColor FColorValue = 0xF0F0F0;
};

// A folder text with a browse button that asks `BrowseFolder` for a folder.
class TDirectoryEdit : public QWidget {
    Q_OBJECT
public:
    explicit TDirectoryEdit(QWidget* parent = nullptr);
    QString Text() const { return FEdit->text(); }
    void SetText(const QString& text) { FEdit->setText(text); }
    QLineEdit* Edit() const { return FEdit; }
    std::function<QString(const QString& start)> BrowseFolder;

signals:
    void textChanged();

private:
    QLineEdit* FEdit;
};
