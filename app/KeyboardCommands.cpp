// The keyboard's way to what the mouse reaches: Shift+F10 and the Menu key open the
// context menu of the focused list or view, and Tab goes through the window left to
// right, top to bottom.
#include "app/ColorDialog.h"
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/MainWindow.h"
#include "app/Panels.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTreeView>

void Twnd_pictavo_Main::BuildKeyboardPaths() {
    // The Menu key too: left to Qt, it opens the menu at the pointer, not at the tile.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto* menuKey = new QShortcut(keys, this);
        connect(menuKey, &QShortcut::activated, this, [this] { OpenFocusedContextMenu(); });
    }

    const QList<QWidget*> order = {ShellTree, cbxClearView, cbx32,     ColorPicker, de,
                                   cbMask,    cbxClear,     cbxSub,    cbxIgnore,   cbxViewAll,
                                   bSearch,   FileList,     ScrollBox, IconBox};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Twnd_pictavo_Main::OpenFocusedContextMenu() {
    for (QWidget* widget = QApplication::focusWidget(); widget != nullptr;
         widget = widget->parentWidget()) {
        if (widget->contextMenuPolicy() != Qt::CustomContextMenu)
            continue;
        // At the current item, where the menu would open under the pointer.
        QPoint at = widget->rect().center();
        if (const auto* view = qobject_cast<QAbstractItemView*>(widget)) {
            const QRect item = view->visualRect(view->currentIndex());
            at = item.isValid() ? item.center() : QPoint(0, 0);
        } else if (widget == ScrollBox && FSelectedThumb >= 0 && FSelectedThumb < ThumbCount()) {
            const QPoint tile = ScrollBox->TileRect(FSelectedThumb).center() -
                                QPoint(0, ScrollBox->verticalScrollBar()->value());
            at = ScrollBox->viewport()->mapTo(ScrollBox, tile);
        }
        emit widget->customContextMenuRequested(at);
        return;
    }
}
