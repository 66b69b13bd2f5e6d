// The stream control showing a 25 pictures/s 640x480 camera offscreen, as the viewer sets it
// (connection shared): its process's share of one core and its resident memory; then a second
// control of the same camera beside it, what it adds; then ffmpeg decoding the same stream
// (`ffmpeg -i URL -f null -`) for as long, the reference the control's cost is quoted against.
// The camera, a camsim process of its own, serves one client at a time: the second control
// draws only if it shares the first one's connection.
//   build/bench/control/control_load_bench [seconds]     (default 20 a phase)

#include "control/camimage.h"
#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/ui/controlhost.h"

#include "bench/control/controlbench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct ShownControl {
    ShownControl(const QString& url) : control(CCamImage::Create()) {
        host.resize(640, 480);
        host.show();
        host.AttachControl(static_cast<ICamImage*>(control.Get()));
        control->put_Stretch(1);
        control->put_SharedConnection(1);
        control->put_URL(BString(url).Get());
    }
    ~ShownControl() { host.DetachControl(); }
    int64_t Drawn() const {
        int64_t read = 0, drawn = 0, bytes = 0;
        control->GetStatistics(&read, &drawn, &bytes);
        return drawn;
    }

    ControlHost host;
    ComPtr<CCamImage> control;
};

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QProcess camsim;
    const QString url = StartCamsim(camsim, {"--fps", "25", "--max-clients", "1"});
    if (url.isEmpty())
        return 1;

    auto first = std::make_unique<ShownControl>(url);
    CoreShare(3); // the stream starts
    const int64_t drawnBefore = first->Drawn();
    const double one = CoreShare(seconds);
    const double rss = ResidentMiB();
    const int64_t drawnOne = first->Drawn() - drawnBefore;

    auto second = std::make_unique<ShownControl>(url);
    CoreShare(1);
    const int64_t secondBefore = second->Drawn();
    const double two = CoreShare(seconds);
    const int64_t secondDrawn = second->Drawn() - secondBefore;
    second.reset();
    first.reset();
    CoreShare(3); // the shared stream's linger ends, and with it the connection

    QProcess ffmpeg;
    const double childBefore = CpuSeconds(RUSAGE_CHILDREN);
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", url, "-t", QString::number(seconds), "-f",
                            "null", "-"});
    ffmpeg.waitForFinished((seconds + 30) * 1000);
    const double reference = (CpuSeconds(RUSAGE_CHILDREN) - childBefore) / seconds;

    std::printf("one control:  %.2f %% of a core, %lld pictures drawn in %d s, resident %.1f MiB\n",
                100.0 * one, static_cast<long long>(drawnOne), seconds, rss);
    std::printf(
        "two controls of the camera: %.2f %% of a core; the second adds %.2f %%, drew %lld pictures on "
        "the one connection\n",
        100.0 * two, 100.0 * (two - one), static_cast<long long>(secondDrawn));
    std::printf("ffmpeg -i URL -f null - (exit %d): %.2f %% of a core; one control against it: %.2f\n",
                ffmpeg.exitCode(), 100.0 * reference, reference > 0 ? one / reference : 0.0);
    camsim.terminate();
    camsim.waitForFinished(3000);
    return 0;
}
