#include "bench/app/benchsupport.h"

#include "app/shell/cameraview.h"
#include "app/shell/containerview.h"
#include "app/shell/mainframe.h"
#include "app/shell/zelppcapp.h"

#include "collection/collectiontree.h"
#include "control/interface/camimageinterface.h"
#include "platform/com/comptr.h"
#include "platform/com/runtime.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/node.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace bench {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.size() >= 3 ? QString::fromLatin1(fields[0] + ' ' + fields[1] + ' ' + fields[2])
                              : QStringLiteral("?");
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMiB() {
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0) : 0;
}

void QuietConsole() {
    if (qgetenv("LUMENFOLD_BENCH_LOG") == "1")
        return;
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0)
        return;
    dup2(null, STDERR_FILENO);
    close(null);
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    ++depth;
    const bool result = QApplication::notify(receiver, event);
    --depth;
    if (afterEvent)
        afterEvent(receiver, event, depth);
    return result;
}

bool RunUntil(const std::function<bool()>& condition, int timeoutMs) {
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

void RunFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(std::max(0, milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

CamsimProcess::CamsimProcess(const QStringList& arguments) {
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QStringLiteral(CAMSIM_PATH), QStringList{"--port", "0"} + arguments);
    QString output;
    QElapsedTimer timer;
    timer.start();
    static const QRegularExpression http(QStringLiteral("http 127\\.0\\.0\\.1:(\\d+)"));
    while (timer.elapsed() < 5000) {
        if (!process.waitForReadyRead(200) && process.state() != QProcess::Running)
            break;
        output += QString::fromUtf8(process.readAllStandardOutput());
        const auto match = http.match(output);
        if (match.hasMatch()) {
            port = match.captured(1).toInt();
            break;
        }
    }
}

CamsimProcess::~CamsimProcess() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

Viewer::Viewer() {
    qputenv("LUMENFOLD_ROOT", root.path().toLocal8Bit());
    SetComponentSearchPathsForTest({QFileInfo(QStringLiteral(CAMIMGCE_MODULE)).absolutePath()});
    MessageBoxSeam::Enable();
    ModalSeam::Enable();
}

Viewer::~Viewer() {
    if (app) {
        app->ExitInstance();
        app.reset();
    }
    ModalSeam::Disable();
    MessageBoxSeam::Disable();
    ResetComponentSearchPathsForTest();
}

bool Viewer::Start() {
    app = std::make_unique<ZelPPCApp>();
    if (!app->InitInstance())
        return false;
    if (!app->Frame() || !Camera().ControlCreated())
        return false;
    return RunUntil([this] { return app->Frame() && Tree().topLevelItemCount() > 0; }, 10000);
}

MainFrame& Viewer::Frame() {
    return *app->Frame();
}

CameraView& Viewer::Camera() {
    return *Frame().CameraViewWindow();
}

CollectionTree& Viewer::Tree() {
    return *Frame().CollectionView()->Tree();
}

int64_t Viewer::PicturesDrawn() {
    const auto statistics =
        ComPtr<ICamImageStatistics>::QueryFrom(Camera().Control(), IID_ICamImageStatistics);
    if (!statistics)
        return -1;
    int64_t read = 0, drawn = 0, bytes = 0;
    statistics->GetStatistics(&read, &drawn, &bytes);
    return drawn;
}

void AddCamera(const Node& settings, const QString& path, int port, int number) {
    const Node camera = settings.GetNode(path);
    const QString address = port ? QStringLiteral("127.0.0.1")
                                 : QStringLiteral("192.168.%1.%2").arg(number / 250).arg(number % 250 + 1);
    camera.SetValue("Type", Data("Camera"));
    camera.SetValue("Name", Data(Path::GetName(path)));
    camera.SetValue("Address", Data(address));
    camera.SetValue("CheckedAddress", Data(address));
    camera.SetValue("Port", Data(port ? port : 80));
    camera.SetValue("Model", Data("Alder"));
    camera.SetValue("Firmware", Data("2.10"));
    camera.SetValue("UserName", Data(""));
    camera.SetValue("Password", Data(""));
    camera.SetValue("Resolution", Data("640x480"));
    camera.SetValue("CameraNumber", Data("default"));
    camera.SetValue("Rotation", Data("0"));
    camera.SetValue("Compression", Data(""));
    camera.SetValue("CustomURL", Data(""));
}

} // namespace bench

namespace bench {

void PrintFigure(const char* what, const std::vector<double>& values, int width) {
    std::printf("%-*s median %7.1f ms  (min %.1f, max %.1f)\n", width, what, Median(values), Min(values),
                Max(values));
}

} // namespace bench
