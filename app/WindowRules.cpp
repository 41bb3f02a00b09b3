#include "app/WindowRules.h"

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
