#include "app/ColorDialog.h"

#include "app/NamedColors.h"
#include "app/Panels.h"
#include "app/QtColor.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

using pictavo::TColor;

namespace {

// The colour of the screen pixel at a global position, read from a 3 x 3 sample
// centred on it.
std::optional<TColor> ScreenPixel(QPoint at) {
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen)
        return std::nullopt;
    const QPoint local = at - screen->geometry().topLeft();
    const QImage sample = screen->grabWindow(0, local.x() - 1, local.y() - 1, 3, 3).toImage();
    if (sample.width() < 2 || sample.height() < 2)
        return std::nullopt;
    return FromQColor(sample.pixelColor(1, 1));
}

} // namespace

QString ColorToString(TColor color) {
    for (const pictavo::TNamedColor& named : pictavo::NamedColors)
        if (named.Value == color)
            return QString("cl") + named.Name;
    return QString("$%1").arg(color, 8, 16, QChar('0')).toUpper();
}

TColorDialogImage::TColorDialogImage(const pictavo::platform::IconHandle& icon, QWidget* parent)
    : QWidget(parent), FIcon(icon) {
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
}

void TColorDialogImage::SetBackground(TColor color) {
    FBackground = color;
    update();
}

void TColorDialogImage::paintEvent(QPaintEvent*) {
    QImage image(size(), QImage::Format_ARGB32);
    image.fill(ToQColor(FBackground));
    const auto canvas = pictavo::platform::Surface::View(
        image.bits(), image.width(), image.height(), static_cast<int>(image.bytesPerLine()), false);
    if (canvas)
        pictavo::platform::DrawIcon(*canvas, 0, 0, FIcon);
    // Like a screen, the picture has no transparency of its own.
    image.reinterpretAsFormat(QImage::Format_RGB32);
    image.convertTo(QImage::Format_ARGB32);
    QPainter(this).drawImage(0, 0, image);
}

void TColorDialogImage::mouseMoveEvent(QMouseEvent* event) {
    emit pointerMoved(event->globalPosition().toPoint());
}

void TColorDialogImage::mouseDoubleClickEvent(QMouseEvent*) {
    emit doubleClicked();
}

Tdlg_pictavo_Color::Tdlg_pictavo_Color(const pictavo::platform::IconHandle& icon, QWidget* owner)
    : QDialog(owner) {
    setObjectName("dlg_pictavo_Color");
    setWindowTitle(tr("选择背景颜色"));
    QFont dialogFont("宋体");
    dialogFont.setPixelSize(12);
    setFont(dialogFont);

    ScrollBox = new QScrollArea(this);
    ScrollBox->setWidgetResizable(true);
    Image = new TColorDialogImage(icon, ScrollBox);
    ScrollBox->setWidget(Image);

    ColorPanel = new QFrame(this);
    ColorPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ColorPanel->setFixedSize(21, 20);
    ColorPanel->setAutoFillBackground(true);
    lCursor = new QLabel(this);
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Label1 = new QLabel(tr("背景颜色"), this);
    ColorPicker = new TColorCombo(this);
    ColorPicker->setFixedWidth(115);
    bOK = new QPushButton(tr("确定"), this);
    bOK->setDefault(true);
    bCancel = new QPushButton(tr("取消"), this);

    auto* pointerRow = new QHBoxLayout;
    pointerRow->addWidget(ColorPanel);
    pointerRow->addSpacing(10);
    pointerRow->addWidget(lCursor, 1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(Label1);
    bottomRow->addWidget(ColorPicker);
    bottomRow->addStretch(1);
    bottomRow->addWidget(bOK);
    bottomRow->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 11, 12, 10);
    layout->addWidget(ScrollBox, 1);
    layout->addLayout(pointerRow);
    layout->addWidget(Bevel1);
    layout->addLayout(bottomRow);
    resize(341, 343);

    connect(ColorPicker, &TColorCombo::colorChanged, this, &Tdlg_pictavo_Color::cmSetBkg);
    connect(Image, &TColorDialogImage::doubleClicked, this, &Tdlg_pictavo_Color::cmSetBkg);
    connect(Image, &TColorDialogImage::pointerMoved, this, &Tdlg_pictavo_Color::ImageMouseMove);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Tdlg_pictavo_Color::cmSetBkg() {
    Image->SetBackground(ColorPicker->ColorValue());
}

void Tdlg_pictavo_Color::ImageMouseMove(QPoint globalPosition) {
    if (const std::optional<TColor> color = ScreenPixel(globalPosition))
        ShowPointerColor(*color);
}

void Tdlg_pictavo_Color::ShowPointerColor(TColor color) {
    lCursor->setText(tr("光标颜色: %1").arg(ColorToString(color)));
    QPalette colors = ColorPanel->palette();
    colors.setColor(QPalette::Window, ToQColor(color));
    ColorPanel->setPalette(colors);
}

bool PickBackgroundColor(QWidget* owner, const pictavo::platform::IconHandle& icon, TColor& color,
                         std::function<std::optional<TColor>(TColor)> pickCustom) {
    Tdlg_pictavo_Color dialog(icon, owner);
    dialog.ColorPicker->PickCustom = std::move(pickCustom);
    dialog.ColorPicker->SetColorValue(color);
    dialog.cmSetBkg();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    color = dialog.ColorPicker->ColorValue();
    return true;
}
