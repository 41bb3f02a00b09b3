// The export commands of the main window: whole icons into a folder
// ("保存为图标"), the selected image as .ico or .png ("保存为图标...") and as
// .bmp on a chosen colour
// ("保存为位图..."). The file work is the core's (library/IconExport); write
// errors reach the application's error report.

#include "app/CursorGuard.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/ImageMimeData.h"
#include "app/LongWork.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "icons/ExportNames.h"
#include "icons/IconImageRgba.h"
#include "icons/IconOnColor.h"
#include "library/FileIcons.h"
#include "library/IconExport.h"
#include "library/IconLibraryBuilder.h"
#include "library/LibrarySources.h"
#include "library/PrivateTempFolder.h"
#include "platform/Paths.h"
#include "thumbnailer/Thumbnail.h"

#include <QClipboard>
#include <QDrag>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QSettings>
#include <climits>

using pictavo::TColor;

namespace {

// Where the last file of that kind (".ico", ".bmp", ".png", ".icl") went, kept between runs.
QString SaveFolderKey(const std::string& kind) {
    return QString(SettingsGroup) + "/SaveFolder" + QString::fromStdString(kind);
}

const QString IconFilter = "Icons (*.ico);;All files (*)";
const QString BitmapFilter = "Bitmaps (*.bmp);;All files (*)";
const QString PngFilter = "PNG images (*.png);;All files (*)";

// The image a launcher shows at full size: the largest, the deepest of equals; -1 for none.
int LargestImage(const pictavo::TMultiIcon& icon) {
    return pictavo::BestThumbnailImage(icon, INT_MAX);
}

} // namespace

TThumbRef Twnd_pictavo_Main::SelectedThumb() const {
    return Thumb(FSelectedThumb);
}

QString Twnd_pictavo_Main::AskSaveName(const QString& title, const std::string& kind,
                                       const std::string& sourceFile,
                                       const std::string& proposedName, const QString& filter,
                                       bool confirmOverwrite) {
    QSettings settings("Vantrel", "Pictavo");
    const std::string lastFolder = settings.value(SaveFolderKey(kind)).toString().toStdString();
    const std::string start = pictavo::SaveDialogStart(lastFolder, sourceFile, proposedName);
    const QString chosen =
        FDialogs->SaveFileName(title, QString::fromStdString(start), filter, confirmOverwrite);
    if (!chosen.isEmpty())
        settings.setValue(SaveFolderKey(kind), QFileInfo(chosen).absolutePath());
    return chosen;
}

void Twnd_pictavo_Main::cmSaveIcon(Take take) {
    QSettings settings("Vantrel", "Pictavo");
    const QString folder =
        FDialogs->FolderName(tr("选择目标"), settings.value(SaveFolderKey(".ico")).toString());
    if (folder.isEmpty())
        return;
    settings.setValue(SaveFolderKey(".ico"), folder);
    CursorGuard hourglass;
    const std::vector<pictavo::TIconSource> icons =
        pictavo::SourcesFromView(ViewedIcons(), take == Take::Selected);
    // Every file is written whole: a cancel keeps the ones already written.
    size_t written = 0;
    const auto report = qScopeGuard([&] { ShowStatus(SavedIconsText(written, folder)); });
    LongWork->Run(tr("保存为图标"), [&](TWorkProgress& progress) {
        progress.SetTotal(icons.size());
        for (size_t i = 0; i < icons.size(); ++i) {
            progress.Step(i, icons[i].FileName);
            pictavo::SaveIconIntoFolder(folder.toStdString(), icons[i].FileName,
                                        icons[i].IconIndex);
            ++written;
        }
        progress.Step(icons.size());
    });
}

QString Twnd_pictavo_Main::SavedIconsText(size_t icons, const QString& where) {
    return tr("%n 个图标已保存到 %1", nullptr, static_cast<int>(icons)).arg(where);
}

int Twnd_pictavo_Main::SelectedImage() const {
    return SelectedThumb() ? IconBox->SelectedImageIndex() : -1;
}

QString Twnd_pictavo_Main::AskImageSaveName(int image, const QString& title,
                                            const std::string& extension, const QString& filter) {
    const TThumbRef tile = SelectedThumb();
    const std::string proposed =
        pictavo::ImageExportName(tile->ModuleName(), tile->IconIndex(), image, extension);
    return AskSaveName(title, extension, tile->ModuleName(), proposed, filter, true);
}

void Twnd_pictavo_Main::cmSavetoIcon() {
    const int image = SelectedImage();
    if (image < 0)
        return;
    const QString fileName = AskImageSaveName(image, tr("保存为图标"), ".ico", IconFilter);
    if (fileName.isEmpty())
        return;
    pictavo::SaveImageAsIcon(FIcon, image, fileName.toStdString());
    ShowStatus(tr("已保存到 %1").arg(fileName));
}

void Twnd_pictavo_Main::cmSaveToBMP() {
    const int image = SelectedImage();
    if (image < 0)
        return;

    pictavo::TAlphaBitmap bitmap;
    std::unique_ptr<pictavo::platform::IconHandle> handle;
    try {
        handle = FIcon.CreateIconHandle(image);
    } catch (const pictavo::EOutOfResources&) {
        const pictavo::TMultiIconImage stored = FIcon.GetIconData(image);
        if (!stored.IsPng || !stored.Png)
            throw; // nothing that could be written
        pictavo::DrawPngOnWhite(*stored.Png, bitmap);
    }
    if (handle) {
        TColor color = pictavo::clWhite;
        if (!FDialogs->PickBackgroundColor(*handle, color))
            return;
        pictavo::DrawIconOnColor(*handle, color, bitmap);
    }
    const QString fileName = AskImageSaveName(image, tr("保存为位图"), ".bmp", BitmapFilter);
    if (fileName.isEmpty())
        return;
    pictavo::SaveBitmapFile(bitmap, fileName.toStdString());
    ShowStatus(tr("已保存到 %1").arg(fileName));
}

void Twnd_pictavo_Main::cmSaveImageAsPng() {
    const int image = SelectedImage();
    if (image < 0)
        return;
    const QString fileName = AskImageSaveName(image, tr("保存为 PNG"), ".png", PngFilter);
    if (fileName.isEmpty())
        return;
    const std::string written = pictavo::WithDefaultExtension(fileName.toStdString(), ".png");
    pictavo::WriteExportFile(written, pictavo::ImageAsPng(FIcon.GetIconData(image)));
    ShowStatus(tr("已保存到 %1").arg(QString::fromStdString(written)));
}

bool Twnd_pictavo_Main::SelectionAsPng(std::vector<uint8_t>& png, std::string& name) {
    const TThumbRef tile = SelectedThumb();
    if (!tile)
        return false;
    int image = IconBox->SelectedImageIndex();
    pictavo::TMultiIcon loaded;
    const pictavo::TMultiIcon* icon = &FIcon;
    if (image < 0) {
        // No image chosen: the tile's icon as a launcher shows it, its largest image.
        pictavo::LoadFileIcon(loaded, tile->ModuleName(), tile->IconIndex());
        image = LargestImage(loaded);
        icon = &loaded;
    }
    if (image < 0)
        return false;
    png = pictavo::ImageAsPng(icon->GetIconData(image));
    name = pictavo::ImageExportName(tile->ModuleName(), tile->IconIndex(), image, ".png");
    return true;
}

void Twnd_pictavo_Main::cmCopy() {
    // Ctrl+C in the icon view (or with selected tiles but none current) copies the
    // selected tiles, as the tile menu's copy does.
    if ((ScrollBox->hasFocus() || !SelectedThumb()) &&
        !pictavo::SelectedTilePositions(ScrollBox->Tiles()).empty()) {
        cmCopyTiles();
        return;
    }
    std::vector<uint8_t> png;
    std::string name;
    if (SelectionAsPng(png, name))
        QGuiApplication::clipboard()->setMimeData(ImageMimeData(png, {}));
}

QMimeData* Twnd_pictavo_Main::DragImageData() {
    std::vector<uint8_t> png;
    std::string name;
    if (!SelectionAsPng(png, name))
        return nullptr;
    if (!FDragFolder)
        FDragFolder = std::make_unique<pictavo::TPrivateTempFolder>();
    const std::string path = FDragFolder->File(pictavo::platform::FileNameOf(name));
    pictavo::WriteExportFile(path, png);
    return ImageMimeData(png, QString::fromStdString(path));
}

QMimeData* Twnd_pictavo_Main::TileDragData(int position) {
    return TilesData(pictavo::TilesTakenWith(ScrollBox->Tiles(), position), false);
}

QMimeData* Twnd_pictavo_Main::TilesData(const std::vector<int>& positions, bool imageOfFirst) {
    if (!FDragFolder)
        FDragFolder = std::make_unique<pictavo::TPrivateTempFolder>();
    std::vector<std::pair<std::string, int>> icons; // read here, on the window's thread
    for (int position : positions)
        if (const TThumbRef tile = Thumb(position))
            icons.emplace_back(tile->ModuleName(), tile->IconIndex());
    const bool withImage = imageOfFirst || icons.size() == 1;
    const std::string folder = FDragFolder->Path();
    QStringList paths;
    std::vector<uint8_t> png;
    const auto write = [&](TWorkProgress* progress) {
        if (progress)
            progress->SetTotal(icons.size());
        for (size_t i = 0; i < icons.size(); ++i) {
            const auto& [module, index] = icons[i];
            if (progress)
                progress->Step(i, pictavo::platform::FileNameOf(module));
            // The whole icon as an .ico file for file managers, its largest image for the rest.
            pictavo::TMultiIcon icon;
            pictavo::LoadFileIcon(icon, module, index);
            const int best = LargestImage(icon);
            if (best < 0)
                continue;
            const QString path =
                QString::fromStdString(pictavo::SaveIconIntoFolder(icon, folder, module, index));
            if (paths.contains(path))
                continue; // the same icon twice in the view
            paths.append(path);
            if (paths.size() == 1 && withImage)
                png = pictavo::ImageAsPng(icon.GetIconData(best));
        }
    };
    // Many tiles (all of a large view) take a while: the window answers meanwhile, and
    // Cancel gives no drag at all.
    bool finished = true;
    if (icons.size() == 1)
        write(nullptr);
    else
        finished = LongWork->Run(tr("复制"), [&](TWorkProgress& progress) { write(&progress); });
    // Removed with the folder also when a SIGTERM ends the window.
    for (const QString& path : paths)
        FDragFolder->File(pictavo::platform::FileNameOf(path.toStdString()));
    return paths.isEmpty() || !finished ? nullptr : FilesMimeData(paths, png);
}

void Twnd_pictavo_Main::cmCopyTiles() {
    const std::vector<int> selected = pictavo::SelectedTilePositions(ScrollBox->Tiles());
    if (selected.empty())
        return;
    if (QMimeData* copied = TilesData(selected, true))
        QGuiApplication::clipboard()->setMimeData(copied);
}

void Twnd_pictavo_Main::DragTile(int position) {
    QMimeData* dragged = nullptr;
    Guarded([&] { dragged = TileDragData(position); });
    if (dragged == nullptr)
        return;
    auto* drag = new QDrag(ScrollBox);
    drag->setMimeData(dragged);
    drag->exec(Qt::CopyAction);
}
