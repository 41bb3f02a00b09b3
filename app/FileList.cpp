#include "app/FileList.h"

#include <QApplication>
#include <QHeaderView>

TFileList::TFileList(QWidget* parent) : QTreeView(parent), FModel(this) {
    setObjectName("FileList");
    setModel(&FModel);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* head = header();
    head->setSectionsMovable(true);
    head->setSectionsClickable(true);
    head->setSortIndicatorShown(false);
    head->setStretchLastSection(true);
    head->setFixedHeight(17 + 4);
    const int widths[TFileListModel::ColumnCount] = {200, 75, 120, 75, 71};
    for (int column = 0; column < TFileListModel::ColumnCount; ++column)
        setColumnWidth(column, widths[column]);
    // The modified time is never cut off: its column is as wide as a full date and time
    // in the user's format, if that is wider than its 120 pixels. The name column gives
    // up what it takes, so the columns still fit the pane and the location stays visible.
    const QString sample = FormatFileTime(45657.99998); // 2024-12-31 23:59:58
    const int extra = std::max(0, fontMetrics().horizontalAdvance(sample) + 12 - widths[2]);
    setColumnWidth(2, widths[2] + extra);
    setColumnWidth(0, std::max(widths[0] - extra, widths[0] / 2));
}

std::vector<int> TFileList::SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < FModel.rowCount(); ++row)
        if (selectionModel()->isRowSelected(row, {}))
            rows.push_back(row);
    return rows;
}

void TFileList::ClickRow(int row) {
    const QModelIndex index = FModel.index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
}

int TFileList::IncrementalSearch(const QString& typed) {
    const std::string text = typed.toStdString();
    for (int row = 0; row < FModel.rowCount(); ++row) {
        if (FileListIncrementalSearch(text, FModel.Entry(row)) == 0) {
            ClickRow(row);
            return row;
        }
    }
    return -1;
}

void TFileList::keyboardSearch(const QString& search) {
    if (search.isEmpty())
        return;
    if (!FLastKey.isValid() || FLastKey.elapsed() > QApplication::keyboardInputInterval())
        FSearchText.clear();
    FLastKey.start();
    FSearchText += search;
    IncrementalSearch(FSearchText);
}
