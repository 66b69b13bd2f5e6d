// How late the stream control shows a picture: a simulated camera sends one 640x480 picture a
// second, and for each draw the time from the moment the drawn picture's last byte went out, and
// to OnSize for the first one; also the time from setting the URL to the first drawn picture.
// Two server habits (the boundary first in each part, with nothing after the picture until the
// next one; and ffmpeg's, the next boundary right after each picture), each with Content-Length
// in the parts and without it (the reader then cuts at boundaries). Last, a camera sending 25
// pictures a second, the rate of the control's default FPS, whose pictures arrive a little early
// or late at random.
//   build/bench/control/latency_bench [seconds per case]

#include "control/camimage.h"
#include "control/interface/camimageinterface.h"
#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/com/dispatchsink.h"
#include "platform/ui/controlhost.h"

#include "tools/camsim/cameraserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Case {
    const char* name;
    bool boundaryFirst;
    bool contentLength;
    int rate = 1; // pictures a second
};

struct Figures {
    std::vector<double> drawLatency; // per picture, ms
    double sizeLatency = -1;         // OnSize of the first picture, ms
    double openToDraw = -1;          // URL set to first picture drawn, ms
};

// Counts the control's draws: after each paint of its window, whether a new picture was drawn.
class DrawWatch : public QObject {
  public:
    DrawWatch(CCamImage* control, std::vector<Clock::time_point>& draws) : control(control), draws(draws) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            // Runs once the paint (and the picture's conversion in it) is done.
            QTimer::singleShot(0, this, [this] {
                int64_t read = 0, drawn = 0, bytes = 0;
                control->GetStatistics(&read, &drawn, &bytes);
                while (static_cast<int64_t>(draws.size()) < drawn)
                    draws.push_back(Clock::now());
            });
        }
        return false;
    }

  private:
    CCamImage* control;
    std::vector<Clock::time_point>& draws;
};

Figures Measure(const Case& c, int pictures) {
    camsim::CameraConfig config;
    config.fps = c.rate;
    config.faults.boundaryFirst = c.boundaryFirst;
    config.faults.partContentLength = c.contentLength;
    config.faults.closeAfter = pictures * c.rate;
    camsim::CameraServer server(config);
    std::mutex sentLock;
    std::vector<Clock::time_point> sent;
    server.SetPictureSentListener([&](long long) {
        std::lock_guard<std::mutex> guard(sentLock);
        sent.push_back(Clock::now());
    });
    std::string error;
    if (!server.Start(0, error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        return {};
    }

    ControlHost host;
    host.resize(640, 480);
    host.show();
    ComPtr<CCamImage> control(CCamImage::Create());
    host.AttachControl(static_cast<ICamImage*>(control.Get()));
    std::vector<Clock::time_point> draws;
    DrawWatch watch(control.Get(), draws);
    host.ControlWindow()->installEventFilter(&watch);
    Clock::time_point sizeAt{};
    bool stopped = false;
    std::mutex eventLock;
    ComPtr<DispatchSink> sink(
        DispatchSink::Create(DIID_ICamImageEvents, [&](DISPID member, const DISPPARAMS&) {
            std::lock_guard<std::mutex> guard(eventLock);
            if (member == CamImageEventDispid::OnSize && sizeAt == Clock::time_point{})
                sizeAt = Clock::now();
            if (member == CamImageEventDispid::OnStreamStopped)
                stopped = true;
        }));
    sink->Connect(static_cast<ICamImage*>(control.Get()));

    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/vexo-cgi/mjpg/video.cgi";
    const std::u16string wide(url.begin(), url.end());
    const BString text(wide.c_str());
    const Clock::time_point open = Clock::now();
    control->put_URL(text.Get());
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < (pictures + 5) * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::lock_guard<std::mutex> guard(eventLock);
        if (stopped)
            break;
    }
    QCoreApplication::processEvents();

    Figures figures;
    {
        std::lock_guard<std::mutex> guard(sentLock);
        // At one picture a second every picture is drawn, the i-th draw showing the i-th picture
        // (a reader that cuts at boundaries has it only when the next one is sent). Faster, some
        // are dropped unseen, and a draw shows the newest one: the last sent before it.
        for (size_t i = 0; i < draws.size(); ++i) {
            const auto after = std::upper_bound(sent.begin(), sent.end(), draws[i]);
            if (c.rate == 1 && i < sent.size())
                figures.drawLatency.push_back(Milliseconds(draws[i] - sent[i]));
            else if (c.rate > 1 && after != sent.begin())
                figures.drawLatency.push_back(Milliseconds(draws[i] - *(after - 1)));
        }
        if (!sent.empty() && sizeAt != Clock::time_point{})
            figures.sizeLatency = Milliseconds(sizeAt - sent[0]);
    }
    if (!draws.empty())
        figures.openToDraw = Milliseconds(draws[0] - open);
    sink->Disconnect();
    sink.Reset();
    host.DetachControl();
    control.Reset();
    server.Stop();
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    const int pictures = argc > 1 ? std::max(2, std::atoi(argv[1])) : 6; // seconds, and pictures at 1/s
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const Case cases[] = {
        {"boundary first, Content-Length", true, true},
        {"next boundary at once, Content-Length", false, true},
        {"boundary first, no Content-Length", true, false},
        {"next boundary at once, no Content-Length", false, false},
        {"25/s, boundary first, Content-Length", true, true, 25},
    };
    std::printf("640x480 for %d s per case; times in ms\n", pictures);
    std::printf("%-42s %8s %8s %8s %10s %12s\n", "server", "drawn", "median", "max", "OnSize", "open->draw");
    for (const Case& c : cases) {
        Figures f = Measure(c, pictures);
        std::vector<double> sorted = f.drawLatency;
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted.empty() ? -1 : sorted[sorted.size() / 2];
        const double worst = sorted.empty() ? -1 : sorted.back();
        std::printf("%-42s %8zu %8.1f %8.1f %10.1f %12.1f\n", c.name, sorted.size(), median, worst,
                    f.sizeLatency, f.openToDraw);
    }
    return 0;
}
