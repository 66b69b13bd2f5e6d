// Start-up of the viewer: from ZelPPCApp::InitInstance to the end of the main window's first
// paint, and from the start of the process to the same moment. Every start is a fresh process:
// the program runs itself with --once, after one start that is not counted and leaves the
// settings file behind, so that each counted start reads it as every start but the very first.
//   build-bench/bench/app/startup_bench [runs]                       offscreen
//   DISPLAY=:93 QT_QPA_PLATFORM=xcb build-bench/bench/app/startup_bench [runs]
//
// A paint pass ends when the event that caused it has been handled (on a window system, the
// expose or update request, including the flush to the screen), or, for the repaint that
// InitInstance asks for itself, when InitInstance returns.

#include "bench/app/benchsupport.h"

#include "app/shell/containerview.h"
#include "app/shell/mainframe.h"
#include "app/shell/zelppcapp.h"

#include "collection/collectiontree.h"
#include "platform/com/runtime.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaEnum>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

using bench::NowMs;

// Paint passes over the main window, as they happen.
class PaintPasses {
  public:
    explicit PaintPasses(ZelPPCApp& viewer) : viewer(viewer) {}

    // From the application's event hook.
    void AfterEvent(QObject* receiver, QEvent* event, int depth) {
        if (event->type() == QEvent::Paint && receiver->isWidgetType() && viewer.Frame() &&
            static_cast<QWidget*>(receiver)->window() == viewer.Frame()) {
            if (firstEnd == 0)
                ++firstPaints;
            if (!inPass) {
                inPass = true;
                fromCode = depth == 0;
                filledAtStart = TreeFilled();
            }
            return;
        }
        if (inPass && !fromCode && depth == 0)
            EndPass(DescribeEvent(receiver, event));
    }
    // Plain code that painted has returned.
    void AfterCode(const char* what) {
        if (inPass && fromCode)
            EndPass(what);
    }

    double firstEnd = 0;
    QString firstVia;
    int firstPaints = 0;  // paint events of the first pass
    double filledEnd = 0; // the first pass that began with the collection in the tree

  private:
    bool TreeFilled() const {
        return viewer.Frame() && viewer.Frame()->CollectionView()->Tree()->topLevelItemCount() > 0;
    }
    void EndPass(const QString& via) {
        inPass = false;
        const double end = NowMs();
        if (firstEnd == 0) {
            firstEnd = end;
            firstVia = via;
        }
        if (filledEnd == 0 && filledAtStart)
            filledEnd = end;
    }
    static QString DescribeEvent(QObject* receiver, QEvent* event) {
        const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(event->type());
        return QString::fromLatin1(name ? name : "event") + QStringLiteral(" to ") +
               QString::fromLatin1(receiver->metaObject()->className());
    }

    ZelPPCApp& viewer;
    bool inPass = false;
    bool fromCode = false;
    bool filledAtStart = false;
};

int RunOnce(int argc, char** argv) {
    const double entered = NowMs();
    bench::QuietConsole();
    bench::Application application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumenfold"));
    const double applicationMade = NowMs();

    SetComponentSearchPathsForTest({QFileInfo(QStringLiteral(CAMIMGCE_MODULE)).absolutePath()});
    MessageBoxSeam::Enable(); // a missing control must end the run, not wait for a click
    ModalSeam::Enable();
    ZelPPCApp viewer;
    PaintPasses passes(viewer);
    application.SetAfterEvent(
        [&](QObject* receiver, QEvent* event, int depth) { passes.AfterEvent(receiver, event, depth); });

    const double initStart = NowMs();
    if (!viewer.InitInstance()) {
        std::printf("error: InitInstance failed\n");
        return 1;
    }
    const double initEnd = NowMs();
    passes.AfterCode("repaint in InitInstance");
    const bool done = bench::RunUntil([&] { return passes.firstEnd > 0 && passes.filledEnd > 0; }, 10000);
    const bool controlMissing = !MessageBoxSeam::Shown().isEmpty();
    application.SetAfterEvent(nullptr);
    viewer.ExitInstance();
    if (!done || controlMissing) {
        std::printf("error: %s\n", controlMissing ? "a message box came up (no stream control?)"
                                                  : "the main window did not paint within 10 s");
        return 1;
    }
    std::printf("once %.3f %.3f %.3f %.3f %.3f %.3f %d %s\n", entered, applicationMade, initStart, initEnd,
                passes.firstEnd, passes.filledEnd, passes.firstPaints,
                qPrintable(QString(passes.firstVia).replace(' ', '_')));
    return 0;
}

struct Run {
    double toMain, application, init, initToPaint, processToPaint, initToFilled;
    QString via;
};

bool StartOnce(const QString& program, const QProcessEnvironment& environment, Run& run) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    const double started = NowMs();
    process.start(program, {QStringLiteral("--once")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        std::printf("run failed: %s\n", process.readAllStandardOutput().constData());
        return false;
    }
    const QStringList fields = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(' ');
    if (fields.size() < 9 || fields[0] != QLatin1String("once"))
        return false;
    const double entered = fields[1].toDouble(), made = fields[2].toDouble(),
                 initStart = fields[3].toDouble(), initEnd = fields[4].toDouble(),
                 painted = fields[5].toDouble(), filled = fields[6].toDouble();
    run = Run{entered - started,
              made - entered,
              initEnd - initStart,
              painted - initStart,
              painted - started,
              filled - initStart,
              QString(fields[8]).replace('_', ' ') + QStringLiteral(", %1 widgets painted").arg(fields[7])};
    return true;
}

int RunDriver(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QCoreApplication application(argc, argv);
    QTemporaryDir root;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMENFOLD_ROOT"), root.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));

    std::printf("viewer start-up to the first painted frame, %d fresh processes, platform %s\n", runs,
                qPrintable(platform));
    std::printf("load average before: %s\n", qPrintable(bench::LoadAverage()));
    Run run;
    if (!StartOnce(QCoreApplication::applicationFilePath(), environment, run))
        return 1; // writes the settings file
    std::vector<double> toMain, made, init, initToPaint, processToPaint, initToFilled;
    std::printf("%4s %10s %12s %13s %16s %18s %18s  %s\n", "run", "exec->main", "QApplication",
                "InitInstance", "Init->1st paint", "exec->1st paint", "Init->tree shown",
                "first pass ended by");
    for (int i = 0; i < runs; ++i) {
        if (!StartOnce(QCoreApplication::applicationFilePath(), environment, run))
            return 1;
        std::printf("%4d %10.1f %12.1f %13.1f %16.1f %18.1f %18.1f  %s\n", i + 1, run.toMain, run.application,
                    run.init, run.initToPaint, run.processToPaint, run.initToFilled, qPrintable(run.via));
        toMain.push_back(run.toMain);
        made.push_back(run.application);
        init.push_back(run.init);
        initToPaint.push_back(run.initToPaint);
        processToPaint.push_back(run.processToPaint);
        initToFilled.push_back(run.initToFilled);
    }
    const auto line = [](const char* what, const std::vector<double>& values) {
        std::printf("%-44s median %7.1f ms  (min %.1f, max %.1f)\n", what, bench::Median(values),
                    bench::Min(values), bench::Max(values));
    };
    std::printf("\n");
    line("process start to main()", toMain);
    line("QApplication constructed", made);
    line("InitInstance", init);
    line("InitInstance to first painted frame", initToPaint);
    line("process start to first painted frame", processToPaint);
    line("InitInstance to first frame with the tree", initToFilled);
    std::printf("target: InitInstance to first painted frame under 500 ms: %s\n",
                bench::Median(initToPaint) < 500 ? "met" : "MISSED");
    std::printf("load average after: %s\n", qPrintable(bench::LoadAverage()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--once") == 0)
        return RunOnce(argc, argv);
    return RunDriver(argc, argv);
}
