#include "app/MainWindow.h"

#include "app/FileList.h"
#include "app/FocusFrame.h"
#include "app/WindowRules.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/LongWork.h"
#include "app/Panels.h"
#include "app/TileRules.h"
#include "library/PrivateTempFolder.h"
#include "peres/VersionInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <exception>

using namespace pictavo;

namespace {

// The labels and check boxes of the left panel use a 12-pixel CJK font; fontconfig picks
// the first installed family.
QFont LeftPanelFont() {
    QFont font;
    font.setFamilies({"宋体", "SimSun", "Noto Sans CJK SC", "WenQuanYi Micro Hei"});
    font.setPixelSize(12);
    return font;
}

QAction* AddTagged(QMenu* menu, const char* name, const QString& caption, int tag) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setProperty("Tag", tag);
    return action;
}

} // namespace

Twnd_pictavo_Main::Twnd_pictavo_Main(QWidget* parent)
    : QMainWindow(parent), FDialogs(std::make_unique<QtDialogs>(this)) {
    setObjectName("wnd_pictavo_Main");
    setWindowTitle("Pictavo");
    QFont base;
    base.setFamilies({"Tahoma", "DejaVu Sans", "Noto Sans CJK SC", "WenQuanYi Micro Hei"});
    base.setPointSize(8);
    setFont(base);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildHeader(central);
    layout->addWidget(Header);
    Splitter3 = new QSplitter(Qt::Horizontal, central);
    Splitter3->setObjectName("Splitter3");
    Splitter3->setChildrenCollapsible(false);
    Splitter3->addWidget(BuildLeftPanel());
    Splitter3->addWidget(BuildClientPanel());
    Splitter3->setStretchFactor(1, 1);
    Splitter3->setSizes({219, 771 - 219});
    layout->addWidget(Splitter3, 1);
    setCentralWidget(central);

    sb = new QStatusBar(this);
    sb->setObjectName("sb");
    sbPanel0 = new QLabel(sb);
    sbPanel0->setObjectName("sbPanel0");
    // The panel is at least 100 pixels wide and takes the bar's width, so that the
    // file being examined stays readable.
    sbPanel0->setMinimumWidth(100);
    // A new text must not lay out the window again: a scan sets one per file.
    sbPanel0->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    sb->addWidget(sbPanel0, 1);
    setStatusBar(sb);

    LongWork = new TLongWork(this);
    LongWork->setObjectName("LongWork");
    BuildMenus();
    ConnectEvents();
    BuildCursorCommands();
    BuildMenuBar();
    BuildKeyboardPaths();
    setAcceptDrops(true);
    TileSizeChange();
    FormCreate();

    // The panels keep their old size; the menu bar and the toolbar come on top.
    QSize size(771, 653 + menuBar()->sizeHint().height() +
                        findChild<QToolBar*>("ToolBar")->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // A small or scaled screen would cut the window off; it keeps to what is free.
        size = size.boundedTo(screen->availableGeometry().size());
        resize(size);
        move(screen->availableGeometry().center() - rect().center());
    } else {
        resize(size);
    }
}

Twnd_pictavo_Main::~Twnd_pictavo_Main() {
    // Settings are saved on close; a window destroyed without closing saves here.
    if (FRestored && !FSaved) {
        FormStorageBeforeSavePlacement();
        SaveSettings();
    }
    FindFile.Abort();
    FindFile.OnFileMatch = nullptr;
    FindFile.OnSearchBegin = nullptr;
    FindFile.OnSearchFinish = nullptr;
}

void Twnd_pictavo_Main::SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    FDialogs = std::move(dialogs);
}

void Twnd_pictavo_Main::FormCreate() {
    FSelectedThumb = -1;
    Icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    lTitle->setText(QString::fromStdString(AppVersionInfo.FileDescription));
    lCopy->setText(QString::fromStdString(AppVersionInfo.LegalCopyright));
    lVer->setText(
        tr("汉化版: %1").arg(QString::fromStdString(AppVersionInfo.VersionText)));
    FIcon.SetDrawAllImages(false);
}

void Twnd_pictavo_Main::BuildHeader(QWidget* parent) {
    Header = new TGradientHeader(40, parent);
    Header->setObjectName("Header");
    Icon = new QLabel(Header);
    Icon->setObjectName("Icon");
    Icon->setGeometry(7, 4, 32, 32);
    lTitle = new QLabel(Header);
    lTitle->setObjectName("lTitle");
    QFont title;
    title.setFamilies({"Tahoma", "DejaVu Sans", "Noto Sans CJK SC"});
    title.setPixelSize(15);
    title.setBold(true);
    lTitle->setFont(title);
    lTitle->move(45, 4);
    lVer = new QLabel(Header);
    lVer->setObjectName("lVer");
    lVer->move(56, 23);
    lCopy = new QLabel(Header);
    lCopy->setObjectName("lCopy");
    lCopy->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    for (QLabel* label : {lTitle, lVer, lCopy}) {
        QPalette white = label->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(white);
    }
}

void Twnd_pictavo_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    lTitle->adjustSize();
    lVer->adjustSize();
    lCopy->adjustSize();
    // The header spans the window; its own width is not laid out yet on the first resize.
    lCopy->move(width() - lCopy->width() - 6, Header->height() - lCopy->height() - 3);
    // Once the panels have their new sizes: a wider window shows a cut image whole.
    QTimer::singleShot(0, this, [this] { FitImagePanel(); });
}

void Twnd_pictavo_Main::PopupIconList(const QPoint& globalPosition) {
    if (!IconListPopupOpens())
        return;
    // Decided before the menu is sized: shown inside aboutToShow, the item fell outside
    // the menu's window, where no click reaches it.
    pmRemoveFromICL->setVisible(RemoveFromICLOffered());
    pmCopyTiles->setEnabled(!pictavo::SelectedTilePositions(ScrollBox->Tiles()).empty());
    IconListPopup->popup(globalPosition);
}

QWidget* Twnd_pictavo_Main::BuildLeftPanel() {
    LeftPanel = new QWidget;
    LeftPanel->setObjectName("LeftPanel");
    auto* layout = new QVBoxLayout(LeftPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ShellModel = new QFileSystemModel(LeftPanel);
    ShellModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    ShellModel->setRootPath("/");
    ShellTree = new QTreeView(LeftPanel);
    ShellTree->setObjectName("ShellTree");
    ShowKeyboardFocus(ShellTree);
    ShellTree->setModel(ShellModel);
    ShellTree->setHeaderHidden(true);
    for (int column = 1; column < ShellModel->columnCount(); ++column)
        ShellTree->hideColumn(column);
    ShellTree->setRootIndex(ShellModel->index("/").parent());
    layout->addWidget(ShellTree, 1);
    layout->addWidget(BuildDisplayOptions());
    layout->addWidget(BuildSearchOptions());
    return LeftPanel;
}

QWidget* Twnd_pictavo_Main::BuildDisplayOptions() {
    epDisplay = new TExpandPanel(tr("显示选项"), 175, LeftPanel);
    epDisplay->setObjectName("epDisplay");
    auto* layout = new QVBoxLayout(epDisplay->Content());
    layout->setContentsMargins(8, 4, 8, 4);
    cbxClearView = new QCheckBox(tr("清除先前选择项"));
    cbxClearView->setObjectName("cbxClearView");
    cbxClearView->setChecked(true);
    cbx32 = new QCheckBox(tr("仅显示 32bit (位)图标(较慢)"));
    cbx32->setObjectName("cbx32");
    Label2 = new QLabel(tr("图标背景颜色:"));
    Label2->setObjectName("Label2");
    ColorPicker = new TColorCombo;
    ColorPicker->setObjectName("ColorPicker");
    ColorPicker->PickCustom = [this](TColor initial) { return FDialogs->PickColor(initial); };
    Label3 = new QLabel(tr("图标大小:"));
    Label3->setObjectName("Label3");
    cbTileSize = new QComboBox;
    cbTileSize->setObjectName("cbTileSize");
    for (int size : pictavo::TileIconSizes)
        cbTileSize->addItem(tr("%1 x %1 像素").arg(size), size);
    SetTileIconSize(pictavo::DefaultTileIconSize);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(Label3);
    sizeRow->addWidget(cbTileSize, 1);
    for (QWidget* widget : std::initializer_list<QWidget*>{cbxClearView, cbx32, Label2,
                                                          ColorPicker, Label3, cbTileSize}) {
        widget->setFont(LeftPanelFont());
        if (widget != Label3 && widget != cbTileSize)
            layout->addWidget(widget);
    }
    layout->addLayout(sizeRow);
    layout->addStretch(1);
    return epDisplay;
}

QWidget* Twnd_pictavo_Main::BuildSearchOptions() {
    epSearch = new TExpandPanel(tr("搜索"), 225, LeftPanel);
    epSearch->setObjectName("epSearch");
    auto* layout = new QVBoxLayout(epSearch->Content());
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(3);
    de = new TDirectoryEdit;
    de->setObjectName("de");
    de->BrowseFolder = [this](const QString& start) {
        return FDialogs->FolderName(QString(), start);
    };
    Label1 = new QLabel(tr("文件类型:"));
    Label1->setObjectName("Label1");
    cbMask = new QComboBox;
    cbMask->setObjectName("cbMask");
    cbMask->setEditable(true);
    cbMask->setInsertPolicy(QComboBox::NoInsert);
    // The history stays in the list, but what the user types is searched as typed: inline
    // completion once turned "*.ico;" into "*.ico;*.cur".
    cbMask->setCompleter(nullptr);
    cbMask->addItems({"*.*", "*.ico", "*.icl", "*.exe", "*.dll", "*.ocx", "*.cur", "*.ani",
                      "*.dll;*.ico;*.icl;*.exe;*.ocx", "*.cur;*.ani"});
    cbMask->setCurrentText("*.*");
    cbxClear = new QCheckBox(tr("清除先前的搜索结果"));
    cbxClear->setObjectName("cbxClear");
    cbxClear->setChecked(true);
    cbxSub = new QCheckBox(tr("包括子文件夹"));
    cbxSub->setObjectName("cbxSub");
    cbxSub->setChecked(true);
    cbxIgnore = new QCheckBox(tr("忽略重复文件"));
    cbxIgnore->setObjectName("cbxIgnore");
    cbxIgnore->setChecked(true);
    cbxViewAll = new QCheckBox(tr("查看所有找到的图标"));
    cbxViewAll->setObjectName("cbxViewAll");
    bSearch = new QPushButton(tr("开始"));
    bSearch->setObjectName("bSearch");
    bSearch->setEnabled(false);
    for (QWidget* widget : std::initializer_list<QWidget*>{de, Label1, cbMask, cbxClear, cbxSub,
                                                           cbxIgnore, cbxViewAll, bSearch}) {
        widget->setFont(LeftPanelFont());
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    return epSearch;
}

QWidget* Twnd_pictavo_Main::BuildClientPanel() {
    ClientPanel = new QWidget;
    ClientPanel->setObjectName("ClientPanel");
    auto* layout = new QVBoxLayout(ClientPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    NxSplitter1 = new QSplitter(Qt::Vertical, ClientPanel);
    NxSplitter1->setObjectName("NxSplitter1");
    NxSplitter1->setChildrenCollapsible(false);
    FileList = new TFileList;
    ShowKeyboardFocus(FileList);
    NxSplitter1->addWidget(FileList);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    IconListPanel = new QWidget;
    IconListPanel->setObjectName("IconListPanel");
    auto* listLayout = new QVBoxLayout(IconListPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    IconListHeader = new TGradientHeader(18);
    IconListHeader->setObjectName("IconListHeader");
    ScrollBox = new TIconGrid;
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setContextMenuPolicy(Qt::CustomContextMenu);
    ScrollBox->SetCaptionFormat(tr("图标 %1"));
    QPalette white = ScrollBox->palette();
    white.setColor(QPalette::Window, Qt::white);
    ScrollBox->setPalette(white);
    ScrollBox->viewport()->setPalette(white);
    ScrollBox->viewport()->setAutoFillBackground(true);
    listLayout->addWidget(IconListHeader);
    listLayout->addWidget(ScrollBox, 1);
    Splitter1->addWidget(IconListPanel);

    IconBoxPanel = new QWidget;
    IconBoxPanel->setObjectName("IconBoxPanel");
    auto* boxLayout = new QVBoxLayout(IconBoxPanel);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->setSpacing(0);
    IconBoxHeader = new TGradientHeader(18);
    IconBoxHeader->setObjectName("IconBoxHeader");
    IconBox = new TIconBox;
    IconBox->setObjectName("IconBox");
    IconBox->SetIcon(&FIcon);
    IconBox->setContextMenuPolicy(Qt::CustomContextMenu);
    IconBox->setFrameShape(QFrame::NoFrame);
    boxLayout->addWidget(IconBoxHeader);
    boxLayout->addWidget(IconBox, 1);
    Splitter1->addWidget(IconBoxPanel);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setSizes({771 - 219 - 257, 257});

    NxSplitter1->addWidget(Splitter1);
    NxSplitter1->setStretchFactor(1, 1);
    NxSplitter1->setSizes({152, 400});
    layout->addWidget(NxSplitter1);
    return ClientPanel;
}

void Twnd_pictavo_Main::BuildMenus() {
    FileListPopup = new QMenu(this);
    FileListPopup->setObjectName("FileListPopup");
    QMenu* addToView = FileListPopup->addMenu(tr("添加到查看"));
    pmAddToView = addToView->menuAction();
    pmAddToView->setObjectName("pmAddToView");
    Selected2 = AddTagged(addToView, "Selected2", tr("选择的"), 0);
    All2 = AddTagged(addToView, "All2", tr("所有"), 1);
    FileListPopup->addSeparator();
    QMenu* iclFromList = FileListPopup->addMenu(tr("保存到图标库"));
    pmSaveICLFromList = iclFromList->menuAction();
    pmSaveICLFromList->setObjectName("pmSaveICLFromList");
    Selected4 = AddTagged(iclFromList, "Selected4", tr("选择的"), 0);
    All4 = AddTagged(iclFromList, "All4", tr("所有"), 1);
    FileListPopup->addSeparator();
    pmRefresh = FileListPopup->addAction(tr("刷新"));
    pmRefresh->setObjectName("pmRefresh");

    IconListPopup = new QMenu(this);
    IconListPopup->setObjectName("IconListPopup");
    QMenu* iclFromView = IconListPopup->addMenu(tr("保存到图标库"));
    pmSaveToICLFromView = iclFromView->menuAction();
    pmSaveToICLFromView->setObjectName("pmSaveToICLFromView");
    Selected1 = AddTagged(iclFromView, "Selected1", tr("选择的"), 0);
    All1 = AddTagged(iclFromView, "All1", tr("所有"), 1);
    IconListPopup->addSeparator();
    QMenu* saveToIcon = IconListPopup->addMenu(tr("保存为图标"));
    pmSaveToIcon = saveToIcon->menuAction();
    pmSaveToIcon->setObjectName("pmSaveToIcon");
    Selected3 = AddTagged(saveToIcon, "Selected3", tr("选择的"), 0);
    All3 = AddTagged(saveToIcon, "All3", tr("所有"), 1);
    pmSaveToIconTheme = IconListPopup->addAction(tr("保存到图标主题…"));
    pmSaveToIconTheme->setObjectName("pmSaveToIconTheme");
    IconListPopup->addSeparator();
    Remove1 = IconListPopup->addAction(tr("由视图中移除"));
    Remove1->setObjectName("Remove1");
    pmPutIntoProgram = IconListPopup->addAction(tr("把此图标放入程序…"));
    pmPutIntoProgram->setObjectName("pmPutIntoProgram");

    IconBoxPopup = new QMenu(this);
    IconBoxPopup->setObjectName("IconBoxPopup");
    pmSavetoIco = IconBoxPopup->addAction(tr("保存为图标..."));
    pmSavetoIco->setObjectName("pmSavetoIco");
    pmSaveToBMP = IconBoxPopup->addAction(tr("保存为位图..."));
    pmSaveToBMP->setObjectName("pmSaveToBMP");
    pmSaveToPng = IconBoxPopup->addAction(tr("保存为 PNG..."));
    pmSaveToPng->setObjectName("pmSaveToPng");

    // Shown only for a tile of an .icl file (set as the menu opens).
    IconListPopup->addSeparator();
    pmRemoveFromICL = IconListPopup->addAction(tr("从图标库中删除..."));
    pmRemoveFromICL->setObjectName("pmRemoveFromICL");

    // Copy heads the tile menu: all selected tiles, as the Edit menu's copy is worded.
    pmCopyTiles = new QAction(tr("复制(&C)"), IconListPopup);
    pmCopyTiles->setObjectName("pmCopyTiles");
    IconListPopup->insertAction(IconListPopup->actions().value(0), pmCopyTiles);
    IconListPopup->insertSeparator(IconListPopup->actions().value(1));
}

void Twnd_pictavo_Main::ConnectEvents() {
    connect(ColorPicker, &TColorCombo::colorChanged, this, [this] { ColorPickerChange(); });
    connect(cbx32, &QCheckBox::toggled, this, [this] { Guarded([&] { Only32Change(); }); });
    connect(cbTileSize, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([&] { TileSizeChange(); }); });
    // "选择的" or "所有" is bound here, once; the actions keep their Tag (0 or 1) as well.
    using Handler = void (Twnd_pictavo_Main::*)(Take);
    const auto bind = [this](QAction* action, Handler handler, Take take) {
        connect(action, &QAction::triggered, this,
                [this, handler, take] { Guarded([&] { (this->*handler)(take); }); });
    };
    bind(Selected2, &Twnd_pictavo_Main::cmView, Take::Selected);
    bind(All2, &Twnd_pictavo_Main::cmView, Take::All);
    bind(Selected3, &Twnd_pictavo_Main::cmSaveIcon, Take::Selected);
    bind(All3, &Twnd_pictavo_Main::cmSaveIcon, Take::All);
    bind(Selected4, &Twnd_pictavo_Main::cmICLFromList, Take::Selected);
    bind(All4, &Twnd_pictavo_Main::cmICLFromList, Take::All);
    bind(Selected1, &Twnd_pictavo_Main::cmICLFromView, Take::Selected);
    bind(All1, &Twnd_pictavo_Main::cmICLFromView, Take::All);
    connect(pmRefresh, &QAction::triggered, this, [this] { pmRefreshClick(); });
    connect(Remove1, &QAction::triggered, this, [this] { Guarded([&] { cmRemoveFromView(); }); });
    connect(pmSaveToIconTheme, &QAction::triggered, this,
            [this] { Guarded([&] { cmSaveToIconTheme(); }); });
    connect(pmSavetoIco, &QAction::triggered, this, [this] { Guarded([&] { cmSavetoIcon(); }); });
    connect(pmSaveToBMP, &QAction::triggered, this, [this] { Guarded([&] { cmSaveToBMP(); }); });
    connect(pmSaveToPng, &QAction::triggered, this,
            [this] { Guarded([&] { cmSaveImageAsPng(); }); });
    connect(pmRemoveFromICL, &QAction::triggered, this,
            [this] { Guarded([&] { cmRemoveFromICL(); }); });
    connect(pmCopyTiles, &QAction::triggered, this, [this] { Guarded([&] { cmCopyTiles(); }); });
    connect(pmPutIntoProgram, &QAction::triggered, this,
            [this] { Guarded([&] { cmPutIconIntoProgram(); }); });

    connect(FileList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (FileListPopupOpens())
            FileListPopup->popup(FileList->viewport()->mapToGlobal(at));
    });
    connect(ScrollBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupIconList(ScrollBox->viewport()->mapToGlobal(at));
    });
    connect(ScrollBox, &TIconGrid::tileClicked, this, [this](int tile, pictavo::TTileClick click) {
        Guarded([&] { ThumbnailClick(Thumb(tile), click); });
    });
    connect(ScrollBox, &TIconGrid::tileDragged, this, [this](int position) { DragTile(position); });
    connect(ScrollBox, &TIconGrid::iconSizeStepped, this, [this](int steps) {
        SetTileIconSize(pictavo::NextTileIconSize(TileIconSize(), steps));
    });
    connect(ScrollBox, &TIconGrid::tileRightClicked, this, [this](int tile) {
        Guarded([&] { ThumbnailClick(Thumb(tile), pictavo::TTileClick::Context); });
    });
    connect(IconBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (IconBoxPopupOpens())
            IconBoxPopup->popup(IconBox->viewport()->mapToGlobal(at));
    });

    connect(FileList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { FileListHeaderClick(column); });
    connect(FileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                std::set<int> added, removed;
                for (const QModelIndex& index : selected.indexes())
                    added.insert(index.row());
                for (const QModelIndex& index : deselected.indexes())
                    removed.insert(index.row());
                const int row = ReportedFileRow(added, removed,
                                                FileList->selectionModel()->hasSelection());
                Guarded([&] { FileListChange(row); });
            });

    connect(ShellTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                ShellTreeFolderSelected(ShellModel->filePath(current));
            });
    // Folders load and sort in the background, pushing rows in above the selected one:
    // keep it in sight until the user scrolls the tree.
    connect(ShellModel, &QFileSystemModel::directoryLoaded, this, [this] { KeepFolderInSight(); });
    connect(ShellModel, &QFileSystemModel::rowsInserted, this, [this] { KeepFolderInSight(); });
    connect(ShellModel, &QFileSystemModel::layoutChanged, this, [this] { KeepFolderInSight(); });
    connect(ShellTree->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { FFolderInSight = false; });
    connect(ShellTree, &QTreeView::doubleClicked, this, [this] { ShellTreeDblClick(); });
    connect(de, &TDirectoryEdit::textChanged, this, [this] { deChange(); });
    connect(bSearch, &QPushButton::clicked, this, [this] { bSearchClick(); });

    FindFile.Threaded = false;
    FindFile.CompleteDetails = false; // the scan's step reads size and time from the open file
    FindFile.OnSearchBegin = [this](TFindFile&) { FindFileSearchBegin(); };
    FindFile.OnFileMatch = [this](TFindFile&, const TFileDetails& info) {
        FindFileFileMatch(info);
    };
    FindFile.OnSearchFinish = [this](TFindFile&) { FindFileSearchFinish(); };
}

void Twnd_pictavo_Main::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        FDialogs->ShowError(QString::fromUtf8(error.what()));
    }
}

void Twnd_pictavo_Main::Guarded(const QString& failure, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        FDialogs->ShowError(failure + "\n\n" + QString::fromUtf8(error.what()));
    }
}

void Twnd_pictavo_Main::ColorPickerChange() {
    const TColor color = ColorPicker->ColorValue();
    IconBox->SetColor(color);
    ScrollBox->SetColor(color);
}

int Twnd_pictavo_Main::TileIconSize() const {
    return pictavo::ValidTileIconSize(cbTileSize->currentData().toInt());
}

void Twnd_pictavo_Main::SetTileIconSize(int size) {
    cbTileSize->setCurrentIndex(cbTileSize->findData(pictavo::ValidTileIconSize(size)));
}

void Twnd_pictavo_Main::TileSizeChange() {
    // One wheel notch moves one row of tiles (tile and the margins above and below it).
    ScrollBox->SetIconSize(TileIconSize());
    ScrollBoxResize();
}

bool Twnd_pictavo_Main::FileListPopupOpens() const {
    return FileList->Model().rowCount() > 0;
}

bool Twnd_pictavo_Main::IconListPopupOpens() const {
    return ThumbCount() > 0;
}

bool Twnd_pictavo_Main::IconBoxPopupOpens() const {
    return !IconBox->selectedItems().isEmpty();
}

void Twnd_pictavo_Main::ShowStatus(const QString& text) {
    sbPanel0->setText(text);
}

void Twnd_pictavo_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FRestored)
        return;
    FRestored = true;
    RestoreSettings();
    FormStorageAfterRestorePlacement();
}

void Twnd_pictavo_Main::closeEvent(QCloseEvent* event) {
    FindFile.Abort();
    FormStorageBeforeSavePlacement();
    SaveSettings();
    FSaved = true;
    QMainWindow::closeEvent(event);
}

void Twnd_pictavo_Main::SetStartPath(const QString& path) {
    FStartPath = StartPathOf(path);
    if (!FStartPath)
        ShowErrorOnceShown(QString("%1: no such file or folder").arg(path));
}

void Twnd_pictavo_Main::ShowErrorOnceShown(const QString& text) {
    // Over the window, not on an empty screen before it.
    QTimer::singleShot(0, this, [this, text] { FDialogs->ShowError(text); });
}

// The row of that file, made the selected row as a click would; nothing when the file
// holds no icons and so has no row.
void Twnd_pictavo_Main::SelectFileRow(const QString& fileName) {
    const TFileListModel& rows = FileList->Model();
    for (int row = 0; row < rows.rowCount(); ++row)
        if (QFileInfo(QString::fromStdString(rows.Entry(row).FileName)).absoluteFilePath() ==
            fileName) {
            FileList->ClickRow(row);
            return;
        }
}

void Twnd_pictavo_Main::FormStorageAfterRestorePlacement() {
    if (FStartPath) {
        // The scan of the folder runs while the tree selects it.
        if (ShellTreeNavigate(FStartPath->Folder) && !FStartPath->FileName.isEmpty())
            SelectFileRow(FStartPath->FileName);
    } else if (!ShellTreeStartInFolder.isEmpty() && !ShellTreeNavigate(ShellTreeStartInFolder)) {
        // The nearest folder that is left becomes the start folder: the next start is quiet.
        const QString missing = ShellTreeStartInFolder;
        ShellTreeStartInFolder = NearestExistingFolder(missing);
        ShellTreeNavigate(ShellTreeStartInFolder);
        ShowErrorOnceShown(QString("%1: folder not found").arg(missing));
    } else if (ShellTreeStartInFolder.isEmpty() && ShellTreeSelectedFolder().isEmpty() &&
               FileList->Model().rowCount() == 0 && ShellTreeNavigate(QDir::homePath())) {
        // The first start opens where the user's files are, the list sorted by name.
        ShellTree->expand(ShellTree->currentIndex());
        FileList->Model().sort(0, Qt::AscendingOrder);
        FileList->header()->setSortIndicatorShown(true);
        FileList->header()->setSortIndicator(0, Qt::AscendingOrder);
    }
    de->SetText(de->Text());
    deChange();
}

void Twnd_pictavo_Main::FormStorageBeforeSavePlacement() {
    const QString folder = ShellTreeSelectedFolder();
    if (!folder.isEmpty())
        ShellTreeStartInFolder = folder;
}

QString Twnd_pictavo_Main::ShellTreeSelectedFolder() const {
    const QModelIndex current = ShellTree->currentIndex();
    return current.isValid() ? ShellModel->filePath(current) : QString();
}

bool Twnd_pictavo_Main::ShellTreeNavigate(const QString& folder) {
    if (!QFileInfo(folder).isDir())
        return false;
    const QModelIndex index = ShellModel->index(folder);
    if (!index.isValid())
        return false;
    // Set first: selecting the folder scans it, and its parents load meanwhile.
    FFolderInSight = true;
    ShellTree->scrollTo(index);
    ShellTree->setCurrentIndex(index);
    KeepFolderInSight();
    return true;
}

void Twnd_pictavo_Main::KeepFolderInSight() {
    if (!FFolderInSight || FFolderScrollQueued)
        return;
    // Once the model has settled, after the rows that came with this signal are laid out.
    FFolderScrollQueued = true;
    QTimer::singleShot(0, this, [this] {
        FFolderScrollQueued = false;
        if (FFolderInSight && ShellTree->currentIndex().isValid())
            ShellTree->scrollTo(ShellTree->currentIndex());
    });
}
