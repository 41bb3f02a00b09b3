// The icon view: the tiles of the view, built for one file or many, one or several
// selected (TileSelection's rules), with the image list filled from the clicked tile.
#include "app/CursorGuard.h"
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/LongWork.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "app/ViewIcons.h"
#include "app/WindowTexts.h"
#include "library/FileIcons.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <QCheckBox>
#include <QListWidget>
#include <QScopeGuard>
#include <QSplitter>
#include <QStyle>

using namespace pictavo;

int Twnd_pictavo_Main::ThumbCount() const {
    return ScrollBox->Tiles().Count();
}

TThumbRef Twnd_pictavo_Main::Thumb(int position) const {
    return TThumbRef(ScrollBox, position);
}

QRect Twnd_pictavo_Main::ThumbRect(int position) const {
    return position >= 0 && position < ThumbCount() ? ScrollBox->TileRect(position) : QRect();
}

int Twnd_pictavo_Main::AddFileIcons(const std::string& FileName, int IconCount, bool Append) {
    const int base = Append ? ThumbCount() : 0;
    TViewIconFilter filter(cbx32->isChecked());
    int added = 0;
    for (int i : filter.Qualifying(FileName, IconCount)) {
        AddThumbnail(FileName, base + added, i, !Append);
        ++added;
    }
    ClearThumbSelection();
    return added;
}

void Twnd_pictavo_Main::ClearThumbSelection() {
    TTileList& tiles = ScrollBox->Tiles();
    for (int i = 0; i < tiles.Count(); ++i)
        tiles.At(i).Selected = false;
    FSelectedThumb = -1;
    FSelectionAnchor = -1;
    ScrollBox->viewport()->update();
}

void Twnd_pictavo_Main::AddThumbnail(const std::string& FileName, int Position, int IconIndex,
                                     bool Reuse) {
    TTileList& tiles = ScrollBox->Tiles();
    const TTile tile{tiles.FileNumber(FileName), IconIndex, Position, false};
    if (Reuse && Position < tiles.Count()) {
        tiles.At(Position) = {tile.File, tile.IconIndex, tile.Index, tiles.At(Position).Selected};
    } else {
        tiles.Append(tile); // a new tile goes to the end of the view
    }
    ScrollBox->SetColor(ColorPicker->ColorValue());
    ScrollBox->TilesChanged();
}

void Twnd_pictavo_Main::RemoveThumbnails(int Count) {
    if (Count == -1)
        Count = ThumbCount();
    ScrollBox->Tiles().RemoveLast(Count);
    ScrollBox->TilesChanged();
}

int Twnd_pictavo_Main::FindSelectedThumb() const {
    const TTileList& tiles = ScrollBox->Tiles();
    for (int i = 0; i < tiles.Count(); ++i)
        if (tiles.At(i).Selected)
            return i;
    return -1;
}

void Twnd_pictavo_Main::ThumbnailClick(TThumbRef Sender, pictavo::TTileClick click) {
    if (!Sender)
        return;
    ClickTile(ScrollBox->Tiles(), FSelectionAnchor, Sender.Position(), click);
    ScrollBox->viewport()->update();
    if (!Sender.Selected()) {
        // Ctrl+click took the tile out of the selection: no tile is the current one.
        FSelectedThumb = -1;
        FIcon.ClearImages();
        IconBox->clear();
        IconBoxHeader->SetText({});
        UpdateCommands();
        return;
    }
    FSelectedThumb = Sender.Position();

    FIcon.ClearImages();
    try {
        LoadFileIcon(FIcon, Sender.ModuleName(), Sender.IconIndex());
    } catch (const std::exception& error) {
        // The core's message does not say which file it is about; the error box does.
        throw Exception(FileErrorText(Sender.ModuleName(), error.what()));
    }

    IconBox->ListImages(cbx32->isChecked());
    FitImagePanel();
    IconBoxHeader->SetText(tr("%1 - %n 图像", nullptr, IconBox->count()).arg(Sender.Caption()));
    PlayCursorOf(Sender.ModuleName());
    UpdateCommands();
}

void Twnd_pictavo_Main::FitImagePanel() {
    const QList<int> sizes = Splitter1->sizes();
    if (sizes.size() != 2 || IconBox->count() == 0)
        return;
    const int scrollBar = ScrollBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int width = ImagePanelWidth(sizes[1],
                                      IconBox->WidthForItems() + IconBoxPanel->width() -
                                          IconBox->width(),
                                      sizes[0] + sizes[1], ScrollBox->TileSide() + 4 + scrollBar);
    if (width != sizes[1])
        Splitter1->setSizes({sizes[0] + sizes[1] - width, width});
}

void Twnd_pictavo_Main::ScrollBoxResize() {
    ScrollBox->TilesChanged();
    if (FSelectedThumb != -1 && FSelectedThumb < ThumbCount())
        ScrollBox->FocusTile(FSelectedThumb);
    UpdateCommands();
}

void Twnd_pictavo_Main::cmView(Take take) {
    const bool all = take == Take::All;
    std::vector<TViewFile> files;
    TFileListModel& rows = FileList->Model();
    for (int row = 0; row < rows.rowCount(); ++row)
        if (all || FileList->selectionModel()->isRowSelected(row, {}))
            files.push_back({rows.Entry(row).FileName, rows.Entry(row).IconCount});
    FViewOfSelection = false;
    FillView(files);
}

void Twnd_pictavo_Main::FillView(const std::vector<TViewFile>& files) {
    CursorGuard hourglass;
    IconBox->clear();
    IconBoxHeader->SetText({});
    RemoveThumbnails(-1);
    FViewFiles = files;
    TViewIcons found;
    // However the adding ends, the view shows what it got.
    const auto finish = qScopeGuard([&] {
        ScrollBoxResize();
        IconListHeader->SetText(ViewHeader(found.Files));
    });
    // Loading every icon for the 32-bit filter takes long: it runs while the window
    // answers, and a cancel shows the icons of the files gone through.
    const bool only32 = cbx32->isChecked();
    LongWork->Run(tr("添加到查看"), [&](TWorkProgress& progress) {
        CollectViewIcons(files, only32, progress, found);
    });
    TTileList& tiles = ScrollBox->Tiles();
    std::vector<int32_t> numbers;
    for (const TViewFile& file : files)
        numbers.push_back(tiles.FileNumber(file.FileName));
    int position = 0;
    for (const TViewIcon& icon : found.Icons)
        tiles.Append({numbers[static_cast<size_t>(icon.File)], icon.IconIndex, position++, false});
    ScrollBox->SetColor(ColorPicker->ColorValue());
    ClearThumbSelection();
}

QString Twnd_pictavo_Main::ViewHeader(int files) const {
    if (FViewOfSelection && !FViewFiles.empty())
        return WindowTexts::FileIconsHeader(
            QString::fromStdString(ExtractFileName(FViewFiles.back().FileName)), ThumbCount());
    return WindowTexts::FilesIconsHeader(files, ThumbCount());
}

void Twnd_pictavo_Main::Only32Change() {
    if (FViewFiles.empty())
        return;
    // The chosen icon stays chosen when it still qualifies.
    std::string module;
    int iconIndex = -1;
    if (const TThumbRef selected = SelectedThumb()) {
        module = selected.ModuleName();
        iconIndex = selected.IconIndex();
    }
    FillView(std::vector<TViewFile>(FViewFiles));
    for (int i = 0; i < ThumbCount(); ++i)
        if (Thumb(i).ModuleName() == module && Thumb(i).IconIndex() == iconIndex) {
            ThumbnailClick(Thumb(i));
            ScrollBox->FocusTile(i);
            break;
        }
}

void Twnd_pictavo_Main::cmRemoveFromView() {
    if (FSelectedThumb == -1)
        return;
    CursorGuard hourglass;
    // A file's icons keep its name in the header.
    const auto finish = qScopeGuard([&] {
        IconListHeader->SetText(FViewOfSelection && !FViewFiles.empty()
                                    ? ViewHeader(1)
                                    : WindowTexts::IconsHeader(ThumbCount()));
    });
    IconBox->clear();
    IconBoxHeader->SetText({});
    if (FSelectedThumb < ThumbCount()) {
        // The tiles after it move up at once.
        ScrollBox->Tiles().RemoveAt(FSelectedThumb);
        ScrollBox->TilesChanged();
    }
    if (FSelectedThumb >= ThumbCount())
        --FSelectedThumb;
    if (FSelectedThumb != -1) {
        Thumb(FSelectedThumb).SetSelected(true);
        ScrollBox->FocusTile(FSelectedThumb);
    }
}
