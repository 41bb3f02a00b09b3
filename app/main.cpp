// Program entry: the application object, then the main window, then the message loop.
#include "app/MainWindow.h"
#include "app/ProgramIcon.h"
#include "app/QtTypeNames.h"
#include "peres/VersionInfo.h"
#include "util/Messages.h"
#include "platform/TempPath.h"
#include "util/TempFileCleanup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* Help =
    "Usage: pictavo [FILE | FOLDER]\n"
    "Finds, shows and extracts the icons inside Windows files (EXE, DLL, ICL, ICO, CUR)\n"
    "and collects them into icon libraries. FOLDER is listed as the folder tree lists it;\n"
    "for FILE its folder is listed and the file's row selected.\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "pictavo-cli does the same work on the command line.\n";

// --help and --version answer without a window, with or without a display.
bool AnsweredWithoutWindow(int argc, char** argv, int& status) {
    if (argc != 2)
        return false;
    const std::string option = argv[1];
    if (option == "--help") {
        std::fputs(Help, stdout);
    } else if (option == "--version") {
        std::printf("pictavo %s\n", pictavo::AppVersionInfo.VersionText.c_str());
    } else {
        return false;
    }
    status = std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    return true;
}

// Without a display the window is not served on the network (a VNC server of Qt's would
// listen on every interface, without a password, and hand out the user's files): the
// person is told how to start it, and `make run` serves it on the loopback interface.
bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void SayThereIsNoDisplay() {
    std::fputs("pictavo: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
               "pictavo: start it from a desktop session, or run scripts/run-window, which\n"
               "pictavo: serves the window over VNC on 127.0.0.1:5900 only, with a one-time\n"
               "pictavo: password it prints; from another machine reach it through an SSH tunnel:\n"
               "pictavo:   ssh -L 5900:127.0.0.1:5900 THIS-MACHINE, then vncviewer localhost:5900\n",
               stderr);
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
    if (loaded && pictavo::MessagesAreChinese())
        QApplication::installTranslator(new TQtTypeNames(*translator, &app));
}

} // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (AnsweredWithoutWindow(argc, argv, status))
        return status;
    if (!HasDisplay()) {
        SayThereIsNoDisplay();
        return 1;
    }
    // An export or library write cut short by SIGINT/SIGTERM leaves no temporary file.
    pictavo::InstallTempFileCleanupOnSignals();
    const std::string tempProblem = pictavo::platform::TempPathProblem();
    if (!tempProblem.empty())
        std::fprintf(stderr, "pictavo: %s\n", tempProblem.c_str());
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
