// From the Next command (32778) on a camera switch to the next member's first drawn picture:
// the stream control has converted a picture of the new member's stream and drawn it (its
// picturesDrawn counter has moved), measured when that paint has been handled. The switch has
// three members, each a camsim process on loopback, 640x480 at 25 pictures/s; automatic
// switching is off. The first Next is shown apart and not counted. The phases: Next handled
// (the old stream stopped), the next member connecting (ConnectCamera, after the control
// reported the stop), its stream started (the control's window shown), its first picture drawn.
//   build-bench/bench/app/switch_bench [rounds [camsim options]]     (camsim default: --fps 25)

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
    double start = 0, handled = 0, connected = 0, shown = 0, drawn = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietConsole();
    bench::Application application(argc, argv);
    std::printf("Next on a camera switch to the next member's first drawn picture, %d rounds, platform %s\n",
                rounds, qPrintable(QGuiApplication::platformName()));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));

    QStringList camsimOptions{"--fps", "25"};
    for (int i = 2; i < argc; ++i)
        camsimOptions.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<bench::CamsimProcess> cameras[3];
    for (auto& camera : cameras) {
        camera = std::make_unique<bench::CamsimProcess>(camsimOptions);
        if (!camera->Started()) {
            std::printf("error: camsim did not start\n");
            return 1;
        }
    }
    std::printf("3 x camsim %s (the last option given wins)\n", qPrintable(camsimOptions.join(' ')));

    bench::Viewer viewer;
    if (!viewer.Start()) {
        std::printf("error: the viewer did not start\n");
        return 1;
    }
    const QString names[3] = {"A", "B", "C"};
    const QString tourPath = QStringLiteral("/CameraCollection/Tour");
    const Node tour = Settings().GetNode(tourPath);
    tour.SetValue("Name", Data("Tour"));
    tour.SetValue("Type", Data("CameraSwitch"));
    tour.SetValue("DisplayTime", Data(5));
    for (int i = 0; i < 3; ++i) {
        bench::AddCamera(Settings(), "/CameraCollection/" + names[i], cameras[i]->Port());
        tour.SetValue(QStringLiteral("Cameras/Camera_%1").arg(i, 3, 10, QChar('0')),
                      Data("/CameraCollection/" + names[i]));
    }
    Settings().SetValue("/View/AutoSwitch", Data(false));
    viewer.Tree().Refill();
    viewer.Tree().SelectPath(tourPath);

    CameraView& view = viewer.Camera();
    Round round;
    QString expected = names[0];
    int64_t drawnBefore = viewer.PicturesDrawn();
    bool measuring = true;
    application.SetAfterEvent([&](QObject*, QEvent* event, int) {
        if (!measuring || view.CurrentCamera().name != expected)
            return;
        if (!round.connected && view.IsConnected())
            round.connected = NowMs();
        if (round.connected && !round.shown && view.HostWindow()->isVisible())
            round.shown = NowMs();
        if (round.shown && event->type() == QEvent::Paint && viewer.PicturesDrawn() > drawnBefore) {
            round.drawn = NowMs();
            measuring = false;
        }
    });
    viewer.Frame().OnCommand(Command::Open);
    if (!bench::RunUntil([&] { return round.drawn > 0; }, 10000)) {
        std::printf("error: the switch's first member drew no picture within 10 s\n");
        return 1;
    }
    bench::RunFor(200);

    std::vector<double> total, toHandled, toConnect, toShown, toDrawn;
    for (int i = 0; i <= rounds; ++i) {
        expected = names[(i + 1) % 3];
        round = Round();
        drawnBefore = viewer.PicturesDrawn();
        measuring = true;
        round.start = NowMs();
        viewer.Frame().OnCommand(Command::ViewNextCamera);
        round.handled = NowMs();
        if (!bench::RunUntil([&] { return round.drawn > 0; }, 10000)) {
            std::printf("error: %s drew no picture within 10 s in round %d\n", qPrintable(expected), i);
            return 1;
        }
        const double all = round.drawn - round.start;
        if (i == 0) {
            std::printf("first Next (not counted)                        %.1f ms\n", all);
        } else {
            total.push_back(all);
            toHandled.push_back(round.handled - round.start);
            toConnect.push_back(round.connected - round.handled);
            toShown.push_back(round.shown - round.connected);
            toDrawn.push_back(round.drawn - round.shown);
        }
        bench::RunFor(200); // the member runs a while, as when watched
    }
    application.SetAfterEvent(nullptr);

    bench::PrintFigure("Next to the next member's first drawn picture", total, 48);
    bench::PrintFigure("  Next handled (old stream stopped)", toHandled, 48);
    bench::PrintFigure("  then ConnectCamera of the next member", toConnect, 48);
    bench::PrintFigure("  then stream started (shown)", toShown, 48);
    bench::PrintFigure("  then first drawn picture", toDrawn, 48);
    std::printf("target: under 400 ms: %s\n", bench::Median(total) < 400 ? "met" : "MISSED");
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}
