#include "app/WindowRules.h"

#include <algorithm>

int ReportedFileRow(const std::set<int>& selected, const std::set<int>& deselected,
                    bool selectionRemains) {
    if (selected.size() == 1)
        return *selected.begin();
    if (selected.empty() && deselected.size() == 1 && selectionRemains)
        return *deselected.begin();
    return -1;
}

QStringList MaskHistoryAfter(QStringList history, const QString& mask) {
    if (!history.contains(mask, Qt::CaseInsensitive))
        history.prepend(mask);
    return history;
}

bool CommandApplies(Command command, const WindowState& state) {
    switch (command) {
    case Command::AddAllToView:
    case Command::SaveAllRowsToLibrary:
        return state.Rows > 0;
    case Command::AddSelectedToView:
    case Command::SaveSelectedRowsToLibrary:
        return state.SelectedRows > 0;
    case Command::Refresh:
    case Command::SaveCursorTheme:
        return state.FolderSelected;
    case Command::SaveAllTilesToLibrary:
    case Command::SaveAllIcons:
    case Command::SelectAllTiles:
        return state.Tiles > 0;
    case Command::SaveSelectedTilesToLibrary:
    case Command::SaveSelectedIcons:
        return state.SelectedTiles > 0;
    case Command::RemoveFromView:
    case Command::SaveToIconTheme:
        return state.TileCurrent;
    case Command::RemoveFromLibrary:
        return state.TileCurrent && state.TileInLibrary;
    case Command::SaveImageAsIcon:
    case Command::SaveImageAsBitmap:
    case Command::SaveImageAsPng:
        return state.ImageSelected;
    case Command::Copy:
        return state.ImageSelected || state.TileCurrent || state.SelectedTiles > 0;
    }
    return false;
}

int ImagePanelWidth(int current, int wanted, int total, int keepView) {
    if (wanted <= current)
        return current;
    return std::max(current, std::min(wanted, total - keepView));
}

QStringList RecentPathsAfter(QStringList recent, const QString& path, int limit) {
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > limit)
        recent.removeLast();
    return recent;
}
