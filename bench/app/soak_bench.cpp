// A long run against a camera that keeps failing: the viewer shows a camsim camera whose stream
// breaks every N pictures (camsim --close-after N) and whose process is stopped and started
// again every 30 s. Prints this process's resident memory, threads and open descriptors at the
// start and at the end with the camera left, and every minute while it is shown, with the
// streams started again since the start and the times the camera had to be opened again; with --zelctl the
// same for a `zelctl stream --reconnect` process watching the same camera. The camera runs in a process of
// its own, so only the viewer is measured. Target: no growth after the first minute beyond 1 MiB; threads and
// descriptors back to their counts at the start.
//   build/bench/app/soak_bench [--minutes M] [--break-every N] [--zelctl]

#include "bench/app/benchsupport.h"

#include "app/resources/resource.h"
#include "app/shell/cameraview.h"
#include "app/shell/mainframe.h"

#include "collection/collectiontree.h"
#include "foundation/log.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string_view>

namespace {

constexpr int kRestartEveryMs = 30000;
constexpr int kRowEveryMs = 60000;

struct ProcessFigures {
    double residentMiB = 0;
    int threads = 0;
    int descriptors = 0;
};

ProcessFigures Measure(qint64 pid) {
    ProcessFigures figures;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    QFile status(proc + QStringLiteral("/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.size() < 2)
                continue;
            if (words[0] == "VmRSS:")
                figures.residentMiB = words[1].toDouble() / 1024.0;
            if (words[0] == "Threads:")
                figures.threads = words[1].toInt();
        }
    }
    figures.descriptors =
        static_cast<int>(QDir(proc + QStringLiteral("/fd")).entryList(QDir::NoDotAndDotDot).size());
    return figures;
}

// Counts the lines a program writes that hold a text, as they come.
class LineCounter {
  public:
    explicit LineCounter(QByteArray text) : text(std::move(text)) {}
    void Feed(const QByteArray& bytes) {
        pending += bytes;
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            if (pending.left(end).contains(text))
                ++count;
        }
    }
    int Count() const { return count; }

  private:
    QByteArray text;
    QByteArray pending;
    int count = 0;
};

} // namespace

int main(int argc, char** argv) {
    int minutes = 30;
    int breakEvery = 100;
    bool withZelctl = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--minutes" && i + 1 < argc) {
            minutes = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--break-every" && i + 1 < argc) {
            breakEvery = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--zelctl") {
            withZelctl = true;
        } else {
            std::printf("usage: %s [--minutes M] [--break-every N] [--zelctl]\n", argv[0]);
            return 2;
        }
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::QuietConsole();
    bench::Application application(argc, argv);

    const QStringList faults{"--fps", "25", "--close-after", QString::number(breakEvery)};
    auto camera = std::make_unique<bench::CamsimProcess>(faults);
    if (!camera->Started()) {
        std::printf("error: camsim did not start\n");
        return 1;
    }
    const int port = camera->Port();
    // Started again on the same port, as a camera that reboots.
    const QStringList restartOptions = faults + QStringList{"--port", QString::number(port)};

    bench::Viewer viewer;
    if (!viewer.Start()) {
        std::printf("error: the viewer did not start\n");
        return 1;
    }
    std::atomic<int> streamsStarted{0};
    DiagLog::Instance().SetConsoleForTest([&](std::string_view line) {
        if (line.find("CameraView::OnStreamStarted") != std::string_view::npos)
            ++streamsStarted;
    });
    const QString path = QStringLiteral("/CameraCollection/Soak camera");
    bench::AddCamera(Settings(), path, port);
    viewer.Tree().Refill();
    int reopened = 0;
    auto open = [&] {
        viewer.Tree().SelectPath(path);
        viewer.Frame().OnCommand(Command::Open);
    };
    auto openAndWait = [&] {
        const int64_t drawn = viewer.PicturesDrawn();
        open();
        return bench::RunUntil([&] { return viewer.PicturesDrawn() > drawn; }, 10000);
    };
    auto leave = [&] {
        viewer.Frame().OnCommand(Command::ViewCameras);
        bench::RunUntil([&] { return !viewer.Camera().IsConnected(); }, 10000);
        bench::RunFor(1000);
    };
    // The start is measured with the camera left again after its first picture, as the end is:
    // whatever the first stream set up for good (libcurl, the picture buffers) is counted in both.
    if (!openAndWait()) {
        std::printf("error: no picture drawn within 10 s\n");
        return 1;
    }
    leave();

    QProcess zelctl;
    LineCounter zelctlStreams("OnStreamStarted");
    if (withZelctl) {
        const QString url = QStringLiteral("http://127.0.0.1:%1/vexo-cgi/mjpg/video.cgi").arg(port);
        QObject::connect(&zelctl, &QProcess::readyReadStandardOutput,
                         [&] { zelctlStreams.Feed(zelctl.readAllStandardOutput()); });
        zelctl.start(
            QStringLiteral(ZELCTL_PATH),
            {"stream", url, "--seconds", QString::number(minutes * 60 + 60), "--reconnect", "--stretch"});
        if (!zelctl.waitForStarted(5000) ||
            !bench::RunUntil([&] { return zelctlStreams.Count() > 0; }, 10000)) {
            std::printf("error: zelctl stream did not start its stream\n");
            return 1;
        }
    }

    std::printf("soak: %d min, camsim --close-after %d, camsim restarted every %d s, load %s\n", minutes,
                breakEvery, kRestartEveryMs / 1000, qPrintable(bench::LoadAverage()));
    std::printf("%6s  %12s %8s %12s %12s %9s %10s", "minute", "resident MiB", "threads", "descriptors",
                "reconnects", "reopened", "streaming");
    if (withZelctl)
        std::printf("   zelctl: %12s %8s %12s %12s", "resident MiB", "threads", "descriptors", "reconnects");
    std::printf("\n");
    const int startStreams = streamsStarted;
    const int startZelctl = zelctlStreams.Count();
    auto row = [&](const char* when) {
        const ProcessFigures viewerFigures = Measure(QCoreApplication::applicationPid());
        std::printf("%6s  %12.1f %8d %12d %12d %9d %10s", when, viewerFigures.residentMiB,
                    viewerFigures.threads, viewerFigures.descriptors, streamsStarted - startStreams, reopened,
                    viewer.Camera().IsConnected() ? "yes" : "no");
        if (withZelctl) {
            const ProcessFigures z = Measure(zelctl.processId());
            std::printf("   zelctl: %12.1f %8d %12d %12d", z.residentMiB, z.threads, z.descriptors,
                        zelctlStreams.Count() - startZelctl);
        }
        std::printf("\n");
        std::fflush(stdout);
    };
    row("start");
    if (!openAndWait()) {
        std::printf("error: no picture drawn within 10 s\n");
        return 1;
    }

    const double start = bench::NowMs();
    // The restarts fall half-way between the rows, so each row sees the stream running again
    // rather than the camera just stopped.
    double nextRestart = start + kRestartEveryMs / 2.0;
    double nextRow = start + kRowEveryMs;
    int minute = 0;
    while (minute < minutes) {
        bench::RunFor(200);
        const double now = bench::NowMs();
        if (now >= nextRestart) {
            camera.reset(); // stopped
            camera = std::make_unique<bench::CamsimProcess>(restartOptions);
            if (!camera->Started())
                std::printf("warning: camsim did not start again on port %d\n", port);
            nextRestart += kRestartEveryMs;
        }
        // A camera that stays away long enough sends the viewer back to the collection, as a
        // user would be; the user opens it again.
        if (viewer.Frame().ActiveView() != &viewer.Camera()) {
            ++reopened;
            open();
        }
        if (now >= nextRow) {
            ++minute;
            row(std::to_string(minute).c_str());
            nextRow += kRowEveryMs;
        }
    }
    leave();
    row("left");
    std::printf(
        "start and left: the viewer with the camera left (its stream stopped); the minutes: while it\n"
        "is shown; zelctl streams all along\n");
    DiagLog::Instance().SetConsoleForTest(nullptr);
    if (withZelctl) {
        zelctl.terminate();
        zelctl.waitForFinished(5000);
    }
    return 0;
}
