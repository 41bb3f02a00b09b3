// Folder scan and search: the tree's folder and the search panel's settings become a
// search of FindFile, which runs on this thread and lists every file holding icons.
#include "app/FileList.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "search/MaskText.h"
#include "app/WindowRules.h"
#include "app/WindowTexts.h"

#include "app/IconBox.h"
#include "platform/TickCount.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>

using namespace pictavo;

void Twnd_pictavo_Main::ShellTreeFolderSelected(const QString& folder) {
    if (folder.isEmpty())
        return;
    FindFile.Abort();
    TFileCriteria& files = FindFile.Criteria().Files();
    files.SetSubfolders(false);
    // The folder is one folder, named literally: ";", "<" and ">" belong to its name.
    files.SetLocation("");
    files.SetFolderMasks({{folder.toStdString(), "*.*"}});
    files.SetFileName("*.*");
    files.SetPaths({});
    Guarded([&] { FindFile.Execute(); });
}

void Twnd_pictavo_Main::pmRefreshClick() {
    ShellTreeFolderSelected(ShellTreeSelectedFolder());
}

void Twnd_pictavo_Main::ShellTreeDblClick() {
    const QString folder = ShellTreeSelectedFolder();
    if (!folder.isEmpty())
        de->SetText(folder);
}

void Twnd_pictavo_Main::deChange() {
    const QString text = de->Text();
    bSearch->setEnabled(!text.isEmpty() && QFileInfo(text).isDir());
}

void Twnd_pictavo_Main::bSearchClick() {
    if (FindFile.Busy()) {
        FindFile.Abort();
        return;
    }
    const QString maskText = cbMask->currentText();
    TFileCriteria& files = FindFile.Criteria().Files();
    files.SetLocation("");
    files.SetSubfolders(cbxSub->isChecked());
    files.SetPaths({});
    files.SetFileName("");
    std::vector<TFolderMask> folderMasks;
    for (const std::string& mask : SplitMaskText(maskText.toStdString()))
        folderMasks.push_back({de->Text().toStdString(), mask});
    files.SetFolderMasks(folderMasks);
    Guarded([&] { FindFile.Execute(); });
    QStringList history;
    for (int i = 0; i < cbMask->count(); ++i)
        history.append(cbMask->itemText(i));
    const QStringList after = MaskHistoryAfter(history, maskText);
    if (after.size() != history.size())
        cbMask->insertItem(0, maskText);
    cbMask->setCurrentText(maskText);
}

void Twnd_pictavo_Main::FindFileSearchBegin() {
    bSearch->setText(tr("取消"));
    ShellTree->setEnabled(false);
    FSelectedThumb = -1;
    if (cbxClear->isChecked()) {
        FileList->Model().Clear();
        FScan.Clear();
    }
    IconBox->clear();
    IconBoxHeader->SetText({});
    IconListHeader->SetText({});
    RemoveThumbnails(-1);
    FSearchStart = platform::TickCount() & 0xFFFFFFFFu;
    FPendingRows.clear();
    FPendingStatus.clear();
    FProgressClock.start();
}

void Twnd_pictavo_Main::ShowPendingScanResults() {
    for (pictavo::TFileEntry& entry : FPendingRows)
        FileList->Model().AddEntry(std::move(entry));
    FPendingRows.clear();
    if (!FPendingStatus.isEmpty())
        ShowStatus(FPendingStatus);
    FPendingStatus.clear();
    FProgressClock.start();
}

void Twnd_pictavo_Main::ProcessScanEvents() {
    if (!FProgressClock.isValid() || FProgressClock.elapsed() >= 50)
        ShowPendingScanResults();
    // A click on "取消" is seen within a few milliseconds; looking for events after every
    // file cost a scan of small files a third of its time.
    if (!FEventClock.isValid() || FEventClock.elapsed() >= 5) {
        QApplication::processEvents();
        FEventClock.start();
    }
}

void Twnd_pictavo_Main::FindFileFileMatch(const TFileDetails& FileInfo) {
    QString status;
    try {
        const TScanStep step = FScan.FileMatch(FileInfo, cbxIgnore->isChecked());
        status = QString::fromStdString(step.StatusName);
        if (step.Entry)
            FPendingRows.push_back(*step.Entry);
    } catch (...) {
        ShowScanProgress(status);
        throw;
    }
    ShowScanProgress(status);
}

void Twnd_pictavo_Main::ShowScanProgress(const QString& fileStatus) {
    const int rows = FileList->Model().rowCount() + static_cast<int>(FPendingRows.size());
    FPendingStatus = WindowTexts::StatusTotals(rows, FIconTotal()) + fileStatus;
    ProcessScanEvents();
}

void Twnd_pictavo_Main::FindFileSearchFinish() {
    // The search ends here: a question left open for a while is not part of its time.
    const auto searchEnd = static_cast<uint32_t>(platform::TickCount());
    ShowPendingScanResults();
    const int rows = FileList->Model().rowCount();
    ShowStatus(WindowTexts::StatusTotals(rows, FIconTotal()) + tr("结果..."));
    sb->repaint();
    if (cbxViewAll->isChecked()) {
        if (FIconTotal() < 5000 ||
            ConfirmDlg(*FDialogs, tr("即将添加许多图标到视窗;这将耗费一些时间,你确定吗?")))
            Guarded([&] { cmView(Take::All); });
    }
    ShellTree->setEnabled(true);
    bSearch->setText(tr("开始"));
    ShowStatus(WindowTexts::StatusTotals(FileList->Model().rowCount(), FIconTotal()) +
               WindowTexts::SearchTime(static_cast<uint32_t>(FSearchStart),
                                       searchEnd));
    FileList->setFocus();
    QApplication::beep();
}
