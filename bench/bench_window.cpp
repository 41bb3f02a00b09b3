// Speed of the window on the offscreen platform.
//
// PaintVisibleTiles repaints the scroll box of a view of 5 000 tiles, about 150 of them
// visible, each re-loading its icon from its file (app32.exe); the counter "rss_mb" is
// the process's resident memory with that view. FolderScanWindow selects a folder of
// 2 000 small PE files in the window (rows added, events processed after each file);
// FolderScanCli runs `pictavo-cli scan` on the same folder. ViewAllFiles is cmView of
// all files of that folder (about 2 000 tiles). The folder is made once under /tmp.

#include "app/FileList.h"
#include "app/IconThumbnail.h"
#include "app/MainWindow.h"
#include "app/WheelScrollBox.h"

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string Fixture = std::string(PICTAVO_FIXTURES) + "/pe/app32.exe";
const std::string ScanFolder = "/tmp/pictavo-bench-window-2000";
constexpr int ScanFiles = 2000;

void EnsureScanFolder() {
    const std::string done = ScanFolder + "/.complete";
    if (std::filesystem::exists(done))
        return;
    std::filesystem::remove_all(ScanFolder);
    std::filesystem::create_directories(ScanFolder);
    for (int i = 0; i < ScanFiles; ++i)
        std::filesystem::copy_file(Fixture, ScanFolder + "/app" + std::to_string(i) + ".exe");
    std::ofstream(done) << "done\n";
}

double ResidentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

void PaintVisibleTiles(benchmark::State& state) {
    Twnd_pictavo_Main window;
    window.resize(1280, 900);
    window.show();
    for (int i = 0; i < 5000; ++i)
        window.AddThumbnail(window.FlowPanel, Fixture, i, 0, false);
    // 15 columns of 64 pixels by 10 rows: 150 tiles in sight.
    window.ScrollBox->setFixedSize(
        15 * 64 + window.ScrollBox->verticalScrollBar()->sizeHint().width(), 10 * 64);
    window.ScrollBoxResize();
    QApplication::processEvents();
    int visible = 0;
    const QRect sight = window.ScrollBox->viewport()->rect();
    for (int i = 0; i < window.ThumbCount(); ++i) {
        TIconThumbnail* tile = window.Thumb(i);
        const QRect place(tile->mapTo(window.ScrollBox->viewport(), QPoint(0, 0)), tile->size());
        visible += sight.intersects(place) ? 1 : 0;
    }
    for (auto _ : state) {
        QPixmap painted = window.ScrollBox->viewport()->grab();
        benchmark::DoNotOptimize(painted);
    }
    state.counters["visible_tiles"] = visible;
    state.counters["rss_mb"] = ResidentMegabytes();
}
BENCHMARK(PaintVisibleTiles)->Unit(benchmark::kMillisecond);

void FolderScanWindow(benchmark::State& state) {
    EnsureScanFolder();
    Twnd_pictavo_Main window;
    window.show();
    for (auto _ : state)
        window.ShellTreeFolderSelected(QString::fromStdString(ScanFolder));
    state.counters["rows"] = window.FileList->Model().rowCount();
}
BENCHMARK(FolderScanWindow)->Unit(benchmark::kMillisecond);

void FolderScanCli(benchmark::State& state) {
    EnsureScanFolder();
    const std::string command =
        std::string(PICTAVO_CLI) + " scan " + ScanFolder + " >/dev/null 2>&1";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(FolderScanCli)->Unit(benchmark::kMillisecond);

void ViewAllFiles(benchmark::State& state) {
    EnsureScanFolder();
    Twnd_pictavo_Main window;
    window.show();
    window.ShellTreeFolderSelected(QString::fromStdString(ScanFolder));
    for (auto _ : state)
        window.cmView(window.All2);
    state.counters["tiles"] = window.ThumbCount();
}
BENCHMARK(ViewAllFiles)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The window's settings of a benchmark run stay in a folder of their own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
