// The library commands of the main window: the icons of the file list's rows
// ("保存到图标库" in its menu) or of the icon view's tiles (the same in the
// view's menu) collected into a new or existing icon library, and removing the
// selected tile's icon from the icon library it comes from. A library the file list
// shows has its row brought up to date afterwards.

#include "app/CursorGuard.h"
#include "app/FileList.h"
#include "app/IconGrid.h"
#include "app/LongWork.h"
#include "app/MainWindow.h"
#include "app/WindowTexts.h"
#include "icons/ExportNames.h"
#include "library/FileScan.h"
#include "library/IconLibraryBuilder.h"
#include "library/LibrarySources.h"
#include "util/Messages.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {

const QString LibraryFilter = "Icon libraries (*.icl *.dll);;All files (*)";

pictavo::TIconLibraryBuild LibraryBuild(const std::string& fileName,
                                        std::vector<pictavo::TIconSource> sources, bool rebuild,
                                        pictavo::TGroupCreation creation) {
    pictavo::TIconLibraryBuild build;
    build.FileName = fileName;
    build.Sources = std::move(sources);
    build.Rebuild = rebuild;
    build.GroupCreation = creation;
    return build;
}

} // namespace

bool Twnd_pictavo_Main::AskLibraryFile(const char* overwriteQuestion, std::string& fileName,
                                       bool& rebuild) {
    // sdICL asks nothing on overwrite: the question below does.
    const QString chosen =
        AskSaveName(tr("保存到图标库"), ".icl", std::string(), std::string(), LibraryFilter, false);
    if (chosen.isEmpty())
        return false;
    // A name typed without an extension ("lib1") is an .icl, as the dialog's filter says.
    fileName = pictavo::WithDefaultExtension(chosen.toStdString(), ".icl");
    // Yes rebuilds from the template, No updates; either way the previous file
    // stays as the backup. Cancel, Escape or closing the box writes nothing.
    rebuild = false;
    if (!QFileInfo::exists(QString::fromStdString(fileName)))
        return true;
    const TAnswer answer = ConfirmOrCancelDlg(*FDialogs, QString::fromUtf8(_(overwriteQuestion)));
    rebuild = answer == TAnswer::Yes;
    return answer != TAnswer::Cancel;
}

void Twnd_pictavo_Main::cmICLFromList(Take take) {
    std::string fileName;
    bool rebuild = false;
    if (!AskLibraryFile(pictavo::OverwriteLibraryQuestionList, fileName, rebuild))
        return;
    std::vector<pictavo::TListedFile> rows;
    const std::vector<int> selected = FileList->SelectedRows();
    for (int row = 0; row < FileList->Model().rowCount(); ++row) {
        const pictavo::TFileEntry& entry = FileList->Model().Entry(row);
        const bool isSelected = std::find(selected.begin(), selected.end(), row) != selected.end();
        rows.push_back({entry.FileName, entry.IconCount, isSelected});
    }
    std::vector<pictavo::TIconSource> sources =
        pictavo::SourcesFromList(rows, take == Take::Selected);
    const size_t icons = sources.size();
    if (BuildLibrary(
            LibraryBuild(fileName, std::move(sources), rebuild, pictavo::TGroupCreation::BeforeLoad))) {
        RefreshFileRows(fileName);
        ShowStatus(SavedIconsText(icons, QString::fromStdString(fileName)));
    }
}

void Twnd_pictavo_Main::cmICLFromView(Take take) {
    std::string fileName;
    bool rebuild = false;
    if (!AskLibraryFile(pictavo::OverwriteLibraryQuestionView, fileName, rebuild))
        return;
    std::vector<pictavo::TIconSource> sources =
        pictavo::SourcesFromView(ViewedIcons(), take == Take::Selected);
    const size_t icons = sources.size();
    if (BuildLibrary(
            LibraryBuild(fileName, std::move(sources), rebuild, pictavo::TGroupCreation::AfterSave))) {
        RefreshFileRows(fileName);
        ShowStatus(SavedIconsText(icons, QString::fromStdString(fileName)));
    }
}

// Another program (a second window, pictavo-cli) writing the library holds its lock: the
// progress says so, and Cancel ends the wait.
void Twnd_pictavo_Main::WaitForLibraryLock(TWorkProgress& progress, const std::string& library,
                                           std::function<void(const std::string&)>& onWait,
                                           std::function<void()>& whileWaiting) {
    const QString name = QFileInfo(QString::fromStdString(library)).fileName();
    onWait = [&progress, text = tr("正在等待另一个程序写完 %1…").arg(name).toStdString()](
                 const std::string&) { progress.SetWaiting(text); };
    whileWaiting = [&progress] {
        if (progress.Cancelled())
            throw TWorkCancelled();
    };
}

bool Twnd_pictavo_Main::BuildLibrary(pictavo::TIconLibraryBuild build) {
    CursorGuard hourglass;
    // The library is written only after the last icon: a cancel leaves it as it was.
    return LongWork->Run(tr("保存到图标库"), [&](TWorkProgress& progress) {
        build.OnProgress = [&progress](const std::string& file, size_t done, size_t total) {
            progress.SetTotal(total);
            progress.Step(done, file);
        };
        WaitForLibraryLock(progress, build.FileName, build.OnWaitForLock,
                           build.WhileWaitingForLock);
        pictavo::BuildIconLibrary(build);
    });
}

void Twnd_pictavo_Main::RefreshFileRows(const std::string& fileName) {
    // Tiles of the file show its new version.
    ScrollBox->Tiles().RefreshFile(fileName);
    ScrollBox->viewport()->update();
    const std::optional<pictavo::TFileEntry> entry = pictavo::ExamineFileAgain(fileName);
    TFileListModel& model = FileList->Model();
    for (int row = model.rowCount() - 1; row >= 0; --row) {
        if (model.Entry(row).FileName != fileName)
            continue;
        // A library left without icons leaves the list, as a new scan would leave it out.
        if (entry)
            model.ReplaceEntry(row, *entry);
        else
            model.RemoveEntry(row);
    }
}

std::vector<pictavo::TViewedIcon> Twnd_pictavo_Main::ViewedIcons() const {
    std::vector<pictavo::TViewedIcon> icons;
    for (int i = 0; i < ThumbCount(); ++i)
        icons.push_back({Thumb(i)->ModuleName(), Thumb(i)->IconIndex(), Thumb(i)->Selected()});
    return icons;
}

bool Twnd_pictavo_Main::RemoveFromICLOffered() const {
    const TThumbRef tile = SelectedThumb();
    return tile && pictavo::IsIconLibraryName(tile->ModuleName());
}

void Twnd_pictavo_Main::cmRemoveFromICL() {
    const TThumbRef tile = SelectedThumb();
    if (!tile)
        return;
    const std::string library = tile->ModuleName();
    const int iconIndex = tile->IconIndex();
    const QString question =
        tr("是否从图标库中删除这个图标？\r\n%1").arg(QString::fromStdString(library));
    if (!ConfirmDlg(*FDialogs, question))
        return;
    bool removed = false;
    try {
        CursorGuard hourglass;
        // Off the window's thread: another writer may hold the library for long.
        const bool finished = LongWork->Run(tr("从图标库中删除"), [&](TWorkProgress& progress) {
            progress.Step(0, library);
            std::function<void(const std::string&)> onWait;
            std::function<void()> whileWaiting;
            WaitForLibraryLock(progress, library, onWait, whileWaiting);
            removed = pictavo::RemoveIconGroupFromLibrary(library, iconIndex, onWait, whileWaiting);
        });
        if (!finished)
            return; // cancelled while waiting: the library and the view are as they were
    } catch (...) {
        cmRemoveFromView();
        throw;
    }
    cmRemoveFromView();
    if (!removed)
        return;
    RefreshFileRows(library);
    TFileListModel& rows = FileList->Model();
    int icons = 0;
    for (int row = 0; row < rows.rowCount(); ++row)
        icons += rows.Entry(row).IconCount;
    ShowStatus(WindowTexts::StatusTotals(rows.rowCount(), icons));
    if (FViewOfSelection) {
        // The icons of listed files are numbered as the library numbers them now.
        for (TViewFile& file : FViewFiles)
            if (file.FileName == library)
                --file.IconCount;
        const int position = FSelectedThumb;
        FillView(std::vector<TViewFile>(FViewFiles));
        if (position >= 0 && position < ThumbCount()) {
            Thumb(position).SetSelected(true);
            FSelectedThumb = position;
            ScrollBox->FocusTile(position);
        }
        return;
    }
    // The library's later icons moved up by one: so do the tiles that show them.
    std::vector<pictavo::TViewedIcon> tiles = ViewedIcons();
    pictavo::ShiftIndexesAfterRemoval(tiles, library, iconIndex);
    for (int i = 0; i < ThumbCount(); ++i)
        if (Thumb(i)->IconIndex() != tiles[static_cast<size_t>(i)].IconIndex)
            Thumb(i)->SetIconIndex(tiles[static_cast<size_t>(i)].IconIndex);
}
