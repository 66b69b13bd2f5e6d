// The viewer showing one camera of 640x480 at 25 pictures/s: the process's share of one core
// and its resident memory, at 5 s and at the end, with a sample every 5 s between. The camera
// is a camsim process of its own, so that only the viewer is measured; the viewer runs in this
// process, as the user leaves it: the camera opened from the collection, fit to the window. The
// clock starts with the first drawn picture. Growth of at most 0.5 MiB (allocator pages) counts
// as none; the samples show the trend.
//   build-bench/bench/app/viewer_load_bench [seconds]                 (default 60, offscreen)
//   DISPLAY=:93 QT_QPA_PLATFORM=xcb build-bench/bench/app/viewer_load_bench [seconds]

#include "bench/app/benchsupport.h"

#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/mainframe.h"

#include "collection/collectiontree.h"
#include "control/interface/camimageinterface.h"
#include "platform/com/comptr.h"
#include "settings/settingsstore.h"

#include <cstdio>
#include <cstdlib>

namespace {

using bench::NowMs;

struct Counters {
    int64_t read = 0, drawn = 0, bytes = 0;
};

Counters Statistics(CameraView& view) {
    Counters counters;
    if (const auto statistics =
            ComPtr<ICamImageStatistics>::QueryFrom(view.Control(), IID_ICamImageStatistics))
        statistics->GetStatistics(&counters.read, &counters.drawn, &counters.bytes);
    return counters;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(6, std::atoi(argv[1])) : 60;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietConsole();
    bench::Application application(argc, argv);
    std::printf("viewer showing a 640x480 25/s camera for %d s, platform %s\n", seconds,
                qPrintable(QGuiApplication::platformName()));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));

    bench::CamsimProcess camera({"--fps", "25", "--size", "640x480"});
    if (!camera.Started()) {
        std::printf("error: camsim did not start\n");
        return 1;
    }
    bench::Viewer viewer;
    if (!viewer.Start()) {
        std::printf("error: the viewer did not start\n");
        return 1;
    }
    const QString path = QStringLiteral("/CameraCollection/Bench camera");
    bench::AddCamera(Settings(), path, camera.Port());
    viewer.Tree().Refill();
    viewer.Tree().SelectPath(path);
    viewer.Frame().OnCommand(Command::Open);
    CameraView& view = viewer.Camera();
    if (!bench::RunUntil([&] { return Statistics(view).drawn > 0; }, 10000)) {
        std::printf("error: no picture drawn within 10 s\n");
        return 1;
    }

    const double start = NowMs();
    const double cpuStart = bench::CpuSeconds();
    const Counters countersStart = Statistics(view);
    std::printf("resident memory at the first picture        %.1f MiB\n", bench::ResidentMiB());
    std::printf("%6s %10s %12s %14s %14s\n", "s", "RSS MiB", "CPU % (5 s)", "read /s (5 s)",
                "drawn /s (5 s)");
    double cpuAt5 = 0, wallAt5 = 0, rssAt5 = 0;
    double lastCpu = cpuStart, lastWall = start;
    Counters last = countersStart;
    for (int t = 5; t <= seconds; t += 5) {
        bench::RunFor(static_cast<int>(start + t * 1000.0 - NowMs()));
        const double now = NowMs(), cpu = bench::CpuSeconds(), rss = bench::ResidentMiB();
        const Counters counters = Statistics(view);
        const double wall = (now - lastWall) / 1000.0;
        std::printf("%6d %10.1f %12.1f %14.1f %14.1f\n", t, rss, 100.0 * (cpu - lastCpu) / wall,
                    (counters.read - last.read) / wall, (counters.drawn - last.drawn) / wall);
        if (t == 5) {
            cpuAt5 = cpu;
            wallAt5 = now;
            rssAt5 = rss;
        }
        lastCpu = cpu;
        lastWall = now;
        last = counters;
    }
    const double end = NowMs(), cpuEnd = bench::CpuSeconds(), rssEnd = bench::ResidentMiB();
    const Counters countersEnd = Statistics(view);
    const double share = 100.0 * (cpuEnd - cpuAt5) / ((end - wallAt5) / 1000.0);
    const double shareAll = 100.0 * (cpuEnd - cpuStart) / ((end - start) / 1000.0);
    std::printf("pictures read %lld, drawn %lld in %.1f s; still connected: %s\n",
                static_cast<long long>(countersEnd.read - countersStart.read),
                static_cast<long long>(countersEnd.drawn - countersStart.drawn), (end - start) / 1000.0,
                view.IsConnected() ? "yes" : "no");
    std::printf("CPU share of one core, 5 s to end           %.1f %%  (0 s to end: %.1f %%)\n", share,
                shareAll);
    std::printf("resident memory at 5 s                      %.1f MiB\n", rssAt5);
    std::printf("resident memory at %d s                     %.1f MiB  (%+.1f MiB)\n", seconds, rssEnd,
                rssEnd - rssAt5);
    std::printf("target: CPU under 12 %% of a core: %s; no growth after 5 s: %s\n",
                share < 12 ? "met" : "MISSED", rssEnd - rssAt5 <= 0.5 ? "met" : "MISSED");
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}
