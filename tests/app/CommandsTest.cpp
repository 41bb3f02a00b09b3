// The menu bar's commands: which apply in each situation, shortcuts that reach their
// handlers, files dropped on the window, and the PNG that copy and "save as PNG" give.

#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/Panels.h"
#include "app/Settings.h"
#include "app/WindowRules.h"
#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "icons/PngCodec.h"
#include "library/PrivateTempFolder.h"
#include "util/Stream.h"
#include "util/TempFileCleanup.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTreeView>
#include <QUrl>
#include <QtTest>

using CommandList = QList<int>;
Q_DECLARE_METATYPE(WindowState)

namespace {

std::string Path(const QString& path) {
    return path.toStdString();
}

CommandList Applying(const WindowState& state) {
    CommandList applying;
    for (int c = 0; c <= static_cast<int>(Command::SaveToIconTheme); ++c)
        if (CommandApplies(static_cast<Command>(c), state))
            applying.append(c);
    return applying;
}

CommandList Of(std::initializer_list<Command> commands) {
    CommandList list;
    for (Command c : commands)
        list.append(static_cast<int>(c));
    std::sort(list.begin(), list.end());
    return list;
}

// The pixels of a PNG file, decoded by the core.
std::vector<uint8_t> PngPixels(const QByteArray& png) {
    pictavo::TPngImage image;
    image.LoadFromBytes(reinterpret_cast<const uint8_t*>(png.data()), png.size());
    return image.Pixels();
}

// The window showing icons32.dll's icon 0 (16 x 16 4-bit, 32 x 32 32-bit), image 1 chosen.
struct ShownImage {
    ShownImage() {
        dialogs = UseFakeDialogs(window);
        // Shown first, as a person sees it: showing the window selects the tree's folder.
        window.show();
        shownActive = QTest::qWaitForWindowActive(&window);
        const WindowParts parts(window);
        parts.FileList->Model().AddEntry({Path(folder.File("a.dll")), 3, 45000.0, 1000});
        window.FileListChange(0);
        window.ThumbnailClick(window.Thumb(0));
        for (int i = 0; i < parts.IconBox->count(); ++i)
            if (IconBoxImageIndex(parts.IconBox->item(i)->text()) == 1)
                parts.IconBox->setCurrentRow(i);
    }
    std::vector<uint8_t> ExpectedPixels() const {
        pictavo::TMultiIcon icon;
        icon.LoadFromModule(Path(folder.File("a.dll")), 0);
        return pictavo::IconImageToRgba(icon.GetIconData(1)).Pixels;
    }
    IconFolder folder;
    Twnd_pictavo_Main window;
    FakeDialogs* dialogs = nullptr;
    bool shownActive = false;
};

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void commandsApplyWhenTheyHaveSomethingToActOn_data() {
        QTest::addColumn<WindowState>("state");
        QTest::addColumn<CommandList>("applying");
        WindowState empty;
        QTest::newRow("empty window") << empty << CommandList{};
        WindowState rows{3, 0, 0, 0, false, false, false, true};
        QTest::newRow("listed rows, a folder chosen")
            << rows << Of({Command::AddAllToView, Command::SaveAllRowsToLibrary, Command::Refresh});
        WindowState selectedRow{3, 1, 2, 0, false, false, false, true};
        QTest::newRow("a row selected shows tiles")
            << selectedRow
            << Of({Command::AddAllToView, Command::SaveAllRowsToLibrary, Command::Refresh,
                   Command::AddSelectedToView, Command::SaveSelectedRowsToLibrary,
                   Command::SaveAllTilesToLibrary, Command::SaveAllIcons, Command::SelectAllTiles});
        WindowState tile{0, 0, 2, 1, true, false, false, false};
        QTest::newRow("a tile selected")
            << tile
            << Of({Command::SaveAllTilesToLibrary, Command::SaveAllIcons, Command::SelectAllTiles,
                   Command::SaveSelectedTilesToLibrary, Command::SaveSelectedIcons,
                   Command::RemoveFromView, Command::Copy, Command::SaveToIconTheme});
        WindowState tilesNoneCurrent{0, 0, 3, 2, false, false, false, false};
        QTest::newRow("tiles selected, the clicked one taken out again")
            << tilesNoneCurrent
            << Of({Command::SaveAllTilesToLibrary, Command::SaveAllIcons, Command::SelectAllTiles,
                   Command::SaveSelectedTilesToLibrary, Command::SaveSelectedIcons,
                   Command::Copy});
        WindowState libraryImage{0, 0, 1, 1, true, true, true, false};
        QTest::newRow("an image of a library's tile")
            << libraryImage
            << Of({Command::SaveAllTilesToLibrary, Command::SaveAllIcons, Command::SelectAllTiles,
                   Command::SaveSelectedTilesToLibrary, Command::SaveSelectedIcons,
                   Command::RemoveFromView, Command::RemoveFromLibrary, Command::SaveImageAsIcon,
                   Command::SaveImageAsBitmap, Command::SaveImageAsPng, Command::Copy,
                   Command::SaveToIconTheme});
    }
    void commandsApplyWhenTheyHaveSomethingToActOn() {
        QFETCH(WindowState, state);
        QFETCH(CommandList, applying);
        QCOMPARE(Applying(state), applying);
    }

    // The window tells the rules what it holds, and the actions follow at once.
    void actionsFollowTheWindow() {
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        QVERIFY(!Parts(window).mnSaveAsPng->isEnabled());
        QVERIFY(!Parts(window).mnAddAllToView->isEnabled());
        QVERIFY(Parts(window).mnOpenFile->isEnabled());
        ShownImage shown;
        const WindowParts parts(shown.window);
        QTRY_VERIFY(parts.mnSaveAsPng->isEnabled());
        QVERIFY(parts.mnCopy->isEnabled());
        QVERIFY(parts.mnAddAllToView->isEnabled());
        parts.IconBox->clearSelection();
        QTRY_VERIFY(!parts.mnSaveAsPng->isEnabled());
        QVERIFY(parts.mnCopy->isEnabled()); // the tile is still selected
    }

    void saveAsPngWritesTheImageWithItsAlpha() {
        ShownImage shown;
        QTemporaryDir target;
        shown.dialogs->SaveAnswer = target.filePath("picked");
        Parts(shown.window).pmSaveToPng->trigger();
        QVERIFY(shown.dialogs->Errors.isEmpty());
        QCOMPARE(shown.dialogs->SaveProposals.size(), 1);
        QVERIFY(shown.dialogs->SaveProposals[0].endsWith(".png"));
        QFile written(target.filePath("picked.png"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(PngPixels(written.readAll()), shown.ExpectedPixels());
    }

    void copyPutsThePngOnTheClipboard() {
        ShownImage shown;
        const WindowParts parts(shown.window);
        QVERIFY(shown.shownActive);
        // As after a click on the image: the list has the focus, and its own copy (of the
        // item's caption) must not take the key.
        parts.IconBox->setFocus();
        QTest::keyClick(parts.IconBox, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data != nullptr && data->hasFormat("image/png"));
        QCOMPARE(PngPixels(data->data("image/png")), shown.ExpectedPixels());
        QVERIFY(data->hasImage());

        // Without a chosen image, the tile's largest image.
        parts.IconBox->clearSelection();
        shown.window.cmCopy();
        const QImage image =
            qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
        QCOMPARE(image.size(), QSize(32, 32));
    }

    // The drag of an image gives its PNG file, written where the drop can copy it.
    void dragDataNamesAWrittenPngFile() {
        ShownImage shown;
        std::unique_ptr<QMimeData> data(shown.window.DragImageData());
        QVERIFY(data);
        QCOMPARE(data->urls().size(), 1);
        QFile file(data->urls()[0].toLocalFile());
        QVERIFY(file.fileName().endsWith(".png"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(PngPixels(file.readAll()), shown.ExpectedPixels());
    }

    // Shift+F10 opens the focused list's menu, as the right button does; Tab leads from
    // the tree into the left panel first.
    void keyboardReachesTheMenusAndPanels() {
        ShownImage shown;
        const WindowParts parts(shown.window);
        parts.FileList->setFocus();
        QTest::keyClick(parts.FileList, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(parts.FileListPopup->isVisible());
        parts.FileListPopup->close();
        parts.IconBox->setFocus();
        QTest::keyClick(parts.IconBox, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(parts.IconBoxPopup->isVisible());
        parts.IconBoxPopup->close();

        parts.ShellTree->setFocus();
        QTest::keyClick(parts.ShellTree, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), parts.cbxClearView);
    }

    // A tile dragged out gives its whole icon as an .ico file, and its largest image.
    void tileDragGivesTheIconFileAndItsImage() {
        ShownImage shown;
        std::unique_ptr<QMimeData> data(shown.window.TileDragData(1));
        QVERIFY(data);
        QCOMPARE(data->urls().size(), 1);
        const QString path = data->urls()[0].toLocalFile();
        QVERIFY(path.endsWith(".ico"));
        pictavo::TMultiIcon dropped, source;
        dropped.LoadFromFile(Path(path));
        source.LoadFromModule(Path(shown.folder.File("a.dll")), 1);
        QCOMPARE(dropped.IconCount(), source.IconCount());
        QVERIFY(data->hasFormat("image/png"));
        // A SIGTERM's clean-up takes the dragged file and its folder with it.
        pictavo::RemoveRegisteredTempFiles();
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!QFileInfo::exists(QFileInfo(path).path()));
    }

    // Enter on the tile with the keyboard focus shows its images, as a click does.
    void enterShowsTheFocusedTilesImages() {
        ShownImage shown;
        TIconGrid* view = Parts(shown.window).ScrollBox;
        view->setFocus();
        view->FocusTile(1);
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(Parts(shown.window).IconBoxHeader->Text().startsWith("图标 1 - "));
    }

    void ctrlOOpensTheChosenFile() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        dialogs->OpenAnswer = folder.File("b.dll");
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(window.ThumbCount(), 2);
        QCOMPARE(window.ShellTreeSelectedFolder(), folder.Path());
        QCOMPARE(Parts(window).FileList->SelectedRows().size(), size_t{1});
        // Kept with the window's settings, for File › Open recent.
        const QSettings settings("Vantrel", "Pictavo");
        QCOMPARE(settings.value(QString(SettingsGroup) + "/RecentPaths").toStringList(),
                 QStringList{folder.File("b.dll")});
    }

    // A tile dragged out of this window is a temporary copy: opened, it is not kept among
    // the recent paths, where it would be gone after this run.
    void temporaryCopiesStayOutOfTheRecentList() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        UseFakeDialogs(window);
        pictavo::TPrivateTempFolder temp;
        const QString copy = QString::fromStdString(temp.File("c.ico"));
        QVERIFY(QFile::copy(folder.File("c.ico"), copy));
        QVERIFY(window.OpenPath(folder.File("b.dll")));
        QVERIFY(window.OpenPath(copy));
        const QSettings settings("Vantrel", "Pictavo");
        QCOMPARE(settings.value(QString(SettingsGroup) + "/RecentPaths").toStringList(),
                 QStringList{folder.File("b.dll")});
    }

    void droppedFolderIsListedAndDroppedFilesShown() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto drop = [&](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&window, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&window, &event);
        };
        drop({QUrl::fromLocalFile(folder.Path())});
        QTRY_COMPARE(Parts(window).FileList->Model().rowCount(), 4); // every file that holds icons
        QCOMPARE(window.ShellTreeSelectedFolder(), folder.Path());

        drop({QUrl::fromLocalFile(folder.File("notes.txt")),
              QUrl::fromLocalFile(folder.File("c.ico")),
              QUrl::fromLocalFile(folder.File("a.dll"))});
        QCOMPARE(Parts(window).FileList->Model().rowCount(), 2);
        QCOMPARE(window.ThumbCount(), 1); // c.ico, the first that holds icons
        QVERIFY(dialogs->Errors.isEmpty());
        // A file without icons is not listed: the status line says why.
        QCOMPARE(Parts(window).sbPanel0->text(), QString("notes.txt: 文件中没有图标"));

        // One such file alone: its folder opens, and the status line says the same.
        QTemporaryDir elsewhere;
        QVERIFY(window.ShellTreeNavigate(elsewhere.path()));
        drop({QUrl::fromLocalFile(folder.File("notes.txt"))});
        QTRY_COMPARE(Parts(window).FileList->Model().rowCount(), 4);
        QTest::qWait(50); // the scan's own status comes first
        QCOMPARE(Parts(window).sbPanel0->text(), QString("notes.txt: 文件中没有图标"));
        QVERIFY(dialogs->Errors.isEmpty());
    }
};
PICTAVO_APP_TEST(CommandsTest)
#include "CommandsTest.moc"
