#pragma once
// What the viewer's benchmarks share: a clock that means the same in every process, medians,
// the machine's load, the process's CPU time and resident memory, an application object that
// reports the end of every event it delivers, camsim as a process of its own, and the whole
// viewer started in the benchmark's process on a data root of its own.

#include <QApplication>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CameraView;
class CollectionTree;
class MainFrame;
class Node;
class ZelPPCApp;

namespace bench {

// Milliseconds on the monotonic clock, which every process of the machine shares.
double NowMs();

double Median(std::vector<double> values);
double Min(const std::vector<double>& values);
double Max(const std::vector<double>& values);
// One figure line: "<what>  median ... ms  (min ..., max ...)", what padded to width.
void PrintFigure(const char* what, const std::vector<double>& values, int width = 48);

// "/proc/loadavg": the 1, 5 and 15 minute load averages.
QString LoadAverage();
// User and system CPU time of this process, in seconds.
double CpuSeconds();
// Resident memory of this process, MiB.
double ResidentMiB();

// Standard error (the viewer's and the stream control's console log) goes to /dev/null unless
// the environment names LUMENFOLD_BENCH_LOG=1; the figures go to standard output.
void QuietConsole();

// A QApplication that tells a hook about every event it has delivered, after the receiver has
// handled it, with the depth of the deliveries still running round it (0: straight from the
// event loop or from plain code).
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    using Hook = std::function<void(QObject* receiver, QEvent* event, int depth)>;
    void SetAfterEvent(Hook hook) { afterEvent = std::move(hook); }
    int Depth() const { return depth; }

  private:
    Hook afterEvent;
    int depth = 0;
};

// Runs the event loop until the condition holds (true) or timeoutMs have passed (false), testing
// it every millisecond. Benchmarks take their times in the event hook, not here.
bool RunUntil(const std::function<bool()>& condition, int timeoutMs);
// Runs the event loop for that long, with no timer of its own but the one that ends it, so that
// a measurement of the viewer's load measures the viewer.
void RunFor(int milliseconds);

// The camsim program on any free loopback port, until the object goes.
class CamsimProcess {
  public:
    explicit CamsimProcess(const QStringList& arguments = {});
    ~CamsimProcess();
    bool Started() const { return port != 0; }
    int Port() const { return port; }

  private:
    QProcess process;
    int port = 0;
};

// The whole viewer in this process: a fresh data root, the stream control found in the build,
// message boxes and modal dialogs answered at once (a benchmark never waits on a dialog).
class Viewer {
  public:
    Viewer();
    ~Viewer();
    // InitInstance, then the first update of the collection view (the tree filled).
    bool Start();

    MainFrame& Frame();
    CameraView& Camera();
    CollectionTree& Tree();
    QString Root() const { return root.path(); }

    // Pictures the stream control has converted and drawn since it was created.
    int64_t PicturesDrawn();

  private:
    QTemporaryDir root;
    std::unique_ptr<ZelPPCApp> app;
};

// The keys a camera item saved from its property pages carries, pointing at 127.0.0.1:port.
void AddCamera(const Node& settings, const QString& path, int port, int number = 0);

} // namespace bench
