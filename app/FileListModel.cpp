#include "app/FileListModel.h"

#include "platform/CaseFolding.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

using namespace pictavo;

std::string ExtractFileName(const std::string& path) {
    return platform::FileNameOf(path);
}

std::string ExtractFilePath(const std::string& path) {
    return platform::FolderPartOf(path);
}

QString FormatFileTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    const QLocale locale;
    // Qt's long time format names the time zone; the list shows the clock time only.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    timeFormat = timeFormat.trimmed();
    return locale.toString(QDate(p.year, p.month, p.day), QLocale::ShortFormat) + " " +
           locale.toString(QTime(p.hour, p.minute, p.second), timeFormat);
}

QString FileListGetText(const TFileEntry& entry, int column) {
    switch (column) {
    case 0:
        return QString::fromStdString(ExtractFileName(entry.FileName));
    case 1:
        return QString::number(entry.IconCount);
    case 2:
        return FormatFileTime(entry.ModifiedTime);
    case 3:
        return QString::number(entry.Size >> 10);
    case 4:
        return QString::fromStdString(ExtractFilePath(entry.FileName));
    default:
        return {};
    }
}

Variant FileListSortKey(const TFileEntry& entry, int column) {
    switch (column) {
    case 0:
        return Variant(ExtractFileName(entry.FileName));
    case 1:
        return Variant(entry.IconCount);
    case 2:
        return Variant::FromFloat(VariantKind::Date, entry.ModifiedTime);
    case 3:
        return Variant(static_cast<int64_t>(entry.Size));
    case 4:
        return Variant(ExtractFilePath(entry.FileName));
    default:
        return Variant();
    }
}

int FileListCompareNodes(const TFileEntry& a, const TFileEntry& b, int column) {
    return CompareVariants(FileListSortKey(a, column), FileListSortKey(b, column));
}

int FileListIncrementalSearch(const std::string& searchText, const TFileEntry& entry) {
    const std::string name = ExtractFileName(entry.FileName);
    const size_t n = std::min(searchText.size(), name.size());
    const auto upper = [](char c) {
        return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    };
    for (size_t i = 0; i < n; ++i) {
        const int difference = upper(searchText[i]) - upper(name[i]);
        if (difference != 0)
            return difference;
    }
    return 0;
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return FileListGetText(Entry(index.row()), index.column());
    if (role == Qt::TextAlignmentRole) {
        const bool right = index.column() == 1 || index.column() == 3;
        return QVariant::fromValue((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const Captions[ColumnCount] = {
        QT_TR_NOOP("文件名称"), QT_TR_NOOP("图标数量"), QT_TR_NOOP("修改时间"),
        QT_TR_NOOP("大小 [KB]"), QT_TR_NOOP("文件位置")};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return tr(Captions[section]);
    if (role == Qt::TextAlignmentRole) {
        const bool right = section == 1 || section == 3;
        return QVariant::fromValue((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

bool TFileListModel::Before(const TFileEntry& a, const TFileEntry& b) const {
    const int result = FileListCompareNodes(a, b, FSortColumn);
    return FSortOrder == Qt::AscendingOrder ? result < 0 : result > 0;
}

void TFileListModel::sort(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // Sort positions rather than records, so persistent indexes can follow their rows.
    std::vector<size_t> positions(FRows.size());
    for (size_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    FSortColumn = column;
    FSortOrder = order;
    std::stable_sort(positions.begin(), positions.end(),
                     [this](size_t a, size_t b) { return Before(FRows[a], FRows[b]); });
    std::vector<TFileEntry> sorted;
    sorted.reserve(FRows.size());
    std::vector<int> newRow(FRows.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        newRow[positions[i]] = static_cast<int>(i);
        sorted.push_back(std::move(FRows[positions[i]]));
    }
    FRows = std::move(sorted);
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after.push_back(this->index(newRow[static_cast<size_t>(index.row())], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TFileListModel::AddEntry(TFileEntry entry) {
    size_t row = FRows.size();
    if (FSortColumn >= 0)
        row =
            static_cast<size_t>(std::upper_bound(FRows.begin(), FRows.end(), entry,
                                                 [this](const TFileEntry& a, const TFileEntry& b) {
                                                     return Before(a, b);
                                                 }) -
                                FRows.begin());
    beginInsertRows({}, static_cast<int>(row), static_cast<int>(row));
    FRows.insert(FRows.begin() + static_cast<std::ptrdiff_t>(row), std::move(entry));
    endInsertRows();
    return static_cast<int>(row);
}

void TFileListModel::ReplaceEntry(int row, TFileEntry entry) {
    FRows[static_cast<size_t>(row)] = std::move(entry);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TFileListModel::RemoveEntry(int row) {
    beginRemoveRows({}, row, row);
    FRows.erase(FRows.begin() + row);
    endRemoveRows();
}

void TFileListModel::Clear() {
    beginResetModel();
    FRows.clear();
    endResetModel();
}
