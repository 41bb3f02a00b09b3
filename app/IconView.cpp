// The icon view: the tiles of FlowPanel, built for one file or many, one selected at a
// time, with the image list filled from the clicked tile.
#include "app/CursorGuard.h"
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconThumbnail.h"
#include "app/LongWork.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "app/ViewIcons.h"
#include "app/WheelScrollBox.h"
#include "library/FileIcons.h"
#include "platform/TickCount.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <QCheckBox>
#include <QLayout>
#include <QListWidget>

using namespace pictavo;

int Twnd_pictavo_Main::ThumbCount() const {
    return FlowPanel->layout()->count();
}

TIconThumbnail* Twnd_pictavo_Main::Thumb(int position) const {
    QLayoutItem* item = FlowPanel->layout()->itemAt(position);
    return item ? static_cast<TIconThumbnail*>(item->widget()) : nullptr;
}

QRect Twnd_pictavo_Main::ThumbRect(int position) const {
    const TIconThumbnail* tile = Thumb(position);
    return tile ? tile->geometry() : QRect();
}

int Twnd_pictavo_Main::AddFileIcons(const std::string& FileName, int IconCount, bool Append) {
    const int base = Append ? ThumbCount() : 0;
    TViewIconFilter filter(cbx32->isChecked());
    int added = 0;
    for (int i : filter.Qualifying(FileName, IconCount)) {
        AddThumbnail(FlowPanel, FileName, base + added, i, !Append);
        ++added;
    }
    ClearThumbSelection();
    return added;
}

void Twnd_pictavo_Main::ClearThumbSelection() {
    for (int i = 0; i < ThumbCount(); ++i)
        Thumb(i)->SetSelected(false);
    FSelectedThumb = -1;
}

bool Twnd_pictavo_Main::ThumbNameTaken(const QString& name) const {
    return FThumbNames.contains(name) ||
           findChild<QObject*>(name, Qt::FindDirectChildrenOnly) != nullptr;
}

QString Twnd_pictavo_Main::ThumbName(int number) const {
    return QString("Thumb%1").arg(number);
}

void Twnd_pictavo_Main::AddThumbnail(QWidget* Panel, const std::string& FileName, int Position,
                                     int IconIndex, bool Reuse) {
    const int count = Panel->layout()->count();
    TIconThumbnail* tile = nullptr;
    if (Reuse && Position < count) {
        tile = static_cast<TIconThumbnail*>(Panel->layout()->itemAt(Position)->widget());
    } else {
        tile = new TIconThumbnail;
        uint64_t k = 0;
        while (ThumbNameTaken(ThumbName(static_cast<int>(Position + k))))
            k += platform::TickCount() / 2;
        const QString name = ThumbName(static_cast<int>(Position + k));
        tile->setObjectName(name);
        FThumbNames.insert(name);
        connect(tile, &QObject::destroyed, this, [this, name] { FThumbNames.remove(name); });
        connect(tile, &QAbstractButton::clicked, this,
                [this, tile] { Guarded([&] { ThumbnailClick(tile); }); });
        connect(tile, &TThumbnail::rightClicked, this,
                [this, tile] { Guarded([&] { ThumbnailClick(tile); }); });
    }
    const QString fileName = QString::fromStdString(FileName);
    tile->setToolTip(fileName);
    tile->SetColor(ColorPicker->ColorValue());
    if (tile->parentWidget() != Panel)
        Panel->layout()->addWidget(tile);
    tile->SetModuleName(FileName);
    tile->setProperty("Tag", Panel->property("Tag"));
    tile->SetIconIndex(IconIndex);
    tile->SetIconSize(TileIconSize());
    tile->SetIndex(Position);
    tile->SetCaption(tr("图标 %1").arg(Position));
    tile->show();
}

void Twnd_pictavo_Main::RemoveThumbnails(QWidget* Panel, int Count) {
    QLayout* layout = Panel->layout();
    if (Count == -1)
        Count = layout->count();
    Panel->hide();
    int freed = 0;
    while (layout->count() > 0 && freed < Count) {
        QLayoutItem* item = layout->takeAt(layout->count() - 1);
        delete item->widget();
        delete item;
        ++freed;
    }
    Panel->show();
}

int Twnd_pictavo_Main::FindSelectedThumb() const {
    for (int i = 0; i < ThumbCount(); ++i)
        if (Thumb(i)->Selected())
            return i;
    return -1;
}

void Twnd_pictavo_Main::ThumbnailClick(TIconThumbnail* Sender) {
    if (FSelectedThumb >= 0 && FSelectedThumb < ThumbCount())
        Thumb(FSelectedThumb)->SetSelected(false);
    Sender->SetSelected(true);
    FSelectedThumb = FindSelectedThumb();

    FIcon.ClearImages();
    try {
        LoadFileIcon(FIcon, Sender->ModuleName(), Sender->IconIndex());
    } catch (const std::exception& error) {
        // The core's message does not say which file it is about; the error box does.
        throw Exception(FileErrorText(Sender->ModuleName(), error.what()));
    }

    IconBox->ListImages(cbx32->isChecked());
    IconBoxHeader->SetText(tr("%1 - %n 图像", nullptr, IconBox->count()).arg(Sender->Caption()));
    UpdateCommands();
}

void Twnd_pictavo_Main::ScrollBoxResize() {
    FlowPanel->hide();
    FlowPanel->layout()->invalidate();
    FlowPanel->layout()->activate();
    FlowPanel->show();
    if (FSelectedThumb != -1 && FSelectedThumb < ThumbCount()) {
        TIconThumbnail* tile = Thumb(FSelectedThumb);
        tile->setFocus();
        ScrollBox->ensureWidgetVisible(tile);
    }
    UpdateCommands();
}

void Twnd_pictavo_Main::cmView(QObject* Sender) {
    CursorGuard hourglass;
    IconBox->clear();
    IconBoxHeader->SetText({});
    RemoveThumbnails(FlowPanel, -1);
    const bool all = Sender == nullptr || Sender->property("Tag").toInt() == 1;
    std::vector<TViewFile> files;
    TFileListModel& rows = FileList->Model();
    for (int row = 0; row < rows.rowCount(); ++row)
        if (all || FileList->selectionModel()->isRowSelected(row, {}))
            files.push_back({rows.Entry(row).FileName, rows.Entry(row).IconCount});
    TViewIcons found;
    struct Finish {
        Twnd_pictavo_Main* window;
        const TViewIcons& found;
        ~Finish() {
            window->ScrollBoxResize();
            window->IconListHeader->SetText(
                tr("%1 文件 - %n 图标", nullptr, window->ThumbCount()).arg(found.Files));
        }
    } finish{this, found};
    // Loading every icon for the 32-bit filter takes long: it runs while the window
    // answers, and a cancel shows the icons of the files gone through.
    const bool only32 = cbx32->isChecked();
    LongWork->Run(tr("添加到查看"), [&](TWorkProgress& progress) {
        CollectViewIcons(files, only32, progress, found);
    });
    // Tiles are added to the hidden panel so the flow is laid out once, not per tile.
    FlowPanel->hide();
    int position = 0;
    for (const TViewIcon& icon : found.Icons)
        AddThumbnail(FlowPanel, files[static_cast<size_t>(icon.File)].FileName, position++,
                     icon.IconIndex, false);
    ClearThumbSelection();
    FlowPanel->show();
}

void Twnd_pictavo_Main::cmRemoveFromView() {
    if (FSelectedThumb == -1)
        return;
    CursorGuard hourglass;
    struct Finish {
        Twnd_pictavo_Main* window;
        ~Finish() { window->IconListHeader->SetText(tr("%n 图标", nullptr, window->ThumbCount())); }
    } finish{this};
    IconBox->clear();
    IconBoxHeader->SetText({});
    if (TIconThumbnail* tile = Thumb(FSelectedThumb)) {
        tile->SetSelected(false);
        QLayoutItem* item = FlowPanel->layout()->takeAt(FSelectedThumb);
        delete item;
        delete tile;
        // The tiles after it move up now, not at the next resize.
        FlowPanel->layout()->invalidate();
        FlowPanel->layout()->activate();
    }
    if (FSelectedThumb >= ThumbCount())
        --FSelectedThumb;
    if (FSelectedThumb != -1) {
        TIconThumbnail* tile = Thumb(FSelectedThumb);
        tile->SetSelected(true);
        tile->setFocus();
    }
}
