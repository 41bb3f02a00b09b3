#include "app/MainWindow.h"

Twnd_pictavo_Main::Twnd_pictavo_Main(QWidget* parent) : QMainWindow(parent) {
    setObjectName("wnd_pictavo_Main");
    setWindowTitle("Pictavo");
    resize(771, 653);
}

Twnd_pictavo_Main::~Twnd_pictavo_Main() = default;
