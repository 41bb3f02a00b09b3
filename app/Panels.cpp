#include "app/Panels.h"

#include "app/NamedColors.h"
#include "app/QtColor.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

using pictavo::TColor;

TGradientHeader::TGradientHeader(int height, QWidget* parent) : QWidget(parent) {
    setFixedHeight(height);
    QFont bar = font();
    bar.setPixelSize(12);
    setFont(bar);
}

void TGradientHeader::SetText(const QString& text) {
    FText = text;
    update();
}

void TGradientHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0x7E, 0x7E, 0x7E));
    gradient.setColorAt(1, QColor(0x1E, 0x1E, 0x1E));
    painter.fillRect(rect(), gradient);
    if (FText.isEmpty())
        return;
    painter.setPen(Qt::white);
    const QRect textRect = rect().adjusted(4, 0, -4, 0);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(FText, Qt::ElideRight, textRect.width()));
}

TExpandPanel::TExpandPanel(const QString& caption, int expandedHeight, QWidget* parent)
    : QWidget(parent), FExpandedHeight(expandedHeight) {
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(background);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FCaption = new QToolButton(this);
    FCaption->setText(caption);
    FCaption->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    FCaption->setArrowType(Qt::DownArrow);
    FCaption->setAutoRaise(true);
    FCaption->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    FCaption->setFixedHeight(22);
    layout->addWidget(FCaption);
    FContent = new QWidget(this);
    layout->addWidget(FContent, 1);
    connect(FCaption, &QToolButton::clicked, this, [this] { SetExpanded(!FExpanded); });
    SetExpanded(true);
}

void TExpandPanel::SetExpanded(bool value) {
    FExpanded = value;
    FContent->setVisible(value);
    FCaption->setArrowType(value ? Qt::DownArrow : Qt::RightArrow);
    setFixedHeight(value ? FExpandedHeight : FCaption->height());
}

namespace {

QIcon Swatch(TColor color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(ToQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

QString HexText(TColor color) {
    return QString("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TColorCombo::TColorCombo(QWidget* parent) : QComboBox(parent) {
    for (int i = 0; i < pictavo::StandardColorCount; ++i) {
        const pictavo::TNamedColor& named = pictavo::NamedColors[i];
        addItem(Swatch(named.Value), named.Name, QVariant::fromValue(named.Value));
    }
    addItem(Swatch(pictavo::BtnFaceColor), "Btn Face", QVariant::fromValue(pictavo::BtnFaceColor));
    addItem(tr("自定义"));
    SetColorValue(pictavo::BtnFaceColor);
    connect(this, &QComboBox::activated, this, &TColorCombo::ItemActivated);
}

int TColorCombo::IndexOfColor(TColor value) const {
    for (int i = 0; i < count() - 1; ++i)
        if (itemData(i).isValid() && itemData(i).value<TColor>() == value)
            return i;
    return -1;
}

void TColorCombo::SetColorValue(TColor value) {
    int index = IndexOfColor(value);
    if (index < 0) {
        index = count() - 1; // a custom colour sits just before "自定义"
        insertItem(index, Swatch(value), HexText(value), QVariant::fromValue(value));
    }
    setCurrentIndex(index);
    if (value == FColorValue)
        return;
    FColorValue = value;
    emit colorChanged();
}

void TColorCombo::ItemActivated(int index) {
    if (index == count() - 1) {
        const std::optional<TColor> picked = PickCustom ? PickCustom(FColorValue) : std::nullopt;
        if (picked)
            SetColorValue(*picked);
        else
            setCurrentIndex(IndexOfColor(FColorValue));
        return;
    }
    SetColorValue(itemData(index).value<TColor>());
}

TDirectoryEdit::TDirectoryEdit(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    FEdit = new QLineEdit(this);
    auto* browse = new QToolButton(this);
    browse->setText("...");
    layout->addWidget(FEdit, 1);
    layout->addWidget(browse);
    connect(FEdit, &QLineEdit::textChanged, this, &TDirectoryEdit::textChanged);
    connect(browse, &QToolButton::clicked, this, [this] {
        if (!BrowseFolder)
            return;
        const QString folder = BrowseFolder(FEdit->text());
        if (!folder.isEmpty())
            FEdit->setText(folder);
    });
}
