// The export and library commands of the window, driven through the window with the
// dialogs answered by the test. Every written .ico is read back with the icon
// container and every library with the module code.

#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/IconGrid.h"
#include "app/Panels.h"
#include "app/WindowTexts.h"
#include "icons/ModuleIcons.h"
#include "icons/MultiIcon.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

std::string Path(const QString& path) {
    return path.toStdString();
}

// A window showing the icons of one file, the tile of `iconIndex` clicked.
struct ShownFile {
    ShownFile(const QString& fileName, int iconCount, int iconIndex) {
        dialogs = UseFakeDialogs(window);
        Parts(window).FileList->Model().AddEntry({Path(fileName), iconCount, 45000.0, 1000});
        window.FileListChange(0);
        window.ThumbnailClick(window.Thumb(iconIndex));
    }
    TIconBox& Box() { return *Parts(window).IconBox; }
    void SelectImage(int imageIndex) {
        for (int i = 0; i < Box().count(); ++i)
            if (IconBoxImageIndex(Box().item(i)->text()) == imageIndex)
                Box().setCurrentRow(i);
    }

    Twnd_pictavo_Main window;
    FakeDialogs* dialogs = nullptr;
};

QByteArray FileBytes(const QString& fileName) {
    QFile file(fileName);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

int ModuleIcons(const QString& fileName) {
    return pictavo::GetModuleIconCount(Path(fileName));
}

} // namespace

class ExportCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void saveIconWritesSelectedOrAllTilesAndOverwrites() {
        IconFolder folder;
        folder.Copy("pe/icons32.dll", "my.app.dll");
        ShownFile shown(folder.File("my.app.dll"), 3, 2);
        QTemporaryDir target;
        shown.dialogs->FolderAnswer = target.path();

        shown.window.cmSaveIcon(Take::Selected);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{"my.app_2.ico"});
        shown.window.cmSaveIcon(Take::All); // my.app_2.ico again, silently replaced
        QCOMPARE(QDir(target.path()).entryList(QDir::Files),
                 (QStringList{"my.app_0.ico", "my.app_1.ico", "my.app_2.ico"}));
        for (int i = 0; i < 3; ++i) {
            pictavo::TMultiIcon written, source;
            written.LoadFromFile(Path(target.filePath(QString("my.app_%1.ico").arg(i))));
            source.LoadFromModule(Path(folder.File("my.app.dll")), i);
            QCOMPARE(written.IconCount(), source.IconCount());
        }
        QVERIFY(shown.dialogs->Errors.isEmpty());
        // The status line says what was written; the next browser opens where it went.
        QCOMPARE(Parts(shown.window).sbPanel0->text(),
                 QString("3 个图标已保存到 %1").arg(target.path()));
        QCOMPARE(shown.dialogs->FolderStarts, (QStringList{QString(), target.path()}));
    }

    void saveIconIntoAFolderThatCannotBeWrittenReportsIt() {
        IconFolder folder;
        ShownFile shown(folder.File("c.ico"), 1, 0);
        shown.dialogs->FolderAnswer = "/nonexistent-folder";
        QObject all;
        all.setProperty("Tag", 1);
        QVERIFY_THROWS_EXCEPTION(std::exception, shown.window.cmSaveIcon(Take::All));
    }

    void singleImageAsIcoWithTheProposedName() {
        IconFolder folder;
        folder.Copy("pe/icons32.dll", "my.app.dll");
        ShownFile shown(folder.File("my.app.dll"), 3, 1);
        QVERIFY(shown.Box().count() > 0);
        const int image = IconBoxImageIndex(shown.Box().item(0)->text());
        shown.SelectImage(image);
        QTemporaryDir target;
        shown.dialogs->SaveAnswer = target.filePath("chosen.ico");
        shown.window.cmSavetoIcon();
        // The first dialog opens beside the source file, the next one where the user saved.
        QCOMPARE(shown.dialogs->SaveProposals,
                 QStringList{folder.File(QString("my.app_1_%1.ico").arg(image))});
        shown.window.cmSavetoIcon();
        QCOMPARE(shown.dialogs->SaveProposals.last(),
                 target.filePath(QString("my.app_1_%1.ico").arg(image)));
        QCOMPARE(Parts(shown.window).sbPanel0->text(),
                 QString("已保存到 %1").arg(target.filePath("chosen.ico")));
        // So does it after a restart.
        ShownFile later(folder.File("my.app.dll"), 3, 1);
        later.SelectImage(image);
        later.dialogs->SaveAnswer = target.filePath("chosen.ico");
        later.window.cmSavetoIcon();
        QCOMPARE(later.dialogs->SaveProposals,
                 QStringList{target.filePath(QString("my.app_1_%1.ico").arg(image))});
        pictavo::TMultiIcon written;
        written.LoadFromFile(Path(target.filePath("chosen.ico")));
        QCOMPARE(written.IconCount(), 1);
        QCOMPARE(written.GetIconWidth(0), shown.window.ShownIcon().GetIconWidth(image));
    }

    // Once written as big_0_0.png beside the chosen name, in silence.
    void pngImageIsWrittenAsTheChosenIco() {
        IconFolder folder;
        folder.Copy("icons/png256.ico", "big.ico");
        ShownFile shown(folder.File("big.ico"), 1, 0);
        shown.SelectImage(0);
        QVERIFY(shown.window.ShownIcon().GetIconData(0).IsPng);
        QTemporaryDir target;
        shown.dialogs->SaveAnswer = target.filePath("big_0_0.ico");
        shown.window.cmSavetoIcon();
        QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{"big_0_0.ico"});
        pictavo::TMultiIcon written;
        written.LoadFromFile(Path(target.filePath("big_0_0.ico")));
        QCOMPARE(written.IconCount(), 1);
        QVERIFY(written.GetIconData(0).IsPng);
    }

    void bitmapOnTheChosenColourWithAnExtraRow() {
        IconFolder folder;
        folder.Copy("pe/icons32.dll", "my.app.dll");
        ShownFile shown(folder.File("my.app.dll"), 3, 0);
        int image = -1;
        for (int i = 0; i < shown.window.ShownIcon().IconCount(); ++i)
            if (shown.window.ShownIcon().GetIconWidth(i) == 32 &&
                shown.window.ShownIcon().GetIconHeight(i) == 32)
                image = i;
        QVERIFY(image >= 0);
        shown.SelectImage(image);
        QTemporaryDir target;
        shown.dialogs->SaveAnswer = target.filePath("out.bmp");
        shown.dialogs->BackgroundAnswer = pictavo::RGB(0x12, 0x34, 0x56);
        shown.window.cmSaveToBMP();
        QCOMPARE(shown.dialogs->BackgroundOffered,
                 std::optional<pictavo::TColor>(pictavo::clWhite));
        QCOMPARE(shown.dialogs->SaveProposals,
                 QStringList{folder.File(QString("my.app_0_%1.bmp").arg(image))});
        const std::vector<uint8_t> bytes = pictavo::ReadFileBytes(Path(target.filePath("out.bmp")));
        QCOMPARE(pictavo::LoadI32(bytes.data() + 18), 32);
        QCOMPARE(pictavo::LoadI32(bytes.data() + 22), 33);
        QCOMPARE(pictavo::LoadU16(bytes.data() + 28), 32);
        for (int x = 0; x < 32; ++x) // the bottom row comes first: blue, green, red, alpha
            QCOMPARE(pictavo::LoadU32(bytes.data() + 54 + 4 * x), 0xFF123456u);
    }

    void cancellingTheColourDialogWritesNothing() {
        IconFolder folder;
        ShownFile shown(folder.File("c.ico"), 1, 0);
        shown.SelectImage(0);
        QTemporaryDir target;
        shown.dialogs->SaveAnswer = target.filePath("out.bmp");
        shown.dialogs->BackgroundAnswer.reset();
        shown.window.cmSaveToBMP();
        QVERIFY(shown.dialogs->BackgroundOffered.has_value());
        QVERIFY(shown.dialogs->SaveProposals.isEmpty()); // no save dialog either
        QVERIFY(QDir(target.path()).entryList(QDir::Files).isEmpty());
    }

    void libraryFromTheListSelectedOrAll() {
        IconFolder folder;
        Twnd_pictavo_Main window;
        const WindowParts parts(window);
        FakeDialogs* dialogs = UseFakeDialogs(window);
        parts.FileList->Model().AddEntry({Path(folder.File("a.dll")), 3, 45000.0, 1});
        parts.FileList->Model().AddEntry({Path(folder.File("c.ico")), 1, 45000.0, 1});
        parts.FileList->Model().AddEntry({Path(folder.File("b.dll")), 2, 45000.0, 1});
        parts.FileList->selectionModel()->select(parts.FileList->model()->index(1, 0),
                                                 QItemSelectionModel::Select |
                                                     QItemSelectionModel::Rows);
        QTemporaryDir target;
        dialogs->SaveAnswer = target.filePath("lib.icl");

        window.cmICLFromList(Take::Selected);
        QCOMPARE(ModuleIcons(dialogs->SaveAnswer), 1);
        QVERIFY(dialogs->Questions.isEmpty()); // a new library: nothing to ask

        // No: the existing library is updated.
        dialogs->YesAnswer = false;
        window.cmICLFromList(Take::All);
        QCOMPARE(dialogs->Questions.size(), 1);
        QVERIFY(dialogs->Questions[0].contains("是否覆盖现有的文件？"));
        QCOMPARE(ModuleIcons(dialogs->SaveAnswer), 1 + 6);
        QVERIFY(QFileInfo::exists(target.filePath("lib.~icl")));

        // Yes: rebuilt from the template; the previous library stays as the backup.
        dialogs->YesAnswer = true;
        window.cmICLFromList(Take::All);
        QCOMPARE(ModuleIcons(dialogs->SaveAnswer), 6);
        QCOMPARE(ModuleIcons(target.filePath("lib.~icl")), 7);
        pictavo::TMultiIcon fromLibrary, fromFile;
        fromLibrary.LoadFromModule(Path(dialogs->SaveAnswer), 3);
        fromFile.LoadFromFile(Path(folder.File("c.ico")));
        QCOMPARE(fromLibrary.IconCount(), fromFile.IconCount());

        // Cancel (also Escape or closing the box): neither the library nor its backup
        // changes.
        const QByteArray library = FileBytes(dialogs->SaveAnswer);
        const QByteArray backup = FileBytes(target.filePath("lib.~icl"));
        dialogs->CancelAnswer = true;
        window.cmICLFromList(Take::All);
        QCOMPARE(dialogs->Questions.size(), 3);
        QCOMPARE(FileBytes(dialogs->SaveAnswer), library);
        QCOMPARE(FileBytes(target.filePath("lib.~icl")), backup);
    }

    // The real box: Escape and closing it are Cancel, never No.
    void overwriteQuestionCancelsOnEscapeAndClose() {
        QWidget parent;
        QtDialogs dialogs(&parent);
        const auto answerWhenShown = [&](const std::function<void(QWidget*)>& act) {
            QTimer::singleShot(0, [&] {
                QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
                act(QApplication::activeModalWidget());
            });
            return dialogs.YesNoCancel("question", "Confirmation");
        };
        QCOMPARE(answerWhenShown([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); }),
                 TAnswer::Cancel);
        QCOMPARE(answerWhenShown([](QWidget* box) { box->close(); }), TAnswer::Cancel);
        QCOMPARE(answerWhenShown([](QWidget* box) {
                     qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
                 }),
                 TAnswer::Yes);
    }

    void libraryFromTheViewAndRemovingAnIconFromIt() {
        IconFolder folder;
        ShownFile shown(folder.File("a.dll"), 3, 1);
        QTemporaryDir target;
        shown.dialogs->SaveAnswer = target.filePath("view.icl");
        shown.window.cmICLFromView(Take::Selected);
        QCOMPARE(ModuleIcons(shown.dialogs->SaveAnswer), 1);
        shown.dialogs->YesAnswer = false;
        shown.window.cmICLFromView(Take::All);
        QVERIFY(
            shown.dialogs->Questions.last().contains("Do you want to overwrite existing file?"));
        QCOMPARE(ModuleIcons(shown.dialogs->SaveAnswer), 4);

        // Removal is offered for tiles of .icl files only, after a question.
        QVERIFY(!shown.window.RemoveFromICLOffered());
        TFileListModel& rows = Parts(shown.window).FileList->Model();
        rows.AddEntry({Path(shown.dialogs->SaveAnswer), 4, 45000.0, 1});
        shown.window.FileListChange(1);
        QCOMPARE(shown.window.ThumbCount(), 4);
        shown.window.ThumbnailClick(shown.window.Thumb(1));
        QVERIFY(shown.window.RemoveFromICLOffered());
        shown.dialogs->YesAnswer = false;
        shown.window.cmRemoveFromICL();
        QCOMPARE(ModuleIcons(shown.dialogs->SaveAnswer), 4);
        QCOMPARE(shown.window.ThumbCount(), 4);
        shown.dialogs->YesAnswer = true;
        shown.window.cmRemoveFromICL();
        QCOMPARE(ModuleIcons(shown.dialogs->SaveAnswer), 3);
        QCOMPARE(shown.window.ThumbCount(), 3);
        // The library's row counts what is left, with the file's new size.
        const pictavo::TFileEntry& row = rows.Entry(1);
        QCOMPARE(row.FileName, Path(shown.dialogs->SaveAnswer));
        QCOMPARE(row.IconCount, 3);
        QCOMPARE(row.Size, static_cast<int64_t>(QFileInfo(shown.dialogs->SaveAnswer).size()));
        // The tiles after the removed icon now name the icons that moved up, by their
        // numbers too, and the header and the status line count what is left.
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(shown.window.Thumb(i)->IconIndex(), i);
            QCOMPARE(shown.window.Thumb(i)->Caption(), QString("图标 %1").arg(i));
        }
        QCOMPARE(shown.window.SelectedThumbPosition(), 1);
        QCOMPARE(Parts(shown.window).IconListHeader->Text(), QString("view.icl - 3 图标"));
        QVERIFY(Parts(shown.window).sbPanel0->text().contains(WindowTexts::StatusTotals(2, 3 + 3)));

        // In a view of several files the tiles keep their places and follow the icons.
        shown.window.cmView(Take::All);
        shown.window.ThumbnailClick(shown.window.Thumb(3 + 0));
        shown.window.cmRemoveFromICL();
        QCOMPARE(shown.window.ThumbCount(), 3 + 2);
        QCOMPARE(shown.window.Thumb(3 + 0)->IconIndex(), 0);
        QCOMPARE(shown.window.Thumb(3 + 1)->IconIndex(), 1);
        QCOMPARE(Parts(shown.window).IconListHeader->Text(), QString("5 图标"));
    }
};
PICTAVO_APP_TEST(ExportCommandsTest)

#include "ExportCommandsTest.moc"
