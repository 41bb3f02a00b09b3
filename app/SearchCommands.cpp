// Folder scan and search: the tree's folder and the search panel's settings become a
// search of FindFile, which runs on this thread and lists every file holding icons.
#include "app/FileList.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "search/MaskText.h"
#include "util/ElapsedTime.h"

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

namespace {

// Files and icons as every status text begins.
QString Totals(int files, int icons) {
    return Twnd_pictavo_Main::tr("文件: %1    图标: %2    ").arg(files).arg(icons);
}

} // namespace

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
    if (cbMask->findText(maskText, Qt::MatchFixedString) < 0) // MatchFixedString ignores case
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
    RemoveThumbnails(FlowPanel, -1);
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
    QApplication::processEvents();
}

void Twnd_pictavo_Main::FindFileFileMatch(const TFileDetails& FileInfo) {
    QString status;
    struct Finish {
        Twnd_pictavo_Main* window;
        QString& status;
        ~Finish() {
            const int rows = window->FileList->Model().rowCount() +
                             static_cast<int>(window->FPendingRows.size());
            window->FPendingStatus = Totals(rows, window->FIconTotal()) + status;
            window->ProcessScanEvents();
        }
    } finish{this, status};
    const TScanStep step = FScan.FileMatch(FileInfo, cbxIgnore->isChecked());
    status = QString::fromStdString(step.StatusName);
    if (step.Entry)
        FPendingRows.push_back(*step.Entry);
}

void Twnd_pictavo_Main::FindFileSearchFinish() {
    ShowPendingScanResults();
    const int rows = FileList->Model().rowCount();
    ShowStatus(Totals(rows, FIconTotal()) + tr("结果..."));
    sb->repaint();
    if (cbxViewAll->isChecked()) {
        if (FIconTotal() < 5000 ||
            ConfirmDlg(*FDialogs, tr("即将添加许多图标到视窗;这将耗费一些时间,你确定吗?")))
            Guarded([&] { cmView(nullptr); });
    }
    ShellTree->setEnabled(true);
    bSearch->setText(tr("开始"));
    // The tick counter is 32 bits wide; across its wrap the difference is taken modulo
    // 2^32, so the elapsed time stays right instead of turning negative.
    const uint32_t elapsedMs =
        static_cast<uint32_t>(platform::TickCount()) - static_cast<uint32_t>(FSearchStart);
    const int64_t seconds = static_cast<int64_t>(elapsedMs) / 1000;
    ShowStatus(Totals(FileList->Model().rowCount(), FIconTotal()) +
               tr("搜索时间: %1")
                   .arg(QString::fromStdString(FormatElapsedTime(static_cast<double>(seconds)))));
    FileList->setFocus();
    QApplication::beep();
}
