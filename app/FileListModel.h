// The model behind FileList: one row per file that holds icons, each row owning its
// TFileEntry; the five columns with their texts, sorting through CompareVariants, and
// the type-ahead rule. The texts and comparisons are plain functions, tested alone.
#pragma once

#include "library/FileScan.h"
#include "util/Variant.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

// The cell text of a record for a column (0 to 4); other columns give an empty text.
QString FileListGetText(const pictavo::TFileEntry& entry, int column);
// The sort key of a record for a column: name and folder as text, icon count as a 32-bit
// integer, modified time as a date-time, size in bytes as a 64-bit integer, else empty.
pictavo::Variant FileListSortKey(const pictavo::TFileEntry& entry, int column);
// CompareVariants of the two records' keys: negative, zero or positive.
int FileListCompareNodes(const pictavo::TFileEntry& a, const pictavo::TFileEntry& b, int column);
// The type-ahead comparison: the first n bytes of the typed text (UTF-8) and of the
// file-name part, n the shorter length, with only a-z folded to upper case; the
// difference of the first differing bytes, 0 when they agree.
int FileListIncrementalSearch(const std::string& searchText, const pictavo::TFileEntry& entry);
// The user's short date and long time of a date-time.
QString FormatFileTime(pictavo::TDateTime value);

// The file-name part and the folder part (with its trailing "/") of a path.
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);

class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 5;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    const pictavo::TFileEntry& Entry(int row) const { return FRows[static_cast<size_t>(row)]; }
    // Adds a row: at the end, or, once the list is sorted, at its place in the order.
    int AddEntry(pictavo::TFileEntry entry);
    // A row's file changed: the row shows its new entry where it stands.
    void ReplaceEntry(int row, pictavo::TFileEntry entry);
    void RemoveEntry(int row);
    void Clear();

    // -1 before the first header click.
    int SortColumn() const { return FSortColumn; }
    Qt::SortOrder SortDirection() const { return FSortOrder; }

private:
    bool Before(const pictavo::TFileEntry& a, const pictavo::TFileEntry& b) const;

    std::vector<pictavo::TFileEntry> FRows;
    int FSortColumn = -1;
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
};
