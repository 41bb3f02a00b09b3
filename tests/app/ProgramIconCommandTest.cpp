// "Put this icon into a program…" from the tile menu: the program chosen in the open
// dialog gets the tile's icon after a confirmation; the status line names the backup.

#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "icons/ModuleIcons.h"
#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "util/Stream.h"

#include <QtTest>

namespace {

// The icon as an .ico stream, read back once more, so that an icon of a module and the
// same icon stored in a program compare alike whatever their group entries said.
std::vector<uint8_t> IconBytes(const QString& fileName, int index) {
    pictavo::TMultiIcon icon;
    pictavo::LoadFileIcon(icon, fileName.toStdString(), index);
    pictavo::MemoryStream first;
    icon.SaveAsIconToStream(&first);
    first.SetPosition(0);
    pictavo::TMultiIcon again;
    again.LoadFromStream(&first);
    pictavo::MemoryStream out;
    again.SaveAsIconToStream(&out);
    return out.TakeBytes();
}

} // namespace

class ProgramIconCommandTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void theTilesIconGoesIntoTheChosenProgramAfterAConfirmation() {
        IconFolder folder;
        folder.Copy("program/prog64s.exe", "game.exe");
        const QString program = folder.File("game.exe");
        const std::vector<uint8_t> original = pictavo::ReadFileBytes(program.toStdString());
        Twnd_pictavo_Main window;
        FakeDialogs* dialogs = UseFakeDialogs(window);
        Parts(window).FileList->Model().AddEntry(
            {folder.File("a.dll").toStdString(), 3, 45000.0, 1000});
        window.FileListChange(0);
        window.ThumbnailClick(window.Thumb(2));
        QVERIFY(window.findChild<QAction*>("pmPutIntoProgram") != nullptr);

        // Cancelled in the open dialog, then answered No: nothing changes.
        window.cmPutIconIntoProgram();
        dialogs->OpenAnswer = program;
        window.cmPutIconIntoProgram();
        QCOMPARE(dialogs->Questions.size(), 1);
        QVERIFY(dialogs->Questions[0].contains(folder.File("game.~exe")));
        QCOMPARE(pictavo::ReadFileBytes(program.toStdString()), original);

        dialogs->YesAnswer = true;
        window.cmPutIconIntoProgram();
        QCOMPARE(IconBytes(program, 0), IconBytes(folder.File("a.dll"), 2));
        QCOMPARE(pictavo::ReadFileBytes(folder.File("game.~exe").toStdString()), original);
        QVERIFY(Parts(window).sbPanel0->text().contains(folder.File("game.~exe")));
        QVERIFY(dialogs->Errors.isEmpty());

        // A file that is no program: the box says so before the reason; nothing changes.
        const QString notProgram = folder.File("c.ico");
        const std::vector<uint8_t> icon = pictavo::ReadFileBytes(notProgram.toStdString());
        dialogs->OpenAnswer = notProgram;
        window.cmPutIconIntoProgram();
        QCOMPARE(dialogs->Errors.size(), 1);
        QVERIFY2(dialogs->Errors[0].startsWith("未能把图标放入程序。"), qPrintable(dialogs->Errors[0]));
        QCOMPARE(pictavo::ReadFileBytes(notProgram.toStdString()), icon);
        QVERIFY(!QFileInfo::exists(folder.File("c.~ico")));
    }
};
PICTAVO_APP_TEST(ProgramIconCommandTest)

#include "ProgramIconCommandTest.moc"
