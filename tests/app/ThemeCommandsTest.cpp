// "保存到图标主题…" driven through the window: the selected tile's icon goes into the
// user's icon theme ($XDG_DATA_HOME/icons here) under the confirmed name.

#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/FileList.h"
#include "app/IconGrid.h"
#include "library/IconTheme.h"

#include <QMenu>
#include <QtTest>

namespace {

// The window showing icons32.dll (as "My Game.dll") with the tile of `iconIndex` clicked,
// and the user's data folder in a temporary folder.
struct ShownGame {
    explicit ShownGame(int iconIndex) {
        folder.Copy("pe/icons32.dll", "My Game.dll");
        dialogs = UseFakeDialogs(window);
        Parts(window).FileList->Model().AddEntry(
            {folder.File("My Game.dll").toStdString(), 3, 45000.0, 1000});
        window.FileListChange(0);
        window.ThumbnailClick(window.Thumb(iconIndex));
    }
    QString Png(int size, const QString& name) const {
        return home.filePath(QString("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(name));
    }
    QString Status() const { return Parts(window).sbPanel0->text(); }

    TemporaryDataHome home;
    IconFolder folder;
    Twnd_pictavo_Main window;
    FakeDialogs* dialogs = nullptr;
};

} // namespace

class ThemeCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void selectedTileGoesIntoTheUsersThemeUnderTheConfirmedName() {
        ShownGame shown(2); // big.ico: 32 pixels and a 256-pixel PNG
        shown.dialogs->TextAnswer = "my-game";
        shown.window.cmSaveToIconTheme();
        QCOMPARE(shown.dialogs->TextProposals, QStringList{"my-game"});
        for (int size : pictavo::HicolorSizes())
            QVERIFY2(QFile::exists(shown.Png(size, "my-game")), qPrintable(shown.Png(size, "")));
        QVERIFY(shown.Status().contains("my-game"));
        QVERIFY(shown.Status().contains(shown.home.filePath("icons/hicolor")));
        QVERIFY(shown.dialogs->Errors.isEmpty());
        QVERIFY(shown.dialogs->Questions.isEmpty());
    }

    void anExistingIconOfTheNameIsReplacedOnlyWhenTheUserSaysSo() {
        ShownGame shown(0); // app.ico: up to 32 pixels
        shown.dialogs->TextAnswer = "other";
        shown.window.cmSaveToIconTheme();
        const QByteArray before = [&] {
            QFile file(shown.Png(32, "other"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        QVERIFY(!before.isEmpty());

        shown.window.ThumbnailClick(shown.window.Thumb(2));
        shown.dialogs->YesAnswer = false;
        shown.window.cmSaveToIconTheme();
        QCOMPARE(shown.dialogs->Questions.size(), 1);
        QVERIFY(!QFile::exists(shown.Png(256, "other")));

        shown.dialogs->YesAnswer = true;
        shown.window.cmSaveToIconTheme();
        QVERIFY(QFile::exists(shown.Png(256, "other")));
    }

    void cancelOrAnInvalidNameWritesNothing() {
        ShownGame shown(2);
        shown.window.cmSaveToIconTheme(); // no answer: cancelled
        shown.dialogs->TextAnswer = "../up";
        shown.window.cmSaveToIconTheme();
        QCOMPARE(shown.dialogs->Errors.size(), 1);
        QVERIFY(!QDir(shown.home.filePath("icons")).exists());
    }

    void tileMenuAndFileMenuOfferTheCommand() {
        ShownGame shown(1);
        shown.dialogs->TextAnswer = "from-menu";
        QAction* item = FindPart<QAction>(shown.window, "pmSaveToIconTheme");
        QVERIFY(Parts(shown.window).IconListPopup->actions().contains(item));
        item->trigger();
        QVERIFY(QFile::exists(shown.Png(16, "from-menu")));
        int inMenuBar = 0;
        for (QAction* action : shown.window.findChildren<QAction*>())
            inMenuBar += action != item && action->text() == item->text();
        QCOMPARE(inMenuBar, 1);
    }
};
PICTAVO_APP_TEST(ThemeCommandsTest)

#include "ThemeCommandsTest.moc"
