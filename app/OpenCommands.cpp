// Opening files and folders other than through the tree: the File menu's open commands,
// the recent list, and files or folders dropped on the window. A folder is listed as a
// tree selection lists it; a file's folder is listed and the file's row selected.
#include "app/CursorRules.h"
#include "app/FileList.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/WindowRules.h"
#include "library/FileScan.h"
#include "library/PrivateTempFolder.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

namespace {

// Beside the window's other settings.
QString RecentKey() {
    return QString(SettingsGroup) + "/RecentPaths";
}

} // namespace

void Twnd_pictavo_Main::cmOpenFile() {
    const QString fileName = FDialogs->OpenFileName(
        tr("打开文件"), ShellTreeSelectedFolder(),
        tr("图标与程序文件") + " (*.exe *.dll *.icl *.ico *.cur *.ani *.ocx *.cpl *.scr *.sys *.mun);;" +
            tr("Windows 光标包") + " (*.inf);;" + tr("所有文件") + " (*)");
    if (!fileName.isEmpty())
        OpenPath(fileName);
}

void Twnd_pictavo_Main::cmOpenFolder() {
    const QString folder = FDialogs->FolderName(tr("打开文件夹"), ShellTreeSelectedFolder());
    if (!folder.isEmpty())
        OpenPath(folder);
}

bool Twnd_pictavo_Main::OpenPath(const QString& path) {
    const std::optional<TStartPath> target = StartPathOf(path);
    if (!target) {
        FDialogs->ShowError(tr("%1: 文件或文件夹不存在").arg(path));
        return false;
    }
    QSettings settings("Vantrel", "Pictavo");
    const QString opened = target->FileName.isEmpty() ? target->Folder : target->FileName;
    // A private temporary file is gone after the run that made it: not worth recalling.
    if (!pictavo::IsInPrivateTempFolder(opened.toStdString()))
        settings.setValue(RecentKey(),
                          RecentPathsAfter(settings.value(RecentKey()).toStringList(), opened));
    // The tree lists the folder as it selects it; when it is selected already, the rows
    // are there.
    if (!ShellTreeNavigate(target->Folder))
        return false;
    if (!target->FileName.isEmpty())
        SelectFileRow(target->FileName);
    if (IsInfFileName(target->FileName))
        OpenedCursorPack(target->FileName);
    return true;
}

void Twnd_pictavo_Main::FillRecentMenu() {
    mnRecent->clear();
    const QStringList recent = QSettings("Vantrel", "Pictavo").value(RecentKey()).toStringList();
    for (const QString& path : recent)
        mnRecent->addAction(path, this, [this, path] { Guarded([&] { OpenPath(path); }); });
    if (recent.isEmpty())
        mnRecent->addAction(tr("(无)"))->setEnabled(false);
    mnRecent->addSeparator();
    QAction* clear = mnRecent->addAction(
        tr("清除列表"), this, [] { QSettings("Vantrel", "Pictavo").remove(RecentKey()); });
    clear->setEnabled(!recent.isEmpty());
}

void Twnd_pictavo_Main::dragEnterEvent(QDragEnterEvent* event) {
    // A tile or image of this window dropped back on it would open its temporary copy.
    if (event->source() == nullptr && !LocalPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Twnd_pictavo_Main::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalPaths(event->mimeData());
    if (event->source() != nullptr || paths.isEmpty())
        return;
    event->acceptProposedAction();
    Guarded([&] { OpenDroppedPaths(paths); });
}

QStringList Twnd_pictavo_Main::LocalPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    return paths;
}

void Twnd_pictavo_Main::OpenDroppedPaths(const QStringList& paths) {
    // A folder (or a single file) opens as the File menu opens it.
    if (paths.size() == 1 || QFileInfo(paths.first()).isDir()) {
        // A file without icons opens its folder, where it is not listed: said in the status.
        if (OpenPath(paths.first()) && QFileInfo(paths.first()).isFile() &&
            !pictavo::ExamineFileAgain(paths.first().toStdString()))
            ShowStatus(NoIconsText({paths.first()}));
        return;
    }
    // Several files: those that hold icons are listed, and the first is shown.
    TFileListModel& model = FileList->Model();
    if (cbxClear->isChecked())
        model.Clear();
    QString first;
    QStringList withoutIcons;
    for (const QString& path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        const std::optional<pictavo::TFileEntry> entry =
            pictavo::ExamineFileAgain(absolute.toStdString());
        if (!entry) {
            withoutIcons.append(path);
            continue;
        }
        model.AddEntry(*entry);
        if (first.isEmpty())
            first = absolute;
    }
    if (!first.isEmpty())
        SelectFileRow(first);
    if (!withoutIcons.isEmpty())
        ShowStatus(NoIconsText(withoutIcons));
    UpdateCommands();
}

QString Twnd_pictavo_Main::NoIconsText(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        names.append(QFileInfo(path).fileName());
    return tr("%1: 文件中没有图标").arg(names.join(", "));
}
