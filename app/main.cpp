// Program entry: the application object, then the main window, then the message loop.
#include "app/MainWindow.h"
#include "app/ProgramIcon.h"
#include "util/Messages.h"
#include "util/TempFileCleanup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display the window still has to be seen: it then runs on Qt's VNC
// platform, and the person is told how to connect to it.
void useVncWhenThereIsNoDisplay() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    const char* port = "5900";
    qputenv("QT_QPA_PLATFORM", QByteArray("vnc:size=1280x900:port=") + port);
    std::fprintf(stderr,
                 "pictavo: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "pictavo: the window runs on a VNC server instead: connect a VNC viewer to\n"
                 "pictavo: this machine's port %s (for example: vncviewer localhost:%s).\n",
                 port, port);
}

// The window's texts follow the language the core's messages chose: the Chinese source
// texts with Qt's own Chinese dialogs and buttons, or the English translation.
void installTranslations(QApplication& app) {
    pictavo::InitMessages();
    auto* translator = new QTranslator(&app);
    const std::string name = pictavo::MessageLanguage(
        std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    const QLocale language(QString::fromStdString(name.substr(0, name.find_first_of(".@"))));
    const bool loaded =
        pictavo::MessagesAreChinese()
            ? translator->load(language, "qtbase", "_",
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath))
            : translator->load(":/i18n/pictavo_en.qm");
    if (loaded)
        QApplication::installTranslator(translator);
}

} // namespace

int main(int argc, char** argv) {
    useVncWhenThereIsNoDisplay();
    // An export or library write cut short by SIGINT/SIGTERM leaves no temporary file.
    pictavo::InstallTempFileCleanupOnSignals();
    QApplication app(argc, argv);
    // After QApplication, which sets the locale from the environment.
    installTranslations(app);
    app.setWindowIcon(ProgramIcon());
    Twnd_pictavo_Main window;
    // A file or folder to open, as file managers pass it (the desktop entry's %f).
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.SetStartPath(arguments.at(1));
    window.show();
    return app.exec();
}
