// The icon view: cmView, the 32-bit filter, removing tiles, one selected tile, naming.
#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "app/IconGrid.h"
#include "app/Panels.h"
#include "app/Settings.h"
#include "app/WheelScrollBox.h"

#include "app/IconBox.h"
#include <QCheckBox>
#include <QClipboard>
#include <QMimeData>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QWheelEvent>
#include <QtTest>

class IconViewTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ClearStoredSettings();
        window = std::make_unique<Twnd_pictavo_Main>();
        UseFakeDialogs(*window);
        window->ShellTreeFolderSelected(folder.Path()); // a.dll 3, b.dll 2, c.ico 1, arrow.cur 1
    }
    void cleanup() { window.reset(); }
    WindowParts parts() const { return WindowParts(*window); }

    void viewAllShowsEveryIconCountedThroughTheView() {
        window->cmView(Take::All);
        QCOMPARE(window->ThumbCount(), 7);
        QCOMPARE(parts().IconListHeader->Text(), QString("4 文件 - 7 图标"));
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(window->Thumb(i)->Caption(), QString("图标 %1").arg(i));
            QCOMPARE(window->Thumb(i)->Index(), i);
            QCOMPARE(window->Thumb(i)->toolTip().toStdString(), window->Thumb(i)->ModuleName());
        }
        QCOMPARE(window->SelectedThumbPosition(), -1);
    }

    void viewSelectedTakesTheSelectedRowsOnly() {
        window->cmView(Take::Selected);
        QCOMPARE(parts().IconListHeader->Text(), QString("0 文件 - 0 图标"));
        parts().FileList->selectAll();
        parts().FileList->selectionModel()->select(
            parts().FileList->Model().index(RowOf("a.dll"), 0),
            QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        window->cmView(Take::Selected);
        QCOMPARE(parts().IconListHeader->Text(), QString("3 文件 - 4 图标"));
    }

    void filterOf32BitsSkipsIconsWithoutDeepImages() {
        parts().cbx32->setChecked(true);
        window->cmView(Take::All); // as the search ends with "查看所有找到的图标"
        // arrow.cur has a 1-bit image only; every other icon has a 32-bit image.
        QCOMPARE(window->ThumbCount(), 6);
        for (int i = 0; i < window->ThumbCount(); ++i)
            QVERIFY(window->Thumb(i)->ModuleName() != folder.File("arrow.cur").toStdString());
        // The image list then shows the 32-bit images with their true indices.
        window->ThumbnailClick(window->Thumb(0));
        QCOMPARE(parts().IconBox->count(), 1);
        QCOMPARE(parts().IconBox->item(0)->text(), QString("1"));
    }

    // The 32-bit filter shows its effect at once: the view is filled again from the same
    // files, the chosen icon stays chosen, and a file's icons keep its name in the header.
    void only32RefillsTheViewAtOnce() {
        parts().cbx32->setChecked(true);
        parts().FileList->ClickRow(RowOf("arrow.cur"));
        QCOMPARE(window->ThumbCount(), 0);
        parts().cbx32->setChecked(false);
        QCOMPARE(window->ThumbCount(), 1);
        QCOMPARE(parts().IconListHeader->Text(), QString("arrow.cur - 1 图标"));

        window->cmView(Take::All);
        const int a1 = FirstTileOf("a.dll") + 1;
        window->ThumbnailClick(window->Thumb(a1));
        QCOMPARE(parts().IconBox->count(), 2);
        parts().cbx32->setChecked(true);
        QCOMPARE(window->ThumbCount(), 6);
        QCOMPARE(parts().IconListHeader->Text(), QString("4 文件 - 6 图标"));
        const TThumbRef chosen = window->SelectedThumb();
        QVERIFY(chosen);
        QCOMPARE(chosen->ModuleName(), folder.File("a.dll").toStdString());
        QCOMPARE(chosen->IconIndex(), 1);
        QCOMPARE(parts().IconBox->count(), 1); // its 32-bit image only
    }

    // Removing a tile of one file's icons keeps the file's name in the header.
    void removalKeepsTheFileInTheHeader() {
        parts().FileList->ClickRow(RowOf("a.dll"));
        window->ThumbnailClick(window->Thumb(1));
        window->cmRemoveFromView();
        QCOMPARE(parts().IconListHeader->Text(), QString("a.dll - 2 图标"));
    }

    // Home and End (with Ctrl too) reach the first and the last tile; Ctrl with plus,
    // minus or the wheel changes the icon size.
    void keysReachTheEndsAndCtrlSizesTheIcons() {
        window->cmView(Take::All);
        TIconGrid* view = parts().ScrollBox;
        view->setFocus();
        view->FocusTile(3);
        const auto enterSelects = [&](Qt::Key key, Qt::KeyboardModifiers held, int position) {
            QTest::keyClick(view, key, held);
            QTest::keyClick(view, Qt::Key_Return);
            QCOMPARE(window->SelectedThumbPosition(), position);
        };
        enterSelects(Qt::Key_End, Qt::NoModifier, 6);
        enterSelects(Qt::Key_Home, Qt::NoModifier, 0);
        enterSelects(Qt::Key_End, Qt::ControlModifier, 6);
        enterSelects(Qt::Key_Home, Qt::ControlModifier, 0);

        QCOMPARE(window->TileIconSize(), 32);
        QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(window->TileIconSize(), 48);
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(window->TileIconSize(), 32);
        const QPoint inside = view->viewport()->rect().center();
        QWheelEvent away(inside, view->viewport()->mapToGlobal(inside), {}, {0, 120},
                         Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &away);
        QCOMPARE(window->TileIconSize(), 48);
        QCOMPARE(view->verticalScrollBar()->value(), 0);
    }

    void clickSelectsOneTileAndListsItsImages() {
        window->cmView(Take::All);
        const int a0 = FirstTileOf("a.dll");
        window->ThumbnailClick(window->Thumb(a0));
        QCOMPARE(window->SelectedThumbPosition(), a0);
        QCOMPARE(parts().IconBox->count(), 2);
        QCOMPARE(parts().IconBoxHeader->Text(), QString("图标 %1 - 2 图像").arg(a0));
        // Append more icons while a tile is selected, then click another one.
        parts().cbxClearView->setChecked(false);
        parts().FileList->ClickRow(RowOf("b.dll"));
        window->ThumbnailClick(window->Thumb(window->ThumbCount() - 1));
        window->ThumbnailClick(window->Thumb(1));
        QCOMPARE(SelectedTiles(), 1);
        QCOMPARE(window->FindSelectedThumb(), 1);
    }

    // A cursor shown first once turned the next module icon into a cursor lookup:
    // "Invalid icon resource" and an empty image list, or with the 32-bit filter a lost
    // icon 0.
    void cursorShownFirstSpoilsNoModuleIcon() {
        for (const bool only32 : {false, true}) {
            init();
            FakeDialogs* dialogs = UseFakeDialogs(*window);
            parts().cbx32->setChecked(false);
            window->cmView(Take::All);
            const int cursorTile = FirstTileOf("arrow.cur");
            window->ThumbnailClick(window->Thumb(cursorTile));
            QVERIFY(parts().IconBox->count() > 0);
            parts().cbx32->setChecked(only32);
            window->cmView(Take::All);
            window->ThumbnailClick(window->Thumb(FirstTileOf("a.dll")));
            QVERIFY2(dialogs->Errors.isEmpty(), qPrintable(dialogs->Errors.join("; ")));
            QVERIFY(parts().IconBox->count() > 0);
            QCOMPARE(window->Thumb(FirstTileOf("a.dll"))->IconIndex(), 0);
        }
    }

    void removeFirstMiddleAndLastTile() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->cmView(Take::All); // 7 tiles
        window->ThumbnailClick(window->Thumb(3));
        QTest::qWait(10);
        const QRect place = window->ThumbRect(3);
        const std::pair next{window->Thumb(4)->ModuleName(), window->Thumb(4)->IconIndex()};
        window->cmRemoveFromView();
        QCOMPARE(window->ThumbCount(), 6);
        // The tile that took its place, at once, not after the next resize, is selected.
        QCOMPARE(std::pair(window->Thumb(3)->ModuleName(), window->Thumb(3)->IconIndex()), next);
        QCOMPARE(window->ThumbRect(3), place);
        QVERIFY(window->Thumb(3)->Selected());
        QCOMPARE(window->SelectedThumbPosition(), 3);
        QCOMPARE(parts().IconBox->count(), 0);
        QCOMPARE(parts().IconListHeader->Text(), QString("6 图标"));
        QCOMPARE(window->Thumb(3)->Caption(), QString("图标 4")); // captions are not renumbered

        window->ThumbnailClick(window->Thumb(0));
        window->cmRemoveFromView();
        QCOMPARE(window->SelectedThumbPosition(), 0);

        window->ThumbnailClick(window->Thumb(window->ThumbCount() - 1));
        window->cmRemoveFromView(); // the last: the selection moves to the new last tile
        QCOMPARE(window->ThumbCount(), 4);
        QCOMPARE(window->SelectedThumbPosition(), 3);
        QVERIFY(window->Thumb(3)->Selected());
        QCOMPARE(SelectedTiles(), 1);

        while (window->ThumbCount() > 0)
            window->cmRemoveFromView();
        QCOMPARE(window->SelectedThumbPosition(), -1);
        QCOMPARE(parts().IconListHeader->Text(), QString("0 图标"));
        window->cmRemoveFromView(); // nothing selected: nothing happens
    }

    void clickOnATileWhoseFileBrokeNamesTheFileInTheError() {
        window->cmView(Take::All);
        const int c0 = FirstTileOf("c.ico");
        QFile broken(folder.File("c.ico"));
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("not an icon");
        broken.close();
        try {
            window->ThumbnailClick(window->Thumb(c0));
            QFAIL("the click should raise");
        } catch (const std::exception& error) {
            QVERIFY(QString::fromUtf8(error.what()).startsWith(folder.File("c.ico") + ": "));
        }
    }

    // Stored "TileSize" 128: tiles hold the 128-pixel icon; without it, the 60-pixel tiles.
    void tileSizeFollowsTheStoredIconSize() {
        for (const auto& [stored, side] : {std::pair{0, 60}, {128, 156}, {100, 60}}) {
            cleanup();
            ClearStoredSettings();
            if (stored != 0)
                QSettings("Vantrel", "Pictavo")
                    .setValue(QString(SettingsGroup) + "/TileSize", stored);
            window = std::make_unique<Twnd_pictavo_Main>();
            UseFakeDialogs(*window);
            window->resize(1200, 800); // room for two large tiles side by side
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            window->ShellTreeFolderSelected(folder.Path());
            window->cmView(Take::All);
            QCOMPARE(window->ThumbRect(0).size(), QSize(side, side));
            QCOMPARE(window->ThumbRect(1).left(), window->ThumbRect(0).right() + 1 + 4);
            QCOMPARE(parts().ScrollBox->verticalScrollBar()->singleStep(), side + 4);
        }
    }

    // The mouse on the view: a click selects the tile and lists its images, a right press
    // selects it too, a double click is two clicks; the pointer over a tile is its hover.
    void mouseActsOnTheTileUnderIt() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->cmView(Take::All);
        QWidget* view = parts().ScrollBox->viewport();
        const int a0 = FirstTileOf("a.dll");
        const QPoint onA0 = window->ThumbRect(a0).center();
        QTest::mouseClick(view, Qt::LeftButton, {}, onA0);
        QCOMPARE(window->SelectedThumbPosition(), a0);
        QCOMPARE(parts().IconBox->count(), 2);
        const QPoint onTile1 = window->ThumbRect(1).center();
        QTest::mousePress(view, Qt::RightButton, {}, onTile1);
        QCOMPARE(window->SelectedThumbPosition(), 1);
        QCOMPARE(SelectedTiles(), 1);
        // The context menu follows (the platform sends its event after the press).
        QContextMenuEvent menu(QContextMenuEvent::Mouse, onTile1, view->mapToGlobal(onTile1));
        QApplication::sendEvent(view, &menu);
        QTRY_VERIFY(parts().IconListPopup->isVisible());
        parts().IconListPopup->hide();
        QTest::mouseRelease(view, Qt::RightButton, {}, window->ThumbRect(1).center());
        int clicks = 0;
        connect(parts().ScrollBox, &TIconGrid::tileClicked, this, [&] { ++clicks; });
        // A double click arrives as press, release, double click, release.
        QTest::mouseClick(view, Qt::LeftButton, {}, onA0);
        QMouseEvent second(QEvent::MouseButtonDblClick, onA0, view->mapToGlobal(onA0),
                           Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(view, &second);
        QTest::mouseRelease(view, Qt::LeftButton, {}, onA0);
        QCOMPARE(clicks, 2);
        // Between tiles nothing is clicked.
        QTest::mouseClick(view, Qt::LeftButton, {}, window->ThumbRect(0).topRight() + QPoint(2, 0));
        QCOMPARE(clicks, 2);
        QTest::mouseMove(view, window->ThumbRect(2).center());
        QTRY_COMPARE(parts().ScrollBox->HoverTile(), 2);
        // The keys: an arrow moves the focus on, space clicks the tile with the focus.
        QTest::keyClick(parts().ScrollBox, Qt::Key_Right);
        QTest::keyClick(parts().ScrollBox, Qt::Key_Space);
        QCOMPARE(window->SelectedThumbPosition(), a0 + 1);
    }

    // Ctrl and Shift with the mouse or the arrows select several tiles; the clicked one is
    // the current one; dragging or copying a selected tile takes them all, each as its
    // own icon file, a lone tile with its image as before.
    void severalTilesAreSelectedDraggedAndCopied() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->cmView(Take::All);
        QWidget* view = parts().ScrollBox->viewport();
        const auto click = [&](int tile, Qt::KeyboardModifiers keys) {
            QTest::mouseClick(view, Qt::LeftButton, keys, window->ThumbRect(tile).center());
        };
        // Shift with an arrow extends from the anchor to the tile the focus moves to.
        click(2, {});
        parts().ScrollBox->setFocus();
        QTest::keyClick(parts().ScrollBox, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(parts().ScrollBox, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(SelectedTiles(), 3);
        QCOMPARE(window->SelectedThumbPosition(), 4);
        // Ctrl+C in the view copies the selected tiles.
        QTest::keyClick(parts().ScrollBox, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->urls().size(), 3);

        click(1, {});
        click(3, Qt::ControlModifier);
        QCOMPARE(SelectedTiles(), 2);
        QCOMPARE(window->SelectedThumbPosition(), 3);
        click(5, Qt::ShiftModifier); // from the anchor, tile 3
        QCOMPARE(SelectedTiles(), 3);
        QVERIFY(window->Thumb(4).Selected() && !window->Thumb(1).Selected());
        QCOMPARE(window->SelectedThumbPosition(), 5);
        QVERIFY(parts().IconBoxHeader->Text().startsWith("图标 5 - "));
        click(5, Qt::ControlModifier); // taken out again: no tile is current
        QCOMPARE(SelectedTiles(), 2);
        QCOMPARE(window->SelectedThumbPosition(), -1);
        QCOMPARE(parts().IconBox->count(), 0);

        std::unique_ptr<QMimeData> dragged(window->TileDragData(3));
        QVERIFY(dragged);
        QCOMPARE(dragged->urls().size(), 2);
        for (const QUrl& url : dragged->urls())
            QVERIFY(url.toLocalFile().endsWith(".ico") && QFileInfo::exists(url.toLocalFile()));
        QVERIFY(dragged->urls()[0] != dragged->urls()[1]);
        QVERIFY(!dragged->hasImage());
        std::unique_ptr<QMimeData> lone(window->TileDragData(0)); // not selected
        QCOMPARE(lone->urls().size(), 1);
        QVERIFY(lone->hasImage() && lone->hasFormat("image/png"));

        // The tile menu's copy, worded as the Edit menu's.
        QAction* copy = FindPart<QAction>(*window, "pmCopyTiles");
        QCOMPARE(copy->text(), FindPart<QAction>(*window, "mnCopy")->text());
        window->PopupIconList(view->mapToGlobal(window->ThumbRect(3).center()));
        QTRY_VERIFY(parts().IconListPopup->isVisible());
        QVERIFY(copy->isEnabled());
        parts().IconListPopup->hide();
        copy->trigger();
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied != nullptr);
        QCOMPARE(copied->urls().size(), 2);
        QVERIFY(copied->hasImage());
    }

    // Tiles get their icons from the renderer thread, then repaint from the cache.
    void tilesShowTheirIconsOnceRendered() {
        parts().ColorPicker->SetColorValue(0xFFFFFF);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->cmView(Take::All);
        QWidget* view = parts().ScrollBox->viewport();
        view->repaint();
        QTRY_COMPARE(parts().ScrollBox->WaitingIcons(), 0);
        QTRY_COMPARE(int(parts().ScrollBox->Cache().Count()), window->ThumbCount());
        const QImage painted = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < window->ThumbCount(); ++i) {
            const QRect icon = window->ThumbRect(i).adjusted(3, 3, -3, -30);
            int drawn = 0;
            for (int y = icon.top(); y <= icon.bottom(); ++y)
                for (int x = icon.left(); x <= icon.right(); ++x)
                    drawn += painted.pixel(x, y) != qRgb(255, 255, 255);
            QVERIFY2(drawn > 30, qPrintable(QString("tile %1").arg(i)));
        }
    }

private:
    int RowOf(const std::string& name) const {
        const TFileListModel& model = parts().FileList->Model();
        for (int row = 0; row < model.rowCount(); ++row)
            if (ExtractFileName(model.Entry(row).FileName) == name)
                return row;
        return -1;
    }
    int FirstTileOf(const QString& name) const {
        for (int i = 0; i < window->ThumbCount(); ++i)
            if (window->Thumb(i)->ModuleName() == folder.File(name).toStdString())
                return i;
        return -1;
    }
    int SelectedTiles() const {
        int selected = 0;
        for (int i = 0; i < window->ThumbCount(); ++i)
            selected += window->Thumb(i)->Selected() ? 1 : 0;
        return selected;
    }

    IconFolder folder;
    std::unique_ptr<Twnd_pictavo_Main> window;
};
PICTAVO_APP_TEST(IconViewTest)

#include "IconViewTest.moc"
