// The menu bar and the toolbar: every command of the three context menus, reached by the
// same handlers, with open, recent files, PNG export, copy and About beside them. Each
// action is enabled exactly when CommandApplies says its command has something to act on.
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/MainWindow.h"
#include "app/WindowRules.h"
#include "library/LibrarySources.h"
#include "peres/VersionInfo.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

namespace {

// The desktop theme's icon, else the style's own: a toolbar never shows an empty button.
QIcon ToolIcon(const QWidget* widget, const char* themeName, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(themeName, widget->style()->standardIcon(fallback));
}

} // namespace

QAction* Twnd_pictavo_Main::AddCommand(QMenu* menu, Command command, const QString& caption,
                                       const std::function<void()>& handler,
                                       const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, handler] { Guarded(handler); });
    FCommandActions.push_back({command, action});
    return action;
}

void Twnd_pictavo_Main::BuildMenuBar() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MenuBar");

    QMenu* file = bar->addMenu(tr("文件(&F)"));
    mnOpenFile =
        file->addAction(tr("打开文件(&O)..."), this, [this] { Guarded([&] { cmOpenFile(); }); });
    mnOpenFile->setObjectName("mnOpenFile");
    mnOpenFile->setShortcut(QKeySequence::Open);
    mnOpenFolder =
        file->addAction(tr("打开文件夹..."), this, [this] { Guarded([&] { cmOpenFolder(); }); });
    mnOpenFolder->setObjectName("mnOpenFolder");
    mnRecent = file->addMenu(tr("最近打开"));
    mnRecent->setObjectName("mnRecent");
    connect(mnRecent, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    file->addSeparator();
    QMenu* saveIcons = file->addMenu(tr("保存图标到文件夹"));
    AddCommand(saveIcons, Command::SaveSelectedIcons, tr("选择的"),
               [this] { cmSaveIcon(Take::Selected); });
    AddCommand(saveIcons, Command::SaveAllIcons, tr("所有"), [this] { cmSaveIcon(Take::All); });
    AddCommand(file, Command::SaveToIconTheme, tr("保存到图标主题…"), [this] { cmSaveToIconTheme(); });
    AddCommand(file, Command::SaveCursorTheme, tr("保存为 Linux 光标主题…"),
               [this] { cmSaveCursorTheme(); })
        ->setObjectName("mnSaveCursorTheme");
    QMenu* listLibrary = file->addMenu(tr("从文件列表保存到图标库"));
    AddCommand(listLibrary, Command::SaveSelectedRowsToLibrary, tr("选择的"),
               [this] { cmICLFromList(Take::Selected); });
    AddCommand(listLibrary, Command::SaveAllRowsToLibrary, tr("所有"),
               [this] { cmICLFromList(Take::All); });
    QMenu* viewLibrary = file->addMenu(tr("从视图保存到图标库"));
    AddCommand(viewLibrary, Command::SaveSelectedTilesToLibrary, tr("选择的"),
               [this] { cmICLFromView(Take::Selected); });
    AddCommand(viewLibrary, Command::SaveAllTilesToLibrary, tr("所有"),
               [this] { cmICLFromView(Take::All); });
    file->addSeparator();
    AddCommand(file, Command::SaveImageAsIcon, tr("将图像保存为图标..."), [this] { cmSavetoIcon(); });
    AddCommand(file, Command::SaveImageAsBitmap, tr("将图像保存为位图..."), [this] { cmSaveToBMP(); });
    mnSaveAsPng = AddCommand(
        file, Command::SaveImageAsPng, tr("将图像保存为 PNG..."), [this] { cmSaveImageAsPng(); },
        QKeySequence::Save);
    mnSaveAsPng->setObjectName("mnSaveAsPng");
    file->addSeparator();
    QAction* quit = file->addAction(tr("退出(&Q)"), this, [this] { close(); });
    quit->setShortcut(QKeySequence::Quit);

    QMenu* edit = bar->addMenu(tr("编辑(&E)"));
    mnCopy = AddCommand(
        edit, Command::Copy, tr("复制(&C)"), [this] { cmCopy(); }, QKeySequence::Copy);
    mnCopy->setObjectName("mnCopy");
    AddCommand(
        edit, Command::SelectAllTiles, tr("选择所有图标(&A)"), [this] { cmSelectAllTiles(); },
        QKeySequence::SelectAll);
    edit->addSeparator();
    QAction* remove = AddCommand(
        edit, Command::RemoveFromView, tr("由视图中移除"), [this] { cmRemoveFromView(); },
        QKeySequence::Delete);
    // Delete takes a tile out only where the tiles are: not while typing or in the list.
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ScrollBox->addAction(remove);
    AddCommand(edit, Command::RemoveFromLibrary, tr("从图标库中删除..."),
               [this] { cmRemoveFromICL(); });

    QMenu* view = bar->addMenu(tr("查看(&V)"));
    QMenu* addToView = view->addMenu(tr("添加到查看"));
    AddCommand(addToView, Command::AddSelectedToView, tr("选择的"),
               [this] { cmView(Take::Selected); });
    mnAddAllToView =
        AddCommand(addToView, Command::AddAllToView, tr("所有"), [this] { cmView(Take::All); });
    mnAddAllToView->setObjectName("mnAddAllToView");
    // On the toolbar the item stands without its menu: it says what it adds to.
    mnAddAllToView->setIconText(tr("全部添加到查看"));
    mnRefresh = AddCommand(
        view, Command::Refresh, tr("刷新"), [this] { pmRefreshClick(); }, QKeySequence::Refresh);
    mnRefresh->setObjectName("mnRefresh");
    view->addSeparator();
    // The icon sizes of "显示选项", one checked item each, following the box both ways.
    QMenu* sizes = view->addMenu(tr("图标大小"));
    auto* sizeGroup = new QActionGroup(sizes);
    for (int i = 0; i < cbTileSize->count(); ++i) {
        QAction* size = sizes->addAction(cbTileSize->itemText(i));
        size->setCheckable(true);
        size->setChecked(i == cbTileSize->currentIndex());
        sizeGroup->addAction(size);
        connect(size, &QAction::triggered, cbTileSize,
                [this, i] { cbTileSize->setCurrentIndex(i); });
    }
    connect(cbTileSize, &QComboBox::currentIndexChanged, sizes, [sizes](int index) {
        if (QAction* size = sizes->actions().value(index))
            size->setChecked(true);
    });
    QAction* only32 = view->addAction(cbx32->text());
    only32->setCheckable(true);
    connect(only32, &QAction::toggled, cbx32, &QCheckBox::setChecked);
    connect(cbx32, &QCheckBox::toggled, only32, &QAction::setChecked);

    QMenu* help = bar->addMenu(tr("帮助(&H)"));
    help->addAction(tr("关于 Pictavo(&A)"), this, [this] { cmAbout(); });

    for (QMenu* menu : {file, edit, view})
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });
    // The toolbar shows its state all the time: follow every change it depends on, once
    // per turn of the event loop (a scan adds thousands of rows in a row).
    const auto update = [this] { QueueUpdateCommands(); };
    connect(FileList->selectionModel(), &QItemSelectionModel::selectionChanged, this, update);
    connect(&FileList->Model(), &QAbstractItemModel::rowsInserted, this, update);
    connect(&FileList->Model(), &QAbstractItemModel::rowsRemoved, this, update);
    connect(&FileList->Model(), &QAbstractItemModel::modelReset, this, update);
    connect(IconBox, &QListWidget::itemSelectionChanged, this, update);
    connect(ShellTree->selectionModel(), &QItemSelectionModel::currentChanged, this, update);
    BuildToolBar();
    IconBox->MakeDragData = [this] {
        QMimeData* dragged = nullptr;
        Guarded([&] { dragged = DragImageData(); });
        return dragged;
    };
    UpdateCommands();
}

void Twnd_pictavo_Main::BuildToolBar() {
    QToolBar* tools = addToolBar(tr("工具栏"));
    tools->setObjectName("ToolBar");
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    mnOpenFile->setIcon(ToolIcon(this, "document-open", QStyle::SP_DialogOpenButton));
    mnOpenFolder->setIcon(ToolIcon(this, "folder-open", QStyle::SP_DirOpenIcon));
    mnRefresh->setIcon(ToolIcon(this, "view-refresh", QStyle::SP_BrowserReload));
    mnAddAllToView->setIcon(ToolIcon(this, "view-list-icons", QStyle::SP_FileDialogListView));
    mnSaveAsPng->setIcon(ToolIcon(this, "document-save-as", QStyle::SP_DialogSaveButton));
    mnCopy->setIcon(ToolIcon(this, "edit-copy", QStyle::SP_FileLinkIcon));
    // The buttons carry no mnemonics: "打开文件(O)" would show its "(O)" there.
    mnOpenFile->setIconText(tr("打开文件"));
    mnCopy->setIconText(tr("复制"));
    mnSaveAsPng->setIconText(tr("保存为 PNG"));
    tools->addAction(mnOpenFile);
    tools->addAction(mnOpenFolder);
    tools->addAction(mnRefresh);
    tools->addSeparator();
    tools->addAction(mnAddAllToView);
    tools->addAction(mnSaveAsPng);
    tools->addAction(mnCopy);
}

WindowState Twnd_pictavo_Main::CurrentState() const {
    WindowState state;
    state.Rows = FileList->Model().rowCount();
    state.SelectedRows = static_cast<int>(FileList->selectionModel()->selectedRows().size());
    state.Tiles = ThumbCount();
    const pictavo::TTileList& tiles = ScrollBox->Tiles();
    for (int i = 0; i < state.Tiles; ++i)
        state.SelectedTiles += tiles.At(i).Selected ? 1 : 0;
    const TThumbRef tile = SelectedThumb();
    state.TileCurrent = static_cast<bool>(tile);
    state.TileInLibrary = tile && pictavo::IsIconLibraryName(tile->ModuleName());
    state.ImageSelected = IconBox->SelectedImageIndex() >= 0;
    state.FolderSelected = !ShellTreeSelectedFolder().isEmpty();
    return state;
}

void Twnd_pictavo_Main::QueueUpdateCommands() {
    if (FCommandsUpdateQueued)
        return;
    FCommandsUpdateQueued = true;
    QTimer::singleShot(0, this, [this] {
        FCommandsUpdateQueued = false;
        UpdateCommands();
    });
}

void Twnd_pictavo_Main::UpdateCommands() {
    const WindowState state = CurrentState();
    for (const auto& [command, action] : FCommandActions)
        action->setEnabled(CommandApplies(command, state));
}

void Twnd_pictavo_Main::cmSelectAllTiles() {
    for (int i = 0; i < ThumbCount(); ++i)
        Thumb(i)->SetSelected(true);
    UpdateCommands();
}

void Twnd_pictavo_Main::cmAbout() {
    const pictavo::TVersionInfo& info = pictavo::AppVersionInfo;
    const QString text = QString("<b>%1</b><br>%2<br><br>%3")
                             .arg(QString::fromStdString(info.FileDescription).toHtmlEscaped(),
                                  tr("汉化版: %1").arg(QString::fromStdString(info.VersionText)),
                                  QString::fromStdString(info.LegalCopyright).toHtmlEscaped());
    FDialogs->About(tr("关于 Pictavo"), text);
}
