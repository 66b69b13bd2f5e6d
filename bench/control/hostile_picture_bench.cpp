// What one picture can cost the painting thread: each hostile picture converted for drawing and
// drawn into a 640x480 control, at rotation 0 and 90, beside an ordinary camera picture of
// 640x480 and the largest real camera picture (12 megapixels). Prints the worst and the median
// time of each; every picture must stay under 250 ms.
//   build/bench/control/hostile_picture_bench [rounds]

#include "control/decodelimits.h"
#include "control/displaypicture.h"

#include "foundation/log.h"
#include "tools/camsim/hostilepictures.h"
#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kTargetMs = 250;

struct Picture {
    std::string name;
    std::string what;
    std::string bytes;
};

std::string CameraPicture(int width, int height) {
    const camsim::TestPattern pattern(width, height, camsim::Scene());
    const std::vector<uint8_t> rgb = pattern.Render();
    return camsim::EncodeJpeg(rgb.data(), width, height, false);
}

struct Times {
    double worst = 0;  // a picture's conversion and drawing, the worst of all
    double first = 0;  // medians: the first picture (fresh memory for its bitmap)
    double next = 0;   // later pictures, once the two bitmaps are made (their memory reused)
    double redraw = 0; // a paint with no new picture
    bool shown = false;
};

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A paint's work for a new picture: its conversion, then drawing stretched over the control.
// Each round starts with a display that has shown nothing yet, shows the picture four times
// and paints once more without a new one. The display keeps two bitmaps, the one shown and the
// one being made, so from the third picture on no fresh memory is touched.
Times Measure(const std::string& jpeg, int rotate, int rounds) {
    QImage control(640, 480, QImage::Format_RGB32);
    std::vector<double> firsts, nexts, redraws;
    Times times;
    for (int i = 0; i < rounds; ++i) {
        DisplayPicture display;
        QPainter painter(&control);
        for (int picture = 0; picture < 4; ++picture) {
            const auto start = Clock::now();
            times.shown = display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), rotate);
            display.Draw(painter, control.rect(), true);
            const double took = Ms(start, Clock::now());
            if (picture == 0)
                firsts.push_back(took);
            if (picture >= 2)
                nexts.push_back(took);
            times.worst = std::max(times.worst, took);
        }
        const auto start = Clock::now();
        display.Draw(painter, control.rect(), true);
        redraws.push_back(Ms(start, Clock::now()));
    }
    times.first = Median(firsts);
    times.next = Median(nexts);
    times.redraw = Median(redraws);
    return times;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    DiagLog::Instance().SetConsoleForTest([](std::string_view) {}); // refusals are logged

    std::vector<Picture> pictures = {
        {"camera-640x480.jpg", "an ordinary camera picture", CameraPicture(640, 480)},
        {"camera-4000x3000.jpg", "the largest real camera picture", CameraPicture(4000, 3000)},
    };
    for (camsim::HostilePicture& hostile :
         camsim::HostilePictures({DecodeLimits::kMaxPixels, DecodeLimits::kMaxProgressivePixels,
                                  DecodeLimits::kMaxSide, DecodeLimits::kMaxScans})) {
        pictures.push_back({hostile.name, hostile.what, std::move(hostile.bytes)});
    }

    std::printf("%d rounds of four pictures each, converted and drawn into 640x480, in ms: the worst\n"
                "picture; the medians of the first picture (fresh memory), of the third and fourth (memory\n"
                "reused), and of a paint without a new picture\n",
                rounds);
    std::printf("%-26s %8s %-8s %8s %8s %8s %8s  %8s %8s %8s %8s  %s\n", "picture", "bytes", "result",
                "worst 0", "first", "next", "redraw", "worst 90", "first", "next", "redraw", "what");
    double worstHostile = 0;
    double ordinary = 0;
    for (const Picture& picture : pictures) {
        const Times upright = Measure(picture.bytes, 0, rounds);
        const Times turned = Measure(picture.bytes, 90, rounds);
        const double worst = std::max(upright.worst, turned.worst);
        if (picture.name == "camera-640x480.jpg") {
            ordinary = worst;
        } else if (picture.name.rfind("camera-", 0) != 0) {
            worstHostile = std::max(worstHostile, worst);
        }
        std::printf("%-26s %8zu %-8s %8.1f %8.1f %8.1f %8.1f  %8.1f %8.1f %8.1f %8.1f  %s\n",
                    picture.name.c_str(), picture.bytes.size(), upright.shown ? "shown" : "refused",
                    upright.worst, upright.first, upright.next, upright.redraw, turned.worst, turned.first,
                    turned.next, turned.redraw, picture.what.c_str());
    }
    std::printf("\nworst hostile picture %.1f ms (target under %.0f ms), ordinary 640x480 picture %.1f ms\n",
                worstHostile, kTargetMs, ordinary);
    return 0;
}
