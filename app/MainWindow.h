// Twnd_pictavo_Main: the program's one window. Its components keep their names, as
// object names too, and are private: other files use the handlers and named methods. The
// handlers live in files by subsystem: MainWindow.cpp (construction, menus, colour),
// Settings.cpp (settings kept between runs), IconView.cpp (tiles), SearchCommands.cpp
// (folder scan and search), FileListCommands.cpp (file-list events).
#pragma once

#include "app/Dialogs.h"
#include "app/StartPath.h"
#include "app/TileSelection.h"
#include "app/ViewIcons.h"
#include "app/WindowRules.h"
#include "icons/MultiIcon.h"
#include "library/FileScan.h"
#include "library/LibrarySources.h"
#include "library/IconLibraryBuilder.h"
#include "search/FindFile.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSet>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTreeView;
class TColorCombo;
class TWorkProgress;
class TDirectoryEdit;
class TExpandPanel;
class TFileList;
class TGradientHeader;
class TIconBox;
class TIconGrid;
class TThumbRef;
class TLongWork;
class TCursorPlayer;
class QMimeData;
class QKeySequence;
namespace pictavo {
class TPrivateTempFolder;
}

class Twnd_pictavo_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Twnd_pictavo_Main(QWidget* parent = nullptr);
    ~Twnd_pictavo_Main() override;

    // Replaces the modal questions (tests answer them without a person).
    void SetDialogs(std::unique_ptr<TDialogs> dialogs);
    TDialogs& Dialogs() { return *FDialogs; }

    // Enables every command of the menu bar and the toolbar that has something to act on.
    void UpdateCommands();
    // The same once the events waiting now are handled.
    void QueueUpdateCommands();
    WindowState CurrentState() const;

    // ---- state ----
    int32_t FIconTotal() const { return FScan.IconTotal(); }
    // The position of the selected tile (FSelectedThumb); -1 when none.
    int32_t SelectedThumbPosition() const { return FSelectedThumb; }
    // The icon whose images the image list shows (FIcon).
    const pictavo::TMultiIcon& ShownIcon() const { return FIcon; }

    // ---- the tiles of the icon view, in display order ----
    int ThumbCount() const;
    // Invalid past the last tile.
    TThumbRef Thumb(int position) const;
    // Where the tile is inside the view's scrolled area.
    QRect ThumbRect(int position) const;

    // ---- handlers (names as the command table gives them) ----
    void ColorPickerChange();
    // The icon size of the tiles chosen in the display options (one of TileIconSizes).
    int TileIconSize() const;
    void SetTileIconSize(int size);
    void TileSizeChange();
    // Context menus open only when they have something to act on; true when shown.
    bool FileListPopupOpens() const;
    bool IconListPopupOpens() const;
    // Opens the icon view's menu at the point, with the items that apply.
    void PopupIconList(const QPoint& globalPosition);
    bool IconBoxPopupOpens() const;

    void FileListChange(int row); // -1: no single row reported
    void FileListHeaderClick(int column);

    int AddFileIcons(const std::string& FileName, int IconCount, bool Append);
    void AddThumbnail(const std::string& FileName, int Position, int IconIndex, bool Reuse);
    void RemoveThumbnails(int Count);
    int FindSelectedThumb() const;
    // No tile selected, FSelectedThumb -1.
    void ClearThumbSelection();
    // A click on a tile: the selection follows the click; the clicked tile, when it is
    // selected, becomes the current one and the image list shows its images.
    void ThumbnailClick(TThumbRef Sender,
                        pictavo::TTileClick click = pictavo::TTileClick::Only);
    void ScrollBoxResize();
    // Widens the image list's panel so that its widest image and caption show whole,
    // while the icon view keeps room for a column of tiles.
    void FitImagePanel();
    void cmView(Take take);
    void cmRemoveFromView();
    // "仅显示 32bit" changed: the view and the image list show their files again under it.
    void Only32Change();

    // ---- export commands (ExportCommands.cpp) ----
    // The tile at FSelectedThumb; invalid when none is selected.
    TThumbRef SelectedThumb() const;
    void cmSaveIcon(Take take);
    void cmSavetoIcon();
    void cmSaveToBMP();
    // The selected image as a PNG file with its transparency.
    void cmSaveImageAsPng();
    // The selected image, else the selected tile's largest image, onto the clipboard.
    void cmCopy();
    // The same for a drag: the PNG written to a private folder, with its URI.
    QMimeData* DragImageData();
    // The selected tile's icon as launcher icons in the user's icon theme (ThemeCommands.cpp).
    void cmSaveToIconTheme();
    // ---- cursors (CursorCommands.cpp) ----
    // The cursor pack of the listed folder (or of the .inf file opened there) as a Linux
    // cursor theme in the user's own icon folder, under a name the user confirms.
    void cmSaveCursorTheme();
    // What that command takes: CursorPackSource of the listed folder; "" when none.
    QString SelectedCursorPack() const;
    // A tile dragged out: its icon as an .ico file (by its URI) and its largest image.
    QMimeData* TileDragData(int position);
    // The tiles as .ico files in a private folder, by their URIs; the largest image of
    // the first as well when there is one tile or when `imageOfFirst`. Null when none
    // of them has an image.
    QMimeData* TilesData(const std::vector<int>& positions, bool imageOfFirst);
    // The tile menu's copy: every selected tile's icon file and the first one's image.
    void cmCopyTiles();
    void DragTile(int position);
    void cmSelectAllTiles();
    // Shift+F10: the context menu of the focused list or view, at its current item.
    void OpenFocusedContextMenu();
    void cmAbout();

    // ---- opening (OpenCommands.cpp) ----
    void cmOpenFile();
    void cmOpenFolder();
    // Lists the folder, or the file's folder with the file's row selected, and keeps the
    // path among the recent ones; false (with an error shown) when it does not exist.
    bool OpenPath(const QString& path);
    // Dropped paths: a folder or one file opens as OpenPath does; several files are listed.
    void OpenDroppedPaths(const QStringList& paths);
    static QStringList LocalPaths(const QMimeData* data);
    // The status line's word on dropped files that hold no icons.
    static QString NoIconsText(const QStringList& paths);

    // ---- library commands (LibraryCommands.cpp) ----
    void cmICLFromList(Take take);
    void cmICLFromView(Take take);
    // The icons of the view's tiles, in view order: what "所有" and "选择的" of the
    // view's commands take, and what a removal from a library renumbers.
    std::vector<pictavo::TViewedIcon> ViewedIcons() const;
    // Removing an icon rewrites its library, so it is offered for .icl files only.
    bool RemoveFromICLOffered() const;
    void cmRemoveFromICL();
    // Puts the current tile's icon into a Windows program the user chooses (after a
    // confirmation), keeping the previous program as its backup.
    void cmPutIconIntoProgram();
    // Builds the library while the window answers; false when cancelled (the library is
    // then as it was).
    bool BuildLibrary(pictavo::TIconLibraryBuild build);
    static void WaitForLibraryLock(TWorkProgress& progress, const std::string& library,
                                   std::function<void(const std::string&)>& onWait,
                                   std::function<void()>& whileWaiting);
    // The rows of a file the window has just written show what it holds now.
    void RefreshFileRows(const std::string& fileName);

    void ShellTreeFolderSelected(const QString& folder);
    void pmRefreshClick();
    void ShellTreeDblClick();
    void deChange();
    void bSearchClick();
    void FindFileSearchBegin();
    void FindFileFileMatch(const pictavo::TFileDetails& FileInfo);
    void FindFileSearchFinish();

    // The path of the folder selected in the tree, empty when none.
    QString ShellTreeSelectedFolder() const;
    // Selects the folder in the tree (which scans it); false when it does not exist.
    bool ShellTreeNavigate(const QString& folder);
    // The path given on the command line: the window opens at this folder, or at this
    // file's folder with the file's row selected, instead of the folder kept from the
    // last run. Takes effect when the window is first shown.
    void SetStartPath(const QString& path);

    // ---- settings (Settings.cpp) ----
    void RestoreSettings();
    void SaveSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ---- components ----
    // Private: other files go through the named methods above. Each carries its name as
    // its object name, by which tests find it as a person would.
    TGradientHeader* Header;
    QLabel* Icon;
    QLabel* lTitle;
    QLabel* lVer;
    QLabel* lCopy;
    QSplitter* Splitter3;
    QWidget* LeftPanel;
    QTreeView* ShellTree;
    QFileSystemModel* ShellModel;
    TExpandPanel* epDisplay;
    QCheckBox* cbxClearView;
    QCheckBox* cbx32;
    QLabel* Label2;
    TColorCombo* ColorPicker;
    QLabel* Label3;
    QComboBox* cbTileSize;
    TExpandPanel* epSearch;
    TDirectoryEdit* de;
    QLabel* Label1;
    QComboBox* cbMask;
    QCheckBox* cbxClear;
    QCheckBox* cbxSub;
    QCheckBox* cbxIgnore;
    QCheckBox* cbxViewAll;
    QPushButton* bSearch;
    QWidget* ClientPanel;
    QSplitter* NxSplitter1;
    TFileList* FileList;
    QSplitter* Splitter1;
    QWidget* IconListPanel;
    TGradientHeader* IconListHeader;
    // The icon view: its tiles and the scroll box around them.
    TIconGrid* ScrollBox;
    QWidget* IconBoxPanel;
    TGradientHeader* IconBoxHeader;
    TIconBox* IconBox;
    QStatusBar* sb;
    QLabel* sbPanel0;
    pictavo::TFindFile FindFile;
    // Runs the long commands' work while the window answers.
    TLongWork* LongWork;

    QMenu* FileListPopup;
    QAction* pmAddToView;
    QAction* Selected2;
    QAction* All2;
    QAction* pmSaveICLFromList;
    QAction* Selected4;
    QAction* All4;
    QAction* pmRefresh;
    QMenu* IconListPopup;
    QAction* pmSaveToICLFromView;
    QAction* Selected1;
    QAction* All1;
    QAction* pmSaveToIcon;
    QAction* Selected3;
    QAction* All3;
    QAction* Remove1;
    QAction* pmSaveToIconTheme;
    QMenu* IconBoxPopup;
    QAction* pmSavetoIco;
    QAction* pmSaveToBMP;
    QAction* pmSaveToPng;

    // The menu bar's and toolbar's own actions (MenuBar.cpp).
    QAction* mnOpenFile;
    QAction* mnOpenFolder;
    QMenu* mnRecent;
    QAction* mnSaveAsPng;
    QAction* mnCopy;
    QAction* mnAddAllToView;
    QAction* mnRefresh;
    QAction* pmRemoveFromICL;
    QAction* pmPutIntoProgram;
    QAction* pmCopyTiles;

    int32_t FSelectedThumb = -1;
    // Where a Shift+click's range of tiles starts.
    int FSelectionAnchor = -1;
    pictavo::TMultiIcon FIcon;
    // The files whose icons fill the view, and whether a file-list selection filled it
    // (its header names the file) rather than "添加到查看".
    std::vector<TViewFile> FViewFiles;
    bool FViewOfSelection = false;
    // Fills the view with the qualifying icons of the files, while the window answers.
    void FillView(const std::vector<TViewFile>& files);
    // The header of the view as it is now: the file's name for a selection's icons.
    QString ViewHeader(int files) const;
    uint64_t FSearchStart = 0;
    // The folder the tree opens at the next start (kept between runs).
    QString ShellTreeStartInFolder;

    void FormCreate();
    void BuildHeader(QWidget* parent);
    QWidget* BuildLeftPanel();
    QWidget* BuildDisplayOptions();
    QWidget* BuildSearchOptions();
    QWidget* BuildClientPanel();
    void BuildMenus();
    void BuildMenuBar();
    void BuildKeyboardPaths();
    void BuildToolBar();
    QAction* AddCommand(QMenu* menu, Command command, const QString& caption,
                        const std::function<void()>& handler,
                        const QKeySequence& shortcut = {});
    std::vector<std::pair<Command, QAction*>> FCommandActions;
    bool FCommandsUpdateQueued = false;
    void FillRecentMenu();
    // The PNG of the selected image (or of the selected tile's largest) and its file name.
    bool SelectionAsPng(std::vector<uint8_t>& png, std::string& name);
    std::unique_ptr<pictavo::TPrivateTempFolder> FDragFolder;
    // Cursors (CursorCommands.cpp): the player above the image list, the tree's menu, the
    // .inf file last opened (a cursor pack's installer, which the file list never shows).
    TCursorPlayer* CursorPlayer = nullptr;
    QMenu* ShellTreePopup = nullptr;
    QString FOpenedInf;
    void BuildCursorCommands();
    // Plays the file's animation when it is an animated cursor; stops the player otherwise.
    void PlayCursorOf(const std::string& fileName);
    // An .inf file opened: kept as the pack the command takes, and said in the status line.
    void OpenedCursorPack(const QString& infFile);
    void SaveCursorTheme();
    void PutIconIntoProgram();
    void ConnectEvents();
    void FormStorageAfterRestorePlacement();
    void FormStorageBeforeSavePlacement();
    // Runs a command; an error that escapes it goes to the application's error report.
    void Guarded(const std::function<void()>& command);
    // The same for a command whose errors come from the core in English: the box says
    // first, in the window's language, what did not happen, then the error itself.
    void Guarded(const QString& failure, const std::function<void()>& command);
    void ShowStatus(const QString& text);
    // The error box, once the window is on the screen.
    void ShowErrorOnceShown(const QString& text);
    // A scan shows its rows and status at most every 50 ms (a list or label change per
    // file costs a layout each, many times the file's own probe); the waiting events are
    // processed every 5 ms, so "取消" works at once.
    void ProcessScanEvents();
    void ShowPendingScanResults();
    // After each file of a scan: the totals and the file's status, shown when due.
    void ShowScanProgress(const QString& fileStatus);
    // Asks for the library file; rebuild is the answer to the overwrite question.
    bool AskLibraryFile(const char* overwriteQuestion, std::string& fileName, bool& rebuild);
    // A save dialog opening in the folder last used for that kind of file (".ico", ".bmp",
    // ".png", ".icl"), in this run or an earlier one, or the source file's folder the first
    // time; remembers the folder chosen.
    QString AskSaveName(const QString& title, const std::string& kind,
                        const std::string& sourceFile, const std::string& proposedName,
                        const QString& filter, bool confirmOverwrite);
    // The status line's "183 icons saved to …".
    static QString SavedIconsText(size_t icons, const QString& where);
    // The image chosen in the image list of the selected tile; -1 when none.
    int SelectedImage() const;
    // The save dialog for that image, proposing its export name with `extension`.
    QString AskImageSaveName(int image, const QString& title, const std::string& extension,
                             const QString& filter);

    std::unique_ptr<TDialogs> FDialogs;
    pictavo::TFileScan FScan; // the remembered names and the running totals
    void SelectFileRow(const QString& fileName);
    std::optional<TStartPath> FStartPath;
    QElapsedTimer FProgressClock;
    QElapsedTimer FEventClock;
    std::vector<pictavo::TFileEntry> FPendingRows;
    QString FPendingStatus;
    bool FRestored = false;
    bool FSaved = false;
    // The tree follows the folder it was sent to while its parents load, until the user
    // scrolls it.
    void KeepFolderInSight();
    bool FFolderInSight = false;
    bool FFolderScrollQueued = false;
};
