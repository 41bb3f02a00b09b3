#include "app/FocusFrame.h"

#include <QAbstractScrollArea>

void ShowKeyboardFocus(QAbstractScrollArea* view) {
    // Without the focus: a thin frame and a 1-px margin; with it: a 2-px highlight frame
    // in the same room, so nothing inside moves when the focus comes or goes.
    const QString type = view->metaObject()->className();
    view->setStyleSheet(
        QString("%1 { border: 1px solid palette(mid); margin: 1px; }"
                "%1:focus { border: 2px solid palette(highlight); margin: 0px; }")
            .arg(type));
}
