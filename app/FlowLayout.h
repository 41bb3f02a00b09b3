// FlowLayout: places its widgets left to right and wraps them into rows from the top,
// each with a margin of 2 pixels on every side (neighbours end up 4 pixels apart). Its
// height follows from the width, so a scroll area around it scrolls the wrapped rows.
#pragma once

#include <QLayout>
#include <QList>

class FlowLayout : public QLayout {
public:
    static constexpr int ItemMargin = 2;

    explicit FlowLayout(QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(FItems.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Lays the items out in rect (or only measures when place is false); returns the
    // height used.
    int Arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> FItems;
};
