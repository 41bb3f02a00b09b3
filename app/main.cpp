// Program entry: the application object, then the main window, then the message loop.
#include "app/MainWindow.h"
#include "app/ProgramIcon.h"
#include "util/TempFileCleanup.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    useVncWhenThereIsNoDisplay();
    // An export or library write cut short by SIGINT/SIGTERM leaves no temporary file.
    pictavo::InstallTempFileCleanupOnSignals();
    QApplication app(argc, argv);
    app.setWindowIcon(ProgramIcon());
    Twnd_pictavo_Main window;
    // A file or folder to open, as file managers pass it (the desktop entry's %f).
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.SetStartPath(arguments.at(1));
    window.show();
    return app.exec();
}
