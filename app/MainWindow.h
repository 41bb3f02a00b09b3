// Twnd_pictavo_Main: the program's one window.
#pragma once

#include <QMainWindow>

class Twnd_pictavo_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Twnd_pictavo_Main(QWidget* parent = nullptr);
    ~Twnd_pictavo_Main() override;
};
