// The window's components, found by the object names they carry, so tests drive the
// window as a person would while the window keeps its widgets to itself.
#pragma once

#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/LongWork.h"
#include "app/MainWindow.h"
#include "app/Panels.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QtGlobal>

// Stops the test run at once when a component is missing: a renamed part would
// otherwise show as a crash far from its cause.
template <class Part> Part* FindPart(const QObject& window, const char* name) {
    Part* part = window.findChild<Part*>(name);
    if (!part)
        qFatal("the window has no %s named %s", Part::staticMetaObject.className(), name);
    return part;
}

struct WindowParts {
    explicit WindowParts(const Twnd_pictavo_Main& w)
        : lTitle(FindPart<QLabel>(w, "lTitle")), lVer(FindPart<QLabel>(w, "lVer")),
          LeftPanel(FindPart<QWidget>(w, "LeftPanel")),
          ShellTree(FindPart<QTreeView>(w, "ShellTree")),
          epDisplay(FindPart<TExpandPanel>(w, "epDisplay")),
          cbxClearView(FindPart<QCheckBox>(w, "cbxClearView")),
          cbx32(FindPart<QCheckBox>(w, "cbx32")),
          ColorPicker(FindPart<TColorCombo>(w, "ColorPicker")),
          cbTileSize(FindPart<QComboBox>(w, "cbTileSize")),
          epSearch(FindPart<TExpandPanel>(w, "epSearch")), de(FindPart<TDirectoryEdit>(w, "de")),
          cbMask(FindPart<QComboBox>(w, "cbMask")), cbxClear(FindPart<QCheckBox>(w, "cbxClear")),
          cbxSub(FindPart<QCheckBox>(w, "cbxSub")), cbxIgnore(FindPart<QCheckBox>(w, "cbxIgnore")),
          cbxViewAll(FindPart<QCheckBox>(w, "cbxViewAll")),
          bSearch(FindPart<QPushButton>(w, "bSearch")),
          FileList(FindPart<TFileList>(w, "FileList")),
          IconListHeader(FindPart<TGradientHeader>(w, "IconListHeader")),
          ScrollBox(FindPart<TIconGrid>(w, "ScrollBox")),
          IconBoxHeader(FindPart<TGradientHeader>(w, "IconBoxHeader")),
          IconBox(FindPart<TIconBox>(w, "IconBox")), sbPanel0(FindPart<QLabel>(w, "sbPanel0")),
          LongWork(FindPart<TLongWork>(w, "LongWork")),
          FileListPopup(FindPart<QMenu>(w, "FileListPopup")),
          Selected2(FindPart<QAction>(w, "Selected2")), All2(FindPart<QAction>(w, "All2")),
          Selected4(FindPart<QAction>(w, "Selected4")), All4(FindPart<QAction>(w, "All4")),
          IconListPopup(FindPart<QMenu>(w, "IconListPopup")),
          Selected1(FindPart<QAction>(w, "Selected1")), All1(FindPart<QAction>(w, "All1")),
          Selected3(FindPart<QAction>(w, "Selected3")), All3(FindPart<QAction>(w, "All3")),
          pmRemoveFromICL(FindPart<QAction>(w, "pmRemoveFromICL")),
          IconBoxPopup(FindPart<QMenu>(w, "IconBoxPopup")),
          pmSaveToPng(FindPart<QAction>(w, "pmSaveToPng")),
          mnOpenFile(FindPart<QAction>(w, "mnOpenFile")),
          mnSaveAsPng(FindPart<QAction>(w, "mnSaveAsPng")), mnCopy(FindPart<QAction>(w, "mnCopy")),
          mnAddAllToView(FindPart<QAction>(w, "mnAddAllToView")) {}

    QLabel* lTitle;
    QLabel* lVer;
    QWidget* LeftPanel;
    QTreeView* ShellTree;
    TExpandPanel* epDisplay;
    QCheckBox* cbxClearView;
    QCheckBox* cbx32;
    TColorCombo* ColorPicker;
    QComboBox* cbTileSize;
    TExpandPanel* epSearch;
    TDirectoryEdit* de;
    QComboBox* cbMask;
    QCheckBox* cbxClear;
    QCheckBox* cbxSub;
    QCheckBox* cbxIgnore;
    QCheckBox* cbxViewAll;
    QPushButton* bSearch;
    TFileList* FileList;
    TGradientHeader* IconListHeader;
    TIconGrid* ScrollBox;
    TGradientHeader* IconBoxHeader;
    TIconBox* IconBox;
    QLabel* sbPanel0;
    TLongWork* LongWork;
    QMenu* FileListPopup;
    QAction* Selected2;
    QAction* All2;
    QAction* Selected4;
    QAction* All4;
    QMenu* IconListPopup;
    QAction* Selected1;
    QAction* All1;
    QAction* Selected3;
    QAction* All3;
    QAction* pmRemoveFromICL;
    QMenu* IconBoxPopup;
    QAction* pmSaveToPng;
    QAction* mnOpenFile;
    QAction* mnSaveAsPng;
    QAction* mnCopy;
    QAction* mnAddAllToView;
};

inline WindowParts Parts(const Twnd_pictavo_Main& window) {
    return WindowParts(window);
}
