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
