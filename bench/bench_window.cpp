// Speed of the window on the offscreen platform.
//
// PaintVisibleTiles repaints the icon view of 5 000 tiles, about 150 of them visible,
// their icons (app32.exe) rendered into the tile cache; the counter "rss_mb" is the
// process's resident memory with that view.
//
// The view of 110 000 icons: 600 DLLs of 184 icon groups each (16, 32 and 48 pixels as
// 32-bit bitmaps, 256 pixels as PNG; hard links of one file, made once under /tmp).
// AddView110k times "添加到查看" › "所有" over them (target: 3 s); ScrollView110k scrolls
// that view one row per step and repaints the screenful, the window's events (the icons
// the renderer thread delivers) processed in between (target: 16 ms a step), over the
// first 2 000 rows and back, then reports the resident memory (target: 400 MB). FolderScanWindow
// selects a folder of 2 000 small PE files in the window (rows added, events processed after each
// file); FolderScanCli runs `pictavo-cli scan` on the same folder. ViewAllFiles is cmView of all
// files of that folder (about 2 000 tiles). The folder is made once under /tmp.

#include "app/FileList.h"
#include "app/IconGrid.h"
#include "app/MainWindow.h"
#include "bench/BenchIconImages.h"
#include "bench/BenchPeImage.h"
#include "util/Stream.h"

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
const std::string LargeFolder = "/tmp/pictavo-bench-window-600x184";
constexpr int LargeFiles = 600;
constexpr int LargeIcons = 184;

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

void EnsureLargeFolder() {
    const std::string done = LargeFolder + "/.complete";
    if (std::filesystem::exists(done))
        return;
    std::filesystem::remove_all(LargeFolder);
    std::filesystem::create_directories(LargeFolder);
    const std::string first = LargeFolder + "/icons0.dll";
    pictavo::WriteFileBytes(
        first, pictavo::bench::DataAndResourcesDll(
                   pictavo::bench::IconGroupsWithPng(LargeIcons, {16, 32, 48}), 0x1000, 0));
    for (int i = 1; i < LargeFiles; ++i)
        std::filesystem::create_hard_link(first,
                                          LargeFolder + "/icons" + std::to_string(i) + ".dll");
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

// The window's icon view and file list, by the names they carry.
TIconGrid* IconView(const Twnd_pictavo_Main& window) {
    return window.findChild<TIconGrid*>("ScrollBox");
}

TFileList* FileRows(const Twnd_pictavo_Main& window) {
    return window.findChild<TFileList*>("FileList");
}

// Lets the renderer thread fill the cache with the icons in sight.
void WaitForIcons(Twnd_pictavo_Main& window) {
    IconView(window)->viewport()->repaint();
    while (IconView(window)->WaitingIcons() > 0)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
}

void PaintVisibleTiles(benchmark::State& state) {
    Twnd_pictavo_Main window;
    window.resize(1280, 900);
    window.show();
    for (int i = 0; i < 5000; ++i)
        window.AddThumbnail(Fixture, i, 0, false);
    // 15 columns of 64 pixels by 10 rows: 150 tiles in sight.
    IconView(window)->setFixedSize(
        15 * 64 + IconView(window)->verticalScrollBar()->sizeHint().width(), 10 * 64);
    window.ScrollBoxResize();
    QApplication::processEvents();
    WaitForIcons(window);
    int visible = 0;
    const QRect sight = IconView(window)->viewport()->rect();
    for (int i = 0; i < window.ThumbCount(); ++i)
        visible += sight.intersects(window.ThumbRect(i)) ? 1 : 0;
    for (auto _ : state) {
        QPixmap painted = IconView(window)->viewport()->grab();
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
    state.counters["rows"] = FileRows(window)->Model().rowCount();
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
        window.cmView(Take::All);
    state.counters["tiles"] = window.ThumbCount();
}
BENCHMARK(ViewAllFiles)->Unit(benchmark::kMillisecond);

// The window with the 600 files listed (not timed).
std::unique_ptr<Twnd_pictavo_Main> LargeWindow() {
    EnsureLargeFolder();
    auto window = std::make_unique<Twnd_pictavo_Main>();
    window->resize(1280, 900);
    window->show();
    window->ShellTreeFolderSelected(QString::fromStdString(LargeFolder));
    QApplication::processEvents();
    return window;
}

void AddView110k(benchmark::State& state) {
    auto window = LargeWindow();
    for (auto _ : state) {
        window->cmView(Take::All);
        QApplication::processEvents(); // the first screenful painted
    }
    state.counters["tiles"] = window->ThumbCount();
    state.counters["rss_mb"] = ResidentMegabytes();
}
BENCHMARK(AddView110k)->Unit(benchmark::kMillisecond)->Iterations(3);

void ScrollView110k(benchmark::State& state) {
    auto window = LargeWindow();
    window->cmView(Take::All);
    IconView(*window)->setFixedSize(
        15 * 64 + IconView(*window)->verticalScrollBar()->sizeHint().width(), 10 * 64);
    window->ScrollBoxResize();
    WaitForIcons(*window);
    QScrollBar* bar = IconView(*window)->verticalScrollBar();
    const int step = bar->singleStep();
    const int rows = 2000;
    int row = 0, direction = 1;
    for (auto _ : state) {
        row += direction;
        if (row == rows || row == 0)
            direction = -direction;
        bar->setValue(row * step);
        QApplication::processEvents();
        QPixmap painted = IconView(*window)->viewport()->grab();
        benchmark::DoNotOptimize(painted);
    }
    state.counters["tiles"] = window->ThumbCount();
    state.counters["cached_icons"] = static_cast<double>(IconView(*window)->Cache().Count());
    state.counters["cache_mb"] =
        static_cast<double>(IconView(*window)->Cache().Cost()) / (1024.0 * 1024.0);
    state.counters["rss_mb"] = ResidentMegabytes();
}
BENCHMARK(ScrollView110k)->Unit(benchmark::kMillisecond)->Iterations(4000);

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
