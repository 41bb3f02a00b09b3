// The view of FileList: full-row, multi-select, sortable by header click (handled by the
// window), with type-ahead by the list's own prefix rule.
#pragma once

#include "app/FileListModel.h"

#include <QElapsedTimer>
#include <QTreeView>

class TFileList : public QTreeView {
    Q_OBJECT
public:
    explicit TFileList(QWidget* parent = nullptr);

    TFileListModel& Model() { return FModel; }
    // The rows in display order that are selected.
    std::vector<int> SelectedRows() const;

    // Makes the row the current and only selected row, as a click on it does.
    void ClickRow(int row);

    // Jumps to the first row, from the top, that matches the typed text; typing within
    // the keyboard input interval extends the text. Returns the row or -1.
    int IncrementalSearch(const QString& typed);

    void keyboardSearch(const QString& search) override;

private:
    TFileListModel FModel;
    QString FSearchText;
    QElapsedTimer FLastKey;
};
