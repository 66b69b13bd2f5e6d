// The grid of 16 cameras, 640x480 at 25 pictures/s each, in a 1280x960 window. First the open:
// from View as Grid on the folder to the first drawn picture of every tile, measured when that
// paint has been handled; the first round is shown apart and not counted. Then the load: the
// process's share of one core, its resident memory and the pictures drawn, over the given
// seconds with the tiles' scaled decoding on, then as long with it off, in the same run, and
// the ratio of on to off, with every camera recorded as well, and with every camera looked at for
// motion. Between them, the return from a tile's
// camera view to the grid: from Enter to every tile's first picture, with each camera served to one client at
// a time, so that a tile that opened a connection of its own instead of sharing the one that lingered would
// fail. The cameras are camsim processes, so that only the viewer is measured.
//   build/bench/app/grid_bench [seconds [open rounds]]            (default 60 and 10, offscreen)
//   DISPLAY=:93 QT_QPA_PLATFORM=xcb build/bench/app/grid_bench

#include "bench/app/benchsupport.h"

#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/gridview.h"
#include "app/shell/mainframe.h"
#include "app/shell/recordings.h"
#include "app/shell/zelppcapp.h"

#include "collection/collectiontree.h"
#include "control/interface/camimageinterface.h"
#include "platform/ui/controlhost.h"
#include "settings/settingsstore.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using bench::NowMs;

constexpr int kCameras = 16;
const QString kFolder = QStringLiteral("/CameraCollection/Bench grid");

int PicturesShown(const GridTile* tile) {
    int32_t shown = 0;
    tile->Control()->get_PicturesShown(&shown);
    return shown;
}

int64_t AllPicturesShown(GridView& grid) {
    int64_t total = 0;
    for (const GridTile* tile : grid.Tiles())
        total += PicturesShown(tile);
    return total;
}

bool AllDrawn(GridView& grid) {
    if (static_cast<int>(grid.Tiles().size()) != kCameras)
        return false;
    for (const GridTile* tile : grid.Tiles()) {
        if (PicturesShown(tile) == 0)
            return false;
    }
    return true;
}

struct Load {
    double cpuShare = 0;
    double rss = 0;
    double drawnPerSecond = 0;
};

// The viewer as it is for that long: CPU share, resident memory at the end, pictures drawn.
Load Measure(GridView& grid, int seconds) {
    const double start = NowMs();
    const double cpu = bench::CpuSeconds();
    const int64_t drawn = AllPicturesShown(grid);
    std::printf("%6s %10s %12s %16s\n", "s", "RSS MiB", "CPU % (5 s)", "drawn /s (5 s)");
    double lastCpu = cpu, lastWall = start;
    int64_t lastDrawn = drawn;
    for (int t = 5; t <= seconds; t += 5) {
        bench::RunFor(static_cast<int>(start + t * 1000.0 - NowMs()));
        const double now = NowMs(), cpuNow = bench::CpuSeconds();
        const int64_t drawnNow = AllPicturesShown(grid);
        const double wall = (now - lastWall) / 1000.0;
        std::printf("%6d %10.1f %12.1f %16.1f\n", t, bench::ResidentMiB(), 100.0 * (cpuNow - lastCpu) / wall,
                    (drawnNow - lastDrawn) / wall);
        lastCpu = cpuNow;
        lastWall = now;
        lastDrawn = drawnNow;
    }
    const double wall = (NowMs() - start) / 1000.0;
    return {100.0 * (bench::CpuSeconds() - cpu) / wall, bench::ResidentMiB(),
            (AllPicturesShown(grid) - drawn) / wall};
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietConsole();
    bench::Application application(argc, argv);
    std::printf("grid of %d cameras, 640x480 at 25/s each, in a 1280x960 window, platform %s\n", kCameras,
                qPrintable(QGuiApplication::platformName()));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));

    std::vector<std::unique_ptr<bench::CamsimProcess>> cameras;
    for (int i = 0; i < kCameras; ++i) {
        cameras.push_back(std::make_unique<bench::CamsimProcess>(
            QStringList{"--fps", "25", "--size", "640x480", "--max-clients", "1"}));
        if (!cameras.back()->Started()) {
            std::printf("error: camsim %d did not start\n", i + 1);
            return 1;
        }
    }
    bench::Viewer viewer;
    if (!viewer.Start()) {
        std::printf("error: the viewer did not start\n");
        return 1;
    }
    Settings().SetValue(kFolder + "/Type", Data("Folder"));
    Settings().SetValue(kFolder + "/Name", Data("Bench grid"));
    for (int i = 0; i < kCameras; ++i) {
        bench::AddCamera(Settings(),
                         kFolder + QStringLiteral("/Camera %1").arg(i + 1, 2, 10, QLatin1Char('0')),
                         cameras[i]->Port());
    }
    viewer.Tree().Refill();
    MainFrame& frame = viewer.Frame();
    frame.resize(1280, 960);
    GridView& grid = *frame.Grid();

    // ---- the open
    double start = 0, drawn = 0;
    bool measuring = false;
    application.SetAfterEvent([&](QObject*, QEvent* event, int) {
        if (measuring && event->type() == QEvent::Paint && AllDrawn(grid)) {
            drawn = NowMs();
            measuring = false;
        }
    });
    std::vector<double> opens;
    for (int i = 0; i <= rounds; ++i) {
        viewer.Tree().SelectPath(kFolder);
        drawn = 0;
        measuring = true;
        start = NowMs();
        frame.OnCommand(Command::ViewAsGrid);
        if (!bench::RunUntil([&] { return drawn > 0; }, 15000)) {
            std::printf("error: not every tile drew a picture within 15 s in round %d\n", i);
            return 1;
        }
        if (i == 0) {
            std::printf("first open (not counted)                    %.1f ms\n", drawn - start);
        } else {
            opens.push_back(drawn - start);
        }
        if (i == rounds)
            break; // the load is measured on the last grid
        frame.OnCommand(Command::ViewCameras);
        if (!bench::RunUntil([&] { return frame.ActiveView() != &grid && grid.Tiles().empty(); }, 10000)) {
            std::printf("error: the collection view did not come back\n");
            return 1;
        }
        bench::RunFor(200);
    }
    bench::PrintFigure("View as Grid to all 16 first pictures", opens, 44);

    // ---- back from a tile's camera view: the tiles come back on the streams that lingered
    std::vector<double> returns;
    for (int i = 0; i <= rounds; ++i) {
        bench::RunFor(500);
        grid.Select(i % kCameras);
        grid.OpenSelected();
        const int64_t watched = viewer.PicturesDrawn();
        if (!bench::RunUntil(
                [&] {
                    return frame.ActiveView() == &viewer.Camera() && viewer.PicturesDrawn() > watched + 5;
                },
                10000)) {
            std::printf("error: the camera view of tile %d drew no picture\n", i % kCameras + 1);
            return 1;
        }
        drawn = 0;
        measuring = true;
        start = NowMs();
        frame.OnCommand(Command::Action); // Enter: back to the grid
        if (!bench::RunUntil([&] { return drawn > 0; }, 15000)) {
            std::printf("error: not every tile drew a picture within 15 s of coming back in round %d\n", i);
            return 1;
        }
        if (i > 0)
            returns.push_back(drawn - start);
    }
    application.SetAfterEvent(nullptr);
    bench::PrintFigure("back from a camera view to all 16 pictures", returns, 44);

    // ---- the load
    bench::RunFor(5000);
    std::printf("a tile's picture is drawn at %dx%d\n", grid.Tiles()[0]->HostWindow()->width(),
                grid.Tiles()[0]->HostWindow()->height());
    std::printf("scaled decoding on, %d s\n", seconds);
    const Load on = Measure(grid, seconds);
    grid.SetScaledDecoding(false);
    bench::RunFor(5000);
    std::printf("scaled decoding off, %d s\n", seconds);
    const Load off = Measure(grid, seconds);

    // ---- every camera recorded while the grid shows them (scaled decoding on again)
    grid.SetScaledDecoding(true);
    QTemporaryDir recordings;
    Settings().SetValue("/Recording/Folder", Data(recordings.path()));
    for (const GridTile* tile : grid.Tiles())
        ZelPPCApp::Instance()->Recorder()->Toggle(tile->ItemPath());
    bench::RunFor(5000);
    std::printf("every camera recorded, %d s\n", seconds);
    const Load recorded = Measure(grid, seconds);
    for (const GridTile* tile : grid.Tiles())
        ZelPPCApp::Instance()->Recorder()->Toggle(tile->ItemPath());

    // ---- every camera looked at for motion while the grid shows them: the grid opened again on
    // the streams that linger, whose sources then detect
    for (const GridTile* tile : grid.Tiles())
        Settings().SetValue(tile->ItemPath() + QStringLiteral("/MotionDetection"), Data(true));
    frame.OpenGrid(kFolder);
    bench::RunFor(5000);
    std::printf("every camera looked at for motion, %d s\n", seconds);
    const Load detecting = Measure(grid, seconds);

    std::printf("%-32s %12s %12s\n", "", "scaled on", "scaled off");
    std::printf("%-32s %12.1f %12.1f\n", "CPU share of one core, %", on.cpuShare, off.cpuShare);
    std::printf("%-32s %12.1f %12.1f\n", "resident memory at the end, MiB", on.rss, off.rss);
    std::printf("%-32s %12.1f %12.1f\n", "pictures drawn /s, all tiles", on.drawnPerSecond,
                off.drawnPerSecond);
    std::printf("CPU on / off: %.2f\n", off.cpuShare > 0 ? on.cpuShare / off.cpuShare : 0.0);
    std::printf(
        "target: open under 500 ms: %s; back from a camera view under 100 ms: %s; with scaling under 30 "
        "%% of a core: %s, under 150 MiB: %s\n",
        bench::Median(opens) < 500 ? "met" : "MISSED", bench::Median(returns) < 100 ? "met" : "MISSED",
        on.cpuShare < 30 ? "met" : "MISSED", on.rss < 150 ? "met" : "MISSED");
    std::printf(
        "16 cameras recorded while the grid shows them: %.1f %% of a core, %.1f points more than the grid "
        "alone (target under 5: %s)\n",
        recorded.cpuShare, recorded.cpuShare - on.cpuShare,
        recorded.cpuShare - on.cpuShare < 5 ? "met" : "MISSED");
    std::printf("16 cameras looked at for motion while the grid shows them: %.1f %% of a core, %.1f points "
                "more than the grid alone (target under 5: %s)\n",
                detecting.cpuShare, detecting.cpuShare - on.cpuShare,
                detecting.cpuShare - on.cpuShare < 5 ? "met" : "MISSED");
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}
