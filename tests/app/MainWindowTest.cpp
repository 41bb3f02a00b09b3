// The main window's start-up, settings, context menus and background colour.
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
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QMenuBar>
#include <QToolBar>
#include <QDir>
#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void firstRunHasTheDesignTimeDefaults() {
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("Pictavo"));
        // The panels have their old 771 x 653; the menu bar and the toolbar come on top.
        const int bars = window.menuBar()->height() + window.findChild<QToolBar*>("ToolBar")->height();
        QCOMPARE(window.size(), QSize(771, 653 + bars));
        QCOMPARE(parts.cbMask->currentText(), QString("*.*"));
        QCOMPARE(parts.cbMask->count(), 10);
        // Animated cursors are among the file types offered.
        QVERIFY(parts.cbMask->findText("*.ani") >= 0);
        QVERIFY(parts.cbMask->findText("*.cur;*.ani") >= 0);
        QVERIFY(parts.cbxSub->isChecked());
        QVERIFY(parts.cbxIgnore->isChecked());
        QVERIFY(parts.cbxClear->isChecked());
        QVERIFY(!parts.cbxViewAll->isChecked());
        QVERIFY(parts.cbxClearView->isChecked());
        QVERIFY(!parts.cbx32->isChecked());
        QCOMPARE(parts.ColorPicker->ColorValue(), pictavo::TColor(0xF0F0F0));
        QVERIFY(!parts.bSearch->isEnabled());
        QCOMPARE(parts.bSearch->text(), QString("开始"));
        QCOMPARE(parts.LeftPanel->width(), 219);
        QVERIFY(parts.lVer->text().startsWith("汉化版: 4.2.0.0"));
        QCOMPARE(parts.lTitle->text(), QString("Pictavo icon browser and extractor"));
        QCOMPARE(window.SelectedThumbPosition(), -1);
        // One wheel notch scrolls one row of 60-pixel tiles with their 2-pixel margins.
        QCOMPARE(parts.ScrollBox->verticalScrollBar()->singleStep(), 64);
        // The tree opens at the user's home folder, expanded; the list is sorted by name.
        QCOMPARE(window.ShellTreeSelectedFolder(), QDir::homePath());
        QVERIFY(parts.ShellTree->isExpanded(parts.ShellTree->currentIndex()));
        QCOMPARE(parts.FileList->Model().SortColumn(), 0);
    }

    void maskBoxKeepsWhatWasTyped() {
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        parts.cbMask->setFocus();
        parts.cbMask->lineEdit()->clear();
        QTest::keyClicks(parts.cbMask->lineEdit(), "*.ico;");
        QCOMPARE(parts.cbMask->currentText(), QString("*.ico;"));
        QCOMPARE(parts.cbMask->count(), 10); // the history is still there
    }

    void booleanWordsAreRead_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("value"); // 1 true, 0 false, -1 none
        for (const char* word : {"TRUE", "YES", "Y", "true", "y"})
            QTest::newRow(word) << word << 1;
        for (const char* word : {"FALSE", "NO", "N", "no"})
            QTest::newRow(word) << word << 0;
        for (const char* word : {"", "1", "maybe"})
            QTest::newRow(word) << word << -1;
    }
    void booleanWordsAreRead() {
        QFETCH(QString, word);
        QFETCH(int, value);
        const std::optional<bool> read = ReadBooleanWord(word);
        QCOMPARE(read ? int(*read) : -1, value);
    }

    void settingsAreSavedOnCloseAndRestoredWhenShown() {
        IconFolder folder;
        {
            Twnd_pictavo_Main window;
            const WindowParts parts(window);
            UseFakeDialogs(window);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            parts.cbMask->setCurrentText("*.dll");
            parts.cbx32->setChecked(true);
            parts.cbxSub->setChecked(false);
            parts.cbxViewAll->setChecked(true);
            parts.epSearch->SetExpanded(false);
            parts.ColorPicker->SetColorValue(0x0000FF);
            parts.cbTileSize->setCurrentIndex(parts.cbTileSize->findData(128));
            parts.de->SetText(folder.Path());
            QVERIFY(window.ShellTreeNavigate(folder.Path()));
            window.close();
        }
        QSettings stored("Vantrel", "Pictavo");
        stored.beginGroup(SettingsGroup);
        QCOMPARE(stored.value("cbx32.Checked").toString(), QString("TRUE"));
        QCOMPARE(stored.value("cbxSub.Checked").toString(), QString("FALSE"));
        QCOMPARE(stored.value("ShellTree.StartInFolder").toString(), folder.Path());
        QCOMPARE(stored.value("TileSize").toInt(), 128);
        // Sixteen properties, the placement and the tiles' icon size.
        QCOMPARE(stored.childKeys().size(), 18);

        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(parts.cbMask->currentText(), QString("*.dll"));
        QVERIFY(parts.cbx32->isChecked());
        QVERIFY(!parts.cbxSub->isChecked());
        QVERIFY(parts.cbxViewAll->isChecked());
        QVERIFY(!parts.epSearch->Expanded());
        QVERIFY(parts.epDisplay->Expanded());
        QCOMPARE(parts.ColorPicker->ColorValue(), pictavo::TColor(0x0000FF));
        QCOMPARE(window.TileIconSize(), 128);
        QCOMPARE(parts.de->Text(), folder.Path());
        QVERIFY(parts.bSearch->isEnabled());
        // The tree opens at the stored folder, which scans it.
        QCOMPARE(window.ShellTreeSelectedFolder(), folder.Path());
        QCOMPARE(parts.FileList->Model().rowCount(), 4);
    }

    void unknownWordsKeepTheDefaults() {
        {
            QSettings stored("Vantrel", "Pictavo");
            stored.beginGroup(SettingsGroup);
            stored.setValue("cbxSub.Checked", "N");
            stored.setValue("cbxClear.Checked", "perhaps");
        }
        Twnd_pictavo_Main window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!Parts(window).cbxSub->isChecked());
        QVERIFY(Parts(window).cbxClear->isChecked());
    }

    void contextMenusOpenOnlyWithSomethingToActOn() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        QVERIFY(!window.FileListPopupOpens());
        QVERIFY(!window.IconListPopupOpens());
        QVERIFY(!window.IconBoxPopupOpens());
        window.ShellTreeFolderSelected(folder.Path());
        QVERIFY(window.FileListPopupOpens());
        QVERIFY(!window.IconListPopupOpens());
        window.cmView(Take::All);
        QVERIFY(window.IconListPopupOpens());
        window.ThumbnailClick(window.Thumb(0));
        QVERIFY(!window.IconBoxPopupOpens());
        Parts(window).IconBox->setCurrentRow(0);
        QVERIFY(window.IconBoxPopupOpens());
    }

    // Tabbing into the tree or the file list shows where the keys go: a frame in the
    // highlight colour round it, gone when the focus leaves.
    void treeAndFileListShowTheKeyboardFocus() {
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const WindowParts parts(window);
        const auto edgeIsHighlight = [](QWidget* view) {
            const QImage shot = view->grab().toImage();
            const QColor highlight = view->palette().color(QPalette::Highlight);
            int framed = 0;
            for (const QPoint& at : {QPoint(1, shot.height() / 2), QPoint(shot.width() - 2, 30),
                                     QPoint(shot.width() / 2, 1),
                                     QPoint(shot.width() / 2, shot.height() - 2)}) {
                const QColor pixel = shot.pixelColor(at * shot.devicePixelRatio());
                framed += std::abs(pixel.red() - highlight.red()) +
                                  std::abs(pixel.green() - highlight.green()) +
                                  std::abs(pixel.blue() - highlight.blue()) <
                              60;
            }
            return framed == 4;
        };
        for (QWidget* view : {static_cast<QWidget*>(parts.ShellTree),
                              static_cast<QWidget*>(parts.FileList)}) {
            parts.cbMask->setFocus();
            QTRY_VERIFY(parts.cbMask->hasFocus());
            QVERIFY(!edgeIsHighlight(view));
            view->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(view->hasFocus());
            QVERIFY2(edgeIsHighlight(view), view->objectName().toUtf8());
        }
    }

    // A 256-px image and its caption show whole in the image list of a window of the
    // first start's size: the list's panel widens into the icon view.
    void imageListShowsA256PixelImageWhole() {
        IconFolder folder;
        folder.Copy("icons/large256.ico", "large.ico");
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.ShellTreeFolderSelected(folder.Path());
        window.cmView(Take::All);
        int large = -1;
        for (int i = 0; i < window.ThumbCount(); ++i)
            if (window.Thumb(i)->ModuleName().ends_with("large.ico"))
                large = i;
        window.ThumbnailClick(window.Thumb(large));
        const TIconBox* box = Parts(window).IconBox;
        QVERIFY(box->count() > 0);
        const QString caption = IconBoxCaption(0, 256, 256, 1);
        QTRY_VERIFY2(box->viewport()->width() >= 256 + 8 &&
                         box->viewport()->width() >=
                             box->fontMetrics().horizontalAdvance(caption) + 8,
                     qPrintable(QString::number(box->viewport()->width())));
        // The icon view keeps a column of tiles.
        QVERIFY(Parts(window).ScrollBox->viewport()->width() >= Parts(window).ScrollBox->TileSide());
    }

    // Once "从图标库中删除..." was shown after the menu was sized, outside its window.
    void tileMenuHoldsEveryVisibleItemInsideItself() {
        IconFolder folder;
        folder.Copy("pe/icons32.dll", "a.dll");
        folder.Copy("library/two.dll", "b.icl");
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        UseFakeDialogs(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.ShellTreeFolderSelected(folder.Path());
        window.cmView(Take::All);
        int dll = -1, library = -1;
        for (int i = 0; i < window.ThumbCount(); ++i)
            (window.Thumb(i)->ModuleName().ends_with("b.icl") ? library : dll) = i;
        QVERIFY(dll >= 0 && library >= 0);
        for (int tile : {dll, library, dll}) {
            window.ThumbnailClick(window.Thumb(tile));
            window.PopupIconList(window.mapToGlobal(QPoint(300, 300)));
            QTRY_VERIFY(parts.IconListPopup->isVisible());
            QCOMPARE(parts.pmRemoveFromICL->isVisible(), tile == library);
            for (QAction* action : parts.IconListPopup->actions())
                // A separator the menu collapsed has no place at all.
                if (action->isVisible() && !(action->isSeparator() &&
                                             parts.IconListPopup->actionGeometry(action).isEmpty()))
                    QVERIFY2(
                        parts.IconListPopup->rect().contains(
                            parts.IconListPopup->actionGeometry(action)),
                        qPrintable(QString("%1 tile %2: %3 outside %4x%5")
                                       .arg(action->text())
                                       .arg(tile)
                                       .arg(parts.IconListPopup->actionGeometry(action).bottom())
                                       .arg(parts.IconListPopup->width())
                                       .arg(parts.IconListPopup->height())));
            parts.IconListPopup->hide();
        }
    }

    void menuPairsCarryTags() {
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        for (QAction* all : {parts.All1, parts.All2, parts.All3, parts.All4})
            QCOMPARE(all->property("Tag").toInt(), 1);
        for (QAction* selected :
             {parts.Selected1, parts.Selected2, parts.Selected3, parts.Selected4})
            QCOMPARE(selected->property("Tag").toInt(), 0);
    }

    void colourChangeRepaintsEveryTileAndLaterTilesTakeIt() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        window.ShellTreeFolderSelected(folder.Path());
        window.cmView(Take::All);
        Parts(window).ColorPicker->SetColorValue(0x00FFFF);
        for (int i = 0; i < window.ThumbCount(); ++i)
            QCOMPARE(window.Thumb(i)->Color(), pictavo::TColor(0x00FFFF));
        QCOMPARE(Parts(window).IconBox->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0x00));
        window.AddThumbnail(folder.File("c.ico").toStdString(), 99, 0, false);
        QCOMPARE(window.Thumb(window.ThumbCount() - 1)->Color(), pictavo::TColor(0x00FFFF));
    }

    void customColourComesFromTheColourDialog() {
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        FakeDialogs* dialogs = UseFakeDialogs(window);
        dialogs->ColorAnswer = 0x123456;
        parts.ColorPicker->activated(parts.ColorPicker->count() - 1);
        QCOMPARE(parts.ColorPicker->ColorValue(), pictavo::TColor(0x123456));
        dialogs->ColorAnswer.reset(); // cancelled: the colour stays
        parts.ColorPicker->activated(parts.ColorPicker->count() - 1);
        QCOMPARE(parts.ColorPicker->ColorValue(), pictavo::TColor(0x123456));
    }

    void confirmDlgAsksThroughTheWindowsDialogs() {
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        dialogs->YesAnswer = true;
        QVERIFY(ConfirmDlg(window.Dialogs(), "sure?"));
        dialogs->YesAnswer = false;
        QVERIFY(!ConfirmDlg(window.Dialogs(), "again?", "Pictavo"));
        QCOMPARE(dialogs->Questions, (QStringList{"Confirmation: sure?", "Pictavo: again?"}));
    }
};
PICTAVO_APP_TEST(MainWindowTest)

#include "MainWindowTest.moc"
