// From the Open command on a camera of the collection to its first drawn picture: the stream
// control has converted a picture of the new stream and drawn it (its picturesDrawn counter has
// moved), measured when that paint has been handled. The camera is a camsim process on
// loopback, 640x480 at 25 pictures/s. Each round opens the camera from the collection view and
// goes back to the collection afterwards; the first round is shown apart and not counted. The
// phases: the connection started (ConnectCamera), the stream started (the control's window
// shown), the first picture drawn.
//   build-bench/bench/app/open_bench [rounds [camsim options]]     (camsim default: --fps 25)

#include "bench/app/benchsupport.h"

#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/mainframe.h"

#include "collection/collectiontree.h"
#include "platform/ui/controlhost.h"
#include "settings/settingsstore.h"

#include <cstdio>
#include <cstdlib>

namespace {

using bench::NowMs;

struct Round {
    double start = 0, connected = 0, shown = 0, drawn = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietConsole();
    bench::Application application(argc, argv);
    std::printf("Open to the first drawn picture, %d rounds, platform %s\n", rounds,
                qPrintable(QGuiApplication::platformName()));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));

    QStringList camsimOptions{"--fps", "25"};
    for (int i = 2; i < argc; ++i)
        camsimOptions.append(QString::fromLocal8Bit(argv[i]));
    bench::CamsimProcess camera(camsimOptions);
    if (!camera.Started()) {
        std::printf("error: camsim did not start\n");
        return 1;
    }
    std::printf("camsim %s (the last option given wins)\n", qPrintable(camsimOptions.join(' ')));
    bench::Viewer viewer;
    if (!viewer.Start()) {
        std::printf("error: the viewer did not start\n");
        return 1;
    }
    const QString path = QStringLiteral("/CameraCollection/Bench camera");
    bench::AddCamera(Settings(), path, camera.Port());
    viewer.Tree().Refill();

    Round round;
    int64_t drawnBefore = 0;
    bool measuring = false;
    application.SetAfterEvent([&](QObject*, QEvent* event, int) {
        if (!measuring)
            return;
        CameraView& view = viewer.Camera();
        if (!round.connected && view.IsConnected())
            round.connected = NowMs();
        if (!round.shown && view.HostWindow()->isVisible())
            round.shown = NowMs();
        if (event->type() == QEvent::Paint && viewer.PicturesDrawn() > drawnBefore) {
            round.drawn = NowMs();
            measuring = false;
        }
    });

    std::vector<double> total, toConnect, toShown, toDrawn;
    for (int i = 0; i <= rounds; ++i) {
        viewer.Tree().SelectPath(path);
        round = Round();
        drawnBefore = viewer.PicturesDrawn();
        measuring = true;
        round.start = NowMs();
        viewer.Frame().OnCommand(Command::Open);
        if (!bench::RunUntil([&] { return round.drawn > 0; }, 10000)) {
            std::printf("error: no picture drawn within 10 s in round %d\n", i);
            return 1;
        }
        const double all = round.drawn - round.start;
        if (i == 0) {
            std::printf("first open (not counted)                    %.1f ms\n", all);
        } else {
            total.push_back(all);
            toConnect.push_back(round.connected - round.start);
            toShown.push_back(round.shown - round.connected);
            toDrawn.push_back(round.drawn - round.shown);
        }
        // Back to the collection; the stream is stopped before the next round.
        viewer.Frame().OnCommand(Command::ViewCameras);
        if (!bench::RunUntil(
                [&] {
                    return viewer.Frame().ActiveView() != &viewer.Camera() && !viewer.Camera().IsConnected();
                },
                5000)) {
            std::printf("error: the collection view did not come back\n");
            return 1;
        }
        bench::RunFor(100);
    }
    application.SetAfterEvent(nullptr);

    bench::PrintFigure("Open to first drawn picture", total, 44);
    bench::PrintFigure("  Open to ConnectCamera", toConnect, 44);
    bench::PrintFigure("  ConnectCamera to stream started (shown)", toShown, 44);
    bench::PrintFigure("  stream started to first drawn picture", toDrawn, 44);
    std::printf("target: under 300 ms: %s\n", bench::Median(total) < 300 ? "met" : "MISSED");
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}
