// Decisions of the window that need no widget, kept here so that tests can check them
// as tables.
#pragma once

#include <QStringList>
#include <set>

// The file-list row a selection change reports: the row just selected, or the one just
// deselected (Ctrl+click) while other rows stay selected; -1 for anything else (several
// rows at once, or a selection cleared altogether).
int ReportedFileRow(const std::set<int>& selected, const std::set<int>& deselected,
                    bool selectionRemains);

// The file-type history after a search with `mask`: a mask not yet in it (compared
// ignoring case) goes first; a known one changes nothing.
QStringList MaskHistoryAfter(QStringList history, const QString& mask);

// What a command with the items "选择的" and "所有" acts on: the selected items, or all.
enum class Take { Selected, All };

// What the window holds, as far as its commands care.
struct WindowState {
    int Rows = 0; // of the file list
    int SelectedRows = 0;
    int Tiles = 0; // of the icon view
    int SelectedTiles = 0;
    bool TileCurrent = false;    // a tile is the selected one (its images are listed)
    bool TileInLibrary = false;  // that tile's file is an .icl library
    bool ImageSelected = false;  // in the image list
    bool FolderSelected = false; // in the folder tree
};

// The commands of the menu bar, the toolbar and the context menus.
enum class Command {
    AddSelectedToView,
    AddAllToView,
    SaveSelectedRowsToLibrary,
    SaveAllRowsToLibrary,
    Refresh,
    SaveSelectedTilesToLibrary,
    SaveAllTilesToLibrary,
    SaveSelectedIcons,
    SaveAllIcons,
    RemoveFromView,
    RemoveFromLibrary,
    SaveImageAsIcon,
    SaveImageAsBitmap,
    SaveImageAsPng,
    Copy,
    SelectAllTiles,
    SaveToIconTheme,
    SaveCursorTheme,
};

// Whether the command has something to act on: a command of a context menu applies
// when that menu opens (and, for the "选择的" items, when something is selected).
bool CommandApplies(Command command, const WindowState& state);

// The width the image list's panel gets when its items want `wanted` pixels: it widens
// (never narrows) at the icon view's cost, as long as the view keeps `keepView`, of the
// `total` the two share.
int ImagePanelWidth(int current, int wanted, int total, int keepView);

// The recently opened files and folders after opening `path`: it goes first, once, and
// the list keeps at most `limit` entries.
QStringList RecentPathsAfter(QStringList recent, const QString& path, int limit = 10);
