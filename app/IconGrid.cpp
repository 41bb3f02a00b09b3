#include "app/IconGrid.h"

#include "app/TileRules.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

using pictavo::TTileGrid;

TIconGrid::TIconGrid(QWidget* parent)
    : TWheelScrollBox(parent), FRenderer(new TTileRenderer(this)) {
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    FRenderer->OnRendered = [this](const TTileKey& key, const TTileIcon& icon) {
        FCache.Insert(key, icon, static_cast<size_t>(icon.Image.sizeInBytes()) + 256);
        viewport()->update();
    };
}

void TIconGrid::TilesChanged() {
    const TTileGrid grid = Grid();
    const long long height = grid.Height(FTiles.Count());
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(grid.RowStep());
    bar->setPageStep(viewport()->height());
    bar->setRange(0, static_cast<int>(std::max(0LL, height - viewport()->height())));
    if (FHover >= FTiles.Count())
        FHover = -1;
    FPressed = -1;
    viewport()->update();
}

void TIconGrid::SetIconSize(int iconSize) {
    FIconSize = pictavo::ValidTileIconSize(iconSize);
    TilesChanged();
}

int TIconGrid::TileSide() const {
    return pictavo::TileSide(FIconSize, fontMetrics().height(), WidestCaptionWidth());
}

int TIconGrid::WidestCaptionWidth() const {
    // Asked for every tile painted: measured once per number of digits, format and font.
    const int digits = pictavo::CaptionDigits(FTiles.LargestIndex());
    if (digits == FMeasured.Digits && FCaptionFormat == FMeasured.Format &&
        font() == FMeasured.Font)
        return FMeasured.Width;
    const QFontMetrics metrics = fontMetrics();
    QChar widest = '0';
    for (char digit = '1'; digit <= '9'; ++digit)
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    FMeasured = {digits, FCaptionFormat, font(),
                 metrics.horizontalAdvance(FCaptionFormat.arg(QString(digits, widest)))};
    return FMeasured.Width;
}

TTileGrid TIconGrid::Grid() const {
    return TTileGrid(TileSide(), viewport()->width());
}

QRect TIconGrid::TileRect(int position) const {
    const pictavo::TGridRect r = Grid().TileRect(position);
    return {r.Left, r.Top, r.Width, r.Height};
}

int TIconGrid::TileAt(const QPoint& point) const {
    return Grid().TileAt(point.x(),
                         static_cast<long long>(point.y()) + verticalScrollBar()->value(),
                         FTiles.Count());
}

void TIconGrid::SetColor(pictavo::TColor color) {
    FColor = color;
    viewport()->update();
}

QString TIconGrid::Caption(int position) const {
    return FCaptionFormat.arg(FTiles.At(position).Index);
}

void TIconGrid::FocusTile(int position) {
    FFocus = position;
    setFocus();
    if (position < 0 || position >= FTiles.Count())
        return;
    const QRect place = TileRect(position);
    QScrollBar* bar = verticalScrollBar();
    const int margin = TTileGrid::Margin;
    if (place.top() - margin < bar->value())
        bar->setValue(place.top() - margin);
    else if (place.bottom() + margin >= bar->value() + viewport()->height())
        bar->setValue(place.bottom() + margin + 1 - viewport()->height());
    viewport()->update();
}

TTileKey TIconGrid::KeyOf(int position) const {
    const pictavo::TTileFile& file = FTiles.FileOf(position);
    return {file.Name,
            file.Size,
            file.ModifiedNs,
            file.Inode,
            file.ChangedNs,
            FTiles.At(position).IconIndex,
            FIconSize,
            TileSide(),
            static_cast<int>(std::lround(viewport()->devicePixelRatioF() * 100))};
}

TTileLook TIconGrid::LookOf(int position) const {
    TTileLook look;
    look.Color = FColor;
    look.Selected = FTiles.At(position).Selected;
    look.Pressed =
        position == FPressed && FPressed == TileAt(viewport()->mapFromGlobal(QCursor::pos()));
    // A popup or dialog that took the pointer away sends no leave event: the pointer's
    // real place decides.
    look.Hover = position == FHover &&
                 viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos()));
    look.Focus = position == FFocus && hasFocus();
    return look;
}

void TIconGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const TTileGrid grid = Grid();
    const int top = verticalScrollBar()->value();
    int first = 0, end = 0;
    grid.Visible(static_cast<long long>(top) + event->rect().top(), event->rect().height(),
                 FTiles.Count(), first, end);
    const TTileIcon none;
    for (int i = first; i < end; ++i) {
        const TTileIcon* icon = FCache.Find(KeyOf(i));
        PaintTile(painter, TileRect(i).translated(0, -top), LookOf(i), icon ? *icon : none,
                  Caption(i), palette(), font());
    }
    WantVisibleIcons();
}

void TIconGrid::WantVisibleIcons() {
    int first = 0, end = 0;
    Grid().Visible(verticalScrollBar()->value(), viewport()->height(), FTiles.Count(), first, end);
    std::vector<TTileKey> missing;
    for (int i = first; i < end; ++i) {
        TTileKey key = KeyOf(i);
        if (FCache.Find(key) == nullptr)
            missing.push_back(std::move(key));
    }
    FRenderer->Want(std::move(missing));
}

void TIconGrid::resizeEvent(QResizeEvent* event) {
    TWheelScrollBox::resizeEvent(event);
    TilesChanged();
}

void TIconGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

bool TIconGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        SetHover(-1);
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int tile = TileAt(help->pos());
        if (tile >= 0)
            QToolTip::showText(help->globalPos(), QString::fromStdString(FTiles.FileOf(tile).Name),
                               viewport(),
                               TileRect(tile).translated(0, -verticalScrollBar()->value()));
        else
            QToolTip::hideText();
        return true;
    }
    return TWheelScrollBox::viewportEvent(event);
}

void TIconGrid::SetHover(int position) {
    if (position == FHover)
        return;
    FHover = position;
    viewport()->update();
}

void TIconGrid::mousePressEvent(QMouseEvent* event) {
    const int tile = TileAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        if (tile >= 0)
            emit tileRightClicked(tile);
        event->ignore(); // the context menu of the view follows
        return;
    }
    if (event->button() == Qt::LeftButton) {
        FPressed = tile;
        FPressPoint = event->position().toPoint();
        if (tile >= 0)
            FFocus = tile;
        setFocus();
        viewport()->update();
    }
}

void TIconGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is one more press: a double click gives two clicks.
    mousePressEvent(event);
}

void TIconGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int pressed = FPressed;
    FPressed = -1;
    viewport()->update();
    if (pressed >= 0 && pressed == TileAt(event->position().toPoint()))
        emit tileClicked(pressed, pictavo::TileClickOf(
                                      event->modifiers().testFlag(Qt::ControlModifier),
                                      event->modifiers().testFlag(Qt::ShiftModifier)));
}

void TIconGrid::mouseMoveEvent(QMouseEvent* event) {
    SetHover(TileAt(event->position().toPoint()));
    if (FPressed >= 0 && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - FPressPoint).manhattanLength() >=
            QApplication::startDragDistance()) {
        const int dragged = FPressed;
        FPressed = -1; // a drag is no click
        viewport()->update();
        emit tileDragged(dragged);
        return;
    }
    if (FPressed >= 0)
        viewport()->update();
}

void TIconGrid::keyPressEvent(QKeyEvent* event) {
    // As on the buttons the tiles once were: space clicks the tile with the focus; the
    // arrows move the focus (and the view with it).
    const int count = FTiles.Count(), columns = Grid().Columns();
    int next = FFocus;
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) {
            emit iconSizeStepped(1);
            return;
        }
        if (event->key() == Qt::Key_Minus) {
            emit iconSizeStepped(-1);
            return;
        }
    }
    switch (event->key()) {
    case Qt::Key_Home: // with Ctrl too
        next = 0;
        break;
    case Qt::Key_End:
        next = count - 1;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FFocus >= 0 && FFocus < count)
            emit tileClicked(FFocus, event->modifiers().testFlag(Qt::ControlModifier)
                                         ? pictavo::TTileClick::Toggle
                                         : pictavo::TTileClick::Only);
        return;
    case Qt::Key_Left:
        next = FFocus - 1;
        break;
    case Qt::Key_Right:
        next = FFocus + 1;
        break;
    case Qt::Key_Up:
        next = FFocus - columns;
        break;
    case Qt::Key_Down:
        next = FFocus < 0 ? 0 : FFocus + columns;
        break;
    default:
        TWheelScrollBox::keyPressEvent(event);
        return;
    }
    if (next >= 0 && next < count) {
        FocusTile(next);
        if (event->modifiers().testFlag(Qt::ShiftModifier))
            emit tileClicked(next, pictavo::TTileClick::Range);
    }
}

void TIconGrid::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() != Qt::ControlModifier) {
        TWheelScrollBox::wheelEvent(event);
        return;
    }
    // Away from the user (a positive turn) makes the icons larger, as in image viewers.
    const int steps = TakeWheelSteps(FSizeWheelDelta, event->angleDelta().y());
    event->accept();
    if (steps != 0)
        emit iconSizeStepped(-steps);
}

void TIconGrid::focusInEvent(QFocusEvent* event) {
    TWheelScrollBox::focusInEvent(event);
    viewport()->update();
}

void TIconGrid::focusOutEvent(QFocusEvent* event) {
    TWheelScrollBox::focusOutEvent(event);
    viewport()->update();
}

TThumbRef::TThumbRef(TIconGrid* grid, int position)
    : FGrid(grid != nullptr && position >= 0 && position < grid->Tiles().Count() ? grid : nullptr),
      FPosition(FGrid ? position : -1) {}

const std::string& TThumbRef::ModuleName() const {
    return FGrid->Tiles().FileOf(FPosition).Name;
}

int TThumbRef::IconIndex() const {
    return FGrid->Tiles().At(FPosition).IconIndex;
}

void TThumbRef::SetIconIndex(int value) const {
    FGrid->Tiles().At(FPosition).IconIndex = value;
    FGrid->viewport()->update();
}

int TThumbRef::Index() const {
    return FGrid->Tiles().At(FPosition).Index;
}

QString TThumbRef::Caption() const {
    return FGrid->Caption(FPosition);
}

QString TThumbRef::toolTip() const {
    return QString::fromStdString(ModuleName());
}

bool TThumbRef::Selected() const {
    return FGrid->Tiles().At(FPosition).Selected;
}

void TThumbRef::SetSelected(bool value) const {
    FGrid->Tiles().At(FPosition).Selected = value;
    FGrid->viewport()->update();
}

pictavo::TColor TThumbRef::Color() const {
    return FGrid->Color();
}
