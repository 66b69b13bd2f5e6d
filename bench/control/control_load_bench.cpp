// The stream control showing a 25 pictures/s 640x480 camera offscreen: its process's share of
// one core and its resident memory at 5 s and at the end. The camera runs in a process of its
// own (camsim), so only the control is measured.
//   build/bench/control/control_load_bench [seconds]

#include "control/camimage.h"
#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/ui/controlhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMiB() {
    QFile status("/proc/self/statm");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0) : 0;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QProcess camsim;
    camsim.start(CAMSIM_PATH, {"--port", "0", "--fps", "25"});
    if (!camsim.waitForReadyRead(5000))
        return 1;
    const auto port = QRegularExpression("(\\d{4,5})").match(QString::fromUtf8(camsim.readAll()));
    if (!port.hasMatch())
        return 1;
    const QString url = "http://127.0.0.1:" + port.captured(1) + "/vexo-cgi/mjpg/video.cgi";

    ControlHost host;
    host.resize(640, 480);
    host.show();
    ComPtr<CCamImage> control(CCamImage::Create());
    host.AttachControl(static_cast<ICamImage*>(control.Get()));
    control->put_Stretch(1);
    control->put_URL(BString(url).Get());

    QElapsedTimer wall;
    wall.start();
    double cpuAt5 = 0, wallAt5 = 0, rssAt5 = 0;
    QTimer::singleShot(5000, [&] {
        cpuAt5 = CpuSeconds();
        wallAt5 = wall.elapsed() / 1000.0;
        rssAt5 = ResidentMiB();
    });
    QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    application.exec();

    const double cpu = CpuSeconds() - cpuAt5;
    const double elapsed = wall.elapsed() / 1000.0 - wallAt5;
    int64_t read = 0, drawn = 0, bytes = 0;
    control->GetStatistics(&read, &drawn, &bytes);
    std::printf("pictures read %lld, drawn %lld in %.0f s\n", static_cast<long long>(read),
                static_cast<long long>(drawn), wall.elapsed() / 1000.0);
    std::printf("CPU share of one core (5 s to end)   %.1f %%\n", 100.0 * cpu / elapsed);
    std::printf("resident memory at 5 s               %.1f MiB\n", rssAt5);
    std::printf("resident memory at %2d s              %.1f MiB\n", seconds, ResidentMiB());
    host.DetachControl();
    control.Reset();
    camsim.terminate();
    camsim.waitForFinished(3000);
    return 0;
}
