// The digital zoom. First the cost of a new 1280x960 picture shown in a 640x480 view, unzoomed
// (decoded whole at full scale and drawn smaller) beside zoomed 4x (only the quarter shown
// decoded, then drawn larger), round by round so that a busy machine slows both alike; the
// pictures carry fine detail, as a camera's do, so that decoding costs what it does on a real
// stream. Then the control itself, showing a camsim stream of the same size: the time from a
// wheel notch over its window to the end of the paint that shows the new zoom.
//   build/bench/control/zoom_bench [rounds]          (default 201)

#include "control/camimage.h"
#include "control/displaypicture.h"
#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/ui/controlhost.h"

#include "bench/control/controlbench.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Work> double Microseconds(Work work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The test pattern with a fine grain over it, which a camera's pictures have and which makes
// the decoder work as hard as on them.
std::string DetailedJpeg(int width, int height) {
    std::vector<uint8_t> rgb = camsim::TestPattern(width, height, camsim::Scene()).Render();
    uint32_t noise = 12345;
    for (uint8_t& value : rgb) {
        noise = noise * 1103515245u + 12345u;
        value = static_cast<uint8_t>(
            std::clamp(static_cast<int>(value) + static_cast<int>(noise >> 27) - 16, 0, 255));
    }
    return camsim::EncodeJpeg(rgb.data(), width, height, false);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(11, std::atoi(argv[1])) : 201;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PaintWatch application(argc, argv);

    const std::string jpeg = DetailedJpeg(1280, 960);
    const QRectF quarter(0.5, 0.25, 0.25, 0.25); // zoomed 4x, right of the middle
    QImage surface(640, 480, QImage::Format_RGB32);
    DisplayPicture whole, zoomed;
    std::vector<double> unzoomedCost, zoomedCost, ratios;
    for (int i = 0; i < rounds; ++i) {
        const auto show = [&](DisplayPicture& picture, const QRectF& area) {
            return Microseconds([&] {
                picture.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), 0, QSize(), area);
                QPainter painter(&surface);
                picture.Draw(painter, surface.rect(), true, area);
            });
        };
        unzoomedCost.push_back(show(whole, DisplayPicture::kWholePicture));
        zoomedCost.push_back(show(zoomed, quarter));
        ratios.push_back(zoomedCost.back() / unzoomedCost.back());
    }
    const double ratio = Median(ratios);
    std::printf("1280x960 picture in a 640x480 view, decoded, converted and drawn (%d rounds):\n", rounds);
    std::printf("  unzoomed, decoded at full scale: %7.0f us\n", Median(unzoomedCost));
    std::printf("  zoomed 4x, the quarter shown:    %7.0f us, ratio %.2f %s\n", Median(zoomedCost), ratio,
                ratio < 1.2 ? "(target under 1.2: met)" : "(target under 1.2: MISSED)");

    QProcess camsim;
    const QString url = StartCamsim(camsim, {"--fps", "25", "--size", "1280x960"});
    if (url.isEmpty())
        return 1;
    ControlHost host;
    host.resize(640, 480);
    host.show();
    ComPtr<CCamImage> control(CCamImage::Create());
    host.AttachControl(static_cast<ICamImage*>(control.Get()));
    control->put_Stretch(1);
    control->put_DigitalZoom(1);
    control->put_URL(BString(url).Get());
    QElapsedTimer started;
    started.start();
    int32_t shown = 0;
    while (shown == 0 && started.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        control->get_PicturesShown(&shown);
    }
    QWidget* window = host.ControlWindow();
    application.watched = window;
    std::vector<double> latency;
    const int notches = std::max(11, rounds / 4);
    for (int i = 0; i < notches; ++i) {
        // In three notches and out again, about a point of the picture.
        const int angle = i % 6 < 3 ? 120 : -120;
        const QPointF at(200 + i % 7 * 30, 150 + i % 5 * 30);
        const int before = application.paints;
        const auto start = Clock::now();
        QWheelEvent wheel(at, window->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(window, &wheel);
        while (application.paints == before)
            QApplication::processEvents(QEventLoop::AllEvents);
        latency.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        QApplication::processEvents(QEventLoop::AllEvents, 20); // the stream's own pictures between notches
    }
    const double wheelMs = Median(latency);
    std::printf("wheel notch to the redrawn picture, 1280x960 stream at 25/s (%d notches): median %.1f ms, "
                "max %.1f ms %s\n",
                notches, wheelMs, *std::max_element(latency.begin(), latency.end()),
                wheelMs < 16 ? "(target under 16: met)" : "(target under 16: MISSED)");
    host.DetachControl();
    control.Reset();
    camsim.terminate();
    camsim.waitForFinished(3000);
    return 0;
}
