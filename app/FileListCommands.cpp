// The file list's events: a selection change shows the changed file's icons, a header
// click sorts.
#include "app/CursorGuard.h"
#include "app/FileList.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "app/WindowTexts.h"

#include "app/IconBox.h"
#include <QCheckBox>
#include <QHeaderView>
#include <QListWidget>
#include <QScopeGuard>

using namespace pictavo;

void Twnd_pictavo_Main::FileListChange(int row) {
    IconBox->clear();
    IconBoxHeader->SetText({});
    if (row < 0 || row >= FileList->Model().rowCount())
        return;
    const int kept = cbxClearView->isChecked() ? 0 : ThumbCount();
    CursorGuard hourglass;
    const TFileEntry& entry = FileList->Model().Entry(row);
    const QString fileName = QString::fromStdString(ExtractFileName(entry.FileName));
    // However the loading ends, the view shows what it got.
    const auto finish = qScopeGuard([&] {
        ScrollBoxResize();
        IconListHeader->SetText(WindowTexts::FileIconsHeader(fileName, ThumbCount()));
    });
    if (kept == 0)
        FViewFiles.clear();
    FViewFiles.push_back({entry.FileName, entry.IconCount});
    FViewOfSelection = true;
    const int added = AddFileIcons(entry.FileName, entry.IconCount, !cbxClearView->isChecked());
    RemoveThumbnails(ThumbCount() - kept - added);
}

void Twnd_pictavo_Main::FileListHeaderClick(int column) {
    TFileListModel& model = FileList->Model();
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == model.SortColumn())
        order =
            model.SortDirection() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    model.sort(column, order);
    FileList->header()->setSortIndicatorShown(true);
    FileList->header()->setSortIndicator(column, order);
    FileList->setFocus();
}
