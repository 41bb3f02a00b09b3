// Cursors in the window: .ani files listed with their frames as tiles, the animation
// playing above the image list, hotspots marked, and "保存为 Linux 光标主题…" writing the
// listed pack into the user's icon folder ($XDG_DATA_HOME/icons here).

#include "AppTest.h"
#include "WindowParts.h"
#include "WindowTestSupport.h"
#include "app/CursorPlayer.h"
#include "app/CursorRules.h"
#include "cursors/CursorTheme.h"

#include <QtTest>

namespace {

const QString Pack = QString(PICTAVO_FIXTURES) + "/cursors/pack";

// The fixture pack copied into a folder (without its install.inf when asked), with the
// user's data folder in a temporary folder.
struct PackWindow {
    explicit PackWindow(bool withInf = true) {
        for (const QString& name : QDir(Pack).entryList(QDir::Files))
            if (withInf || !IsInfFileName(name))
                QFile::copy(Pack + "/" + name, File(name));
        dialogs = UseFakeDialogs(window);
    }
    QString File(const QString& name) const { return folder.filePath(name); }
    QString Theme(const QString& name) const { return home.filePath("icons/" + name); }
    QString Status() const { return Parts(window).sbPanel0->text(); }
    int Row(const QString& name) const {
        const TFileListModel& model = Parts(window).FileList->Model();
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.Entry(row).FileName == File(name).toStdString())
                return row;
        return -1;
    }
    void List() { QVERIFY(window.ShellTreeNavigate(folder.path())); }

    TemporaryDataHome home;
    QTemporaryDir folder;
    Twnd_pictavo_Main window;
    FakeDialogs* dialogs = nullptr;
};

// What the icons folder holds besides the themes: nothing (no work folder left behind).
QStringList IconsFolder(const PackWindow& pack) {
    return QDir(pack.home.filePath("icons"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class CursorCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ClearStoredSettings(); }

    void anAnimatedCursorIsListedWithItsFramesAsTilesAndPlays() {
        PackWindow pack;
        pack.List();
        const WindowParts parts(pack.window);
        const int busy = pack.Row("Busy.ani");
        QVERIFY(busy >= 0);
        QCOMPARE(parts.FileList->Model().Entry(busy).IconCount, 3);
        QCOMPARE(parts.FileList->Model().Entry(pack.Row("Working in Background.ani")).IconCount, 2);

        parts.FileList->ClickRow(busy);
        QCOMPARE(pack.window.ThumbCount(), 3);
        pack.window.ThumbnailClick(pack.window.Thumb(2));
        QVERIFY(pack.window.ShownIcon().IsCursor());
        QCOMPARE(parts.IconBox->count(), 1);
        const auto* player = FindPart<TCursorPlayer>(pack.window, "CursorPlayer");
        QVERIFY(player->Playing());
        QVERIFY(!player->isHidden());
        // Busy.ani plays 100, 200, 50, 1000 and 500 ms: the first step ends within 100 ms,
        // and the steps go on by themselves.
        QCOMPARE(player->CurrentStep(), size_t{0});
        QVERIFY(player->MsToNextStep() > 0 && player->MsToNextStep() <= 100);
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentStep() != 0, 3000);

        // Another icon (a static cursor) stops it.
        parts.FileList->ClickRow(pack.Row("Text Select.cur"));
        QVERIFY(!player->Playing());
        pack.window.ThumbnailClick(pack.window.Thumb(0));
        QVERIFY(!player->Playing());
        QVERIFY(player->isHidden());
    }

    // The hotspot of a cursor image is named in its caption and ringed where it lies:
    // Text Select.cur is 16 x 16 with its hotspot at (7, 8).
    void aCursorImageShowsItsHotspot() {
        PackWindow pack;
        pack.List();
        const WindowParts parts(pack.window);
        parts.FileList->ClickRow(pack.Row("Text Select.cur"));
        pack.window.ThumbnailClick(pack.window.Thumb(0));
        auto* delegate = static_cast<TIconBoxDelegate*>(parts.IconBox->itemDelegate());
        const QImage item = delegate->IconBoxDrawItem(0, QSize(200, 80), false);
        // The ring's right edge: 4 px right of the hotspot pixel's centre.
        const int left = 100 - 8;
        const QColor ring = item.pixelColor(left + 7 + 4, 5 + 8);
        QVERIFY2(ring.red() > 150 && ring.green() < 120 && ring.blue() < 120,
                 qPrintable(ring.name()));
        QCOMPARE(CursorTexts::WithHotspot("[0] 16 x 16 - 32bit", 7, 8),
                 QString("[0] 16 x 16 - 32bit · 热点 7,8"));
    }

    void thePackOfTheListedFolderBecomesACursorThemeUnderTheConfirmedName() {
        PackWindow pack;
        pack.List();
        pack.dialogs->TextAnswer = "My Pack";
        pack.window.cmSaveCursorTheme();
        QCOMPARE(pack.dialogs->TextProposals, QStringList{QFileInfo(pack.folder.path()).fileName()});
        QVERIFY(pack.dialogs->Errors.isEmpty());
        QVERIFY(pack.dialogs->Questions.isEmpty());
        QVERIFY(pictavo::IsCursorThemeFolder(pack.Theme("My Pack").toStdString()));
        for (const char* name : {"default", "left_ptr", "wait", "progress", "text", "pointer"})
            QVERIFY2(QFileInfo::exists(pack.Theme("My Pack/cursors/") + name), name);
        QVERIFY2(pack.Status().contains(pack.Theme("My Pack")), qPrintable(pack.Status()));
        QCOMPARE(IconsFolder(pack), QStringList{"My Pack"});

        // Again: replaced only when the user says so.
        QFile keep(pack.Theme("My Pack/keep"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        pack.window.cmSaveCursorTheme();
        QCOMPARE(pack.dialogs->Questions.size(), 1);
        QVERIFY(keep.exists());
        pack.dialogs->YesAnswer = true;
        pack.window.cmSaveCursorTheme();
        QVERIFY(!keep.exists());
        QVERIFY(QFileInfo::exists(pack.Theme("My Pack/cursors/wait")));
        QCOMPARE(IconsFolder(pack), QStringList{"My Pack"});
    }

    void filesThatMatchNoRoleAreNamedInTheStatusLine() {
        PackWindow pack(false);
        QFile::copy(Pack + "/Unavailable.cur", pack.File("Sparkles.cur"));
        pack.List();
        pack.dialogs->TextAnswer = "Folder Pack";
        pack.window.cmSaveCursorTheme();
        QVERIFY(pack.dialogs->Errors.isEmpty());
        QVERIFY(QFileInfo::exists(pack.Theme("Folder Pack/cursors/not-allowed")));
        QVERIFY2(pack.Status().contains("Sparkles.cur"), qPrintable(pack.Status()));
    }

    // Cancelled, failed, refused or with a name that cannot be a folder: nothing is written
    // and an earlier theme or folder of that name stays as it was.
    void nothingIsHalfWritten() {
        PackWindow pack;
        pack.List();
        pack.dialogs->TextAnswer = "../up";
        pack.window.cmSaveCursorTheme();
        QCOMPARE(pack.dialogs->Errors.size(), 1);

        pack.dialogs->TextAnswer = "Stopped";
        Parts(pack.window).LongWork->OnStart = [](TWorkProgress& progress) {
            progress.OnStep = [seen = 0](TWorkProgress& p) mutable {
                if (++seen > 2)
                    p.Cancel();
            };
        };
        pack.window.cmSaveCursorTheme();
        Parts(pack.window).LongWork->OnStart = nullptr;
        QVERIFY(!QFileInfo::exists(pack.Theme("Stopped")));
        QVERIFY(IconsFolder(pack).isEmpty());

        QDir().mkpath(pack.Theme("Photos"));
        pack.dialogs->TextAnswer = "Photos";
        pack.window.cmSaveCursorTheme();
        QCOMPARE(pack.dialogs->Errors.size(), 2);
        QVERIFY(pack.dialogs->Questions.isEmpty());

        QFile busy(pack.File("Busy.ani"));
        QVERIFY(busy.open(QIODevice::WriteOnly));
        busy.write("RIFF\0\0\0\0ACON", 12);
        busy.close();
        pack.dialogs->TextAnswer = "Broken";
        // As the menu runs it: the error is shown after what did not happen.
        FindPart<QAction>(pack.window, "mnSaveCursorTheme")->trigger();
        QCOMPARE(pack.dialogs->Errors.size(), 3);
        QVERIFY(pack.dialogs->Errors.last().startsWith("未能保存光标主题。"));
        QVERIFY(pack.dialogs->Errors.last().contains("Busy.ani"));
        QCOMPARE(IconsFolder(pack), QStringList{"Photos"});
        QVERIFY(QDir(pack.Theme("Photos")).isEmpty());
    }

    // An .inf opened is the pack while its folder is listed; the command is in the File
    // menu and in the menus of the file list and the folder tree.
    void anOpenedInfIsThePackAndTheMenusOfferTheCommand() {
        QCOMPARE(CursorPackSource("", "/p/install.inf"), QString());
        QCOMPARE(CursorPackSource("/p", "/p/install.inf"), QString("/p/install.inf"));
        QCOMPARE(CursorPackSource("/q", "/p/install.inf"), QString("/q"));
        QCOMPARE(CursorPackSource("/p/", ""), QString("/p/"));

        PackWindow pack;
        QVERIFY(pack.window.OpenPath(pack.File("install.inf")));
        QCOMPARE(pack.window.SelectedCursorPack(), pack.File("install.inf"));
        QVERIFY(pack.Status().contains(pack.File("install.inf")));

        int offered = 0;
        QAction* fromList = FindPart<QAction>(pack.window, "pmSaveCursorTheme");
        pack.window.UpdateCommands();
        for (QAction* action : pack.window.findChildren<QAction*>())
            if (action->text() == fromList->text()) {
                ++offered;
                QVERIFY(action->isEnabled());
            }
        QCOMPARE(offered, 3);
        QVERIFY(Parts(pack.window).FileListPopup->actions().contains(fromList));
        QVERIFY(FindPart<QMenu>(pack.window, "ShellTreePopup")->actions().size() == 1);
        pack.dialogs->TextAnswer = "From Menu";
        fromList->trigger();
        QVERIFY(pictavo::IsCursorThemeFolder(pack.Theme("From Menu").toStdString()));
    }
};
PICTAVO_APP_TEST(CursorCommandsTest)

#include "CursorCommandsTest.moc"
