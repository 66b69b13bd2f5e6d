// Recording a 640x480 camera at 25 pictures/s, as the viewer's recorder does (a hidden control that
// draws nothing, recording into a folder): the process's share of one core, beside the same control
// only receiving the stream (what recording a camera that is on screen adds is the difference, as
// the views and the recording share the connection), and beside `ffmpeg -i URL -c copy -f matroska FILE`
// recording the same stream for as long, the reference the cost is quoted against. The camera is a camsim
// process.
// Then instant replay: a shown control of a 1280x960 camera at 50/s keeping its last 30 s within
// a cap of 16 MiB; the growth of resident memory once the cap is reached, and the time from a
// step one picture back to the end of the paint that shows it.
//   build/bench/control/record_bench [seconds]     (default 20 a phase)

#include "control/camimage.h"
#include "control/replaymemory.h"
#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/ui/controlhost.h"

#include "bench/control/controlbench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// A hidden control of the camera that draws nothing; recording into folder unless it is empty.
double Watch(const QString& url, const QString& folder, int seconds, int64_t* recorded = nullptr) {
    ControlHost host;
    host.resize(640, 480);
    ComPtr<CCamImage> control(CCamImage::Create());
    host.AttachControl(static_cast<ICamImage*>(control.Get()));
    control->put_FPS(0.0f);
    control->put_SharedConnection(1);
    if (!folder.isEmpty())
        control->put_RecordFolder(BString(folder).Get());
    control->put_URL(BString(url).Get());
    CoreShare(2); // the stream starts
    const double share = CoreShare(seconds);
    control->StopDownload();
    if (recorded) {
        int64_t read = 0, drawn = 0, bytes = 0;
        control->GetStatistics(&read, &drawn, &bytes);
        *recorded = read;
    }
    host.DetachControl();
    CoreShare(3); // the shared stream's linger ends
    return share;
}

bool Replay(PaintWatch& application) {
    constexpr int kCapMiB = 16;
    QProcess camsim;
    const QString url = StartCamsim(camsim, {"--fps", "50", "--size", "1280x960"});
    if (url.isEmpty())
        return false;
    ControlHost host;
    host.resize(640, 480);
    host.show();
    ComPtr<CCamImage> control(CCamImage::Create());
    host.AttachControl(static_cast<ICamImage*>(control.Get()));
    control->put_Stretch(1);
    control->put_URL(BString(url).Get());
    CoreShare(10); // the stream's own memory settles first
    const double before = ResidentMiB();
    control->put_ReplayMiB(kCapMiB); // before the seconds: the source keeps the most asked for
    control->put_ReplaySeconds(30);
    CoreShare(12); // the cap is reached within seconds
    const double after = ResidentMiB();
    application.watched = host.ControlWindow();
    std::vector<double> steps;
    control->put_Paused(1);
    for (int i = 0; i < 40; ++i) {
        const int paints = application.paints;
        QElapsedTimer step;
        step.start();
        control->put_ReplayStep(-1);
        while (application.paints == paints && step.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::AllEvents);
        steps.push_back(step.nsecsElapsed() / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    std::printf(
        "replay of a 1280x960 camera at 50/s, cap %d MiB: %.1f MiB kept, resident memory grew %.1f MiB %s\n",
        kCapMiB, ReplayMemory::AllBytes() / 1048576.0, after - before,
        after - before <= kCapMiB ? "(target within the cap: met)" : "(target within the cap: MISSED)");
    std::printf("a picture back to its paint: median %.1f ms, max %.1f ms %s\n", steps[steps.size() / 2],
                steps.back(),
                steps[steps.size() / 2] < 20 ? "(target under 20: met)" : "(target under 20: MISSED)");
    control->put_Paused(0);
    control->StopDownload();
    host.DetachControl();
    camsim.terminate();
    camsim.waitForFinished(3000);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PaintWatch application(argc, argv);
    QTemporaryDir folder;

    QProcess camsim;
    const QString url = StartCamsim(camsim, {"--fps", "25"});
    if (url.isEmpty())
        return 1;

    const double receiving = Watch(url, QString(), seconds);
    int64_t pictures = 0;
    const double recording = Watch(url, folder.filePath("Camera"), seconds, &pictures);

    QProcess ffmpeg;
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", url, "-t", QString::number(seconds), "-c",
                            "copy", "-f", "matroska", "-y", folder.filePath("ffmpeg.mkv")});
    ffmpeg.waitForFinished((seconds + 30) * 1000);
    const double reference = (CpuSeconds(RUSAGE_CHILDREN) - before) / seconds;

    std::printf("receiving only (hidden control, nothing drawn): %.2f %% of a core\n", 100.0 * receiving);
    std::printf("recording (%lld pictures in %d s): %.2f %% of a core, %.2f points beyond receiving %s\n",
                static_cast<long long>(pictures), seconds, 100.0 * recording, 100.0 * (recording - receiving),
                recording - receiving < 0.003 ? "(target under 0.3 % for the recording: met)"
                                              : "(target under 0.3 % for the recording: MISSED)");
    std::printf("ffmpeg -i URL -c copy -f matroska FILE (exit %d): %.2f %% of a core; recording against it: "
                "%.2f %s\n",
                ffmpeg.exitCode(), 100.0 * reference, reference > 0 ? recording / reference : 0.0,
                reference > 0 && recording / reference < 0.5 ? "(target under 0.5: met)"
                                                             : "(target under 0.5: MISSED)");
    camsim.terminate();
    camsim.waitForFinished(3000);
    return Replay(application) ? 0 : 1;
}
