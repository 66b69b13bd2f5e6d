// The stream control showing a 25 pictures/s 640x480 camera offscreen, as the viewer sets it
// (connection shared): its process's share of one core and its resident memory; then a second
// control of the same camera beside it, what it adds; then ffmpeg decoding the same stream
// (`ffmpeg -i URL -f null -`) for as long, the reference the control's cost is quoted against; and
// what the control's own decoding of the stream's pictures alone costs, the floor under its cost.
// The camera, a camsim process of its own, serves one client at a time: the second control
// draws only if it shares the first one's connection.
// The phases are measured in rounds, one after the other, and the medians of the rounds printed, so
// that a moment of load on the machine moves no figure.
//   build/bench/control/control_load_bench [seconds] [rounds]     (default 8 s a phase, 5 rounds)

#include "control/camimage.h"
#include "control/displaypicture.h"
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
#include <vector>

namespace {

struct ShownControl {
    ShownControl(const QString& url, QSize size = QSize(640, 480)) : control(CCamImage::Create()) {
        host.resize(size);
        host.show();
        host.AttachControl(static_cast<ICamImage*>(control.Get()));
        control->put_Stretch(1);
        control->put_SharedConnection(1);
        control->put_URL(BString(url).Get());
    }
    ~ShownControl() { host.DetachControl(); }
    // The JPEG bytes of the picture shown.
    QByteArray Picture() const {
        BString picture;
        control->get_Picture(picture.Receive());
        return picture.ToByteArray();
    }
    int64_t Drawn() const {
        int64_t read = 0, drawn = 0, bytes = 0;
        control->GetStatistics(&read, &drawn, &bytes);
        return drawn;
    }

    ControlHost host;
    ComPtr<CCamImage> control;
};

// One round's figures: each phase's share of a core.
struct Round {
    double one = 0;
    double two = 0;
    double withTile = 0;    // the second control the size of a grid's tile
    double ffmpeg = 0;      // its decoding, without its start
    double ffmpegWhole = 0; // the whole run, start and all
    double decoding = 0;    // the control's own decoding of 25 of the stream's pictures a second
    int64_t drawnOne = 0;
    int64_t drawnSecond = 0;
    int ffmpegExit = -1;
};

// The share of a core that decoding this picture 25 times a second takes, as a display of the
// control decodes it for a 640x480 window (decoding and conversion, no drawing).
double DecodingShare(const QByteArray& jpeg) {
    constexpr int kPictures = 100;
    DisplayPicture picture;
    const double before = CpuSeconds();
    for (int i = 0; i < kPictures && !jpeg.isEmpty(); ++i)
        picture.Convert(reinterpret_cast<const uint8_t*>(jpeg.constData()), jpeg.size(), 0, QSize(640, 480));
    return (CpuSeconds() - before) / kPictures * 25;
}

// The CPU seconds of `ffmpeg -i URL -t seconds -f null -`; between runs camsim takes a client again.
double FfmpegCpuSeconds(const QString& url, int seconds, int* exitCode) {
    QProcess ffmpeg;
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", url, "-t", QString::number(seconds), "-f",
                            "null", "-"});
    ffmpeg.waitForFinished((seconds + 30) * 1000);
    if (exitCode)
        *exitCode = ffmpeg.exitCode();
    const double cpu = CpuSeconds(RUSAGE_CHILDREN) - before;
    CoreShare(1);
    return cpu;
}

Round MeasureRound(const QString& url, int seconds) {
    Round round;
    auto first = std::make_unique<ShownControl>(url);
    CoreShare(2); // the stream starts
    const int64_t drawnBefore = first->Drawn();
    round.one = CoreShare(seconds);
    round.drawnOne = first->Drawn() - drawnBefore;
    const QByteArray shown = first->Picture();

    auto second = std::make_unique<ShownControl>(url);
    CoreShare(1);
    const int64_t secondBefore = second->Drawn();
    round.two = CoreShare(seconds);
    round.drawnSecond = second->Drawn() - secondBefore;
    second = std::make_unique<ShownControl>(url, QSize(320, 240));
    second->control->put_ScaledDecoding(1); // as the grid's tiles decode
    CoreShare(1);
    round.withTile = CoreShare(seconds);
    second.reset();
    first.reset();
    CoreShare(3); // the shared stream's linger ends, and with it the connection

    // ffmpeg's start (loading its libraries, opening the stream) costs about a tenth of a second of
    // CPU, as much as seconds of its decoding: a run of one second is taken from the long run's
    // CPU, so that the reference is what its decoding costs.
    const double shortRun = FfmpegCpuSeconds(url, 1, nullptr);
    const double longRun = FfmpegCpuSeconds(url, seconds + 1, &round.ffmpegExit);
    round.ffmpegWhole = longRun / (seconds + 1);
    round.ffmpeg = (longRun - shortRun) / seconds;
    round.decoding = DecodingShare(shown);
    return round;
}

template <typename Field> double Median(std::vector<Round> rounds, Field field) {
    std::vector<double> values;
    for (const Round& round : rounds)
        values.push_back(field(round));
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QProcess camsim;
    const QString url = StartCamsim(camsim, {"--fps", "25", "--max-clients", "1"});
    if (url.isEmpty())
        return 1;

    std::vector<Round> measured;
    for (int r = 0; r < rounds; ++r) {
        measured.push_back(MeasureRound(url, seconds));
        const Round& round = measured.back();
        std::printf("round %d: one control %.2f %%, two %.2f %% (%lld and %lld pictures drawn), with a tile "
                    "%.2f %%, ffmpeg %.2f "
                    "%%, %.2f %% "
                    "with its start (exit %d), decoding alone %.2f %%\n",
                    r + 1, 100.0 * round.one, 100.0 * round.two, static_cast<long long>(round.drawnOne),
                    static_cast<long long>(round.drawnSecond), 100.0 * round.withTile, 100.0 * round.ffmpeg,
                    100.0 * round.ffmpegWhole, round.ffmpegExit, 100.0 * round.decoding);
    }
    const double one = Median(measured, [](const Round& r) { return r.one; });
    const double added = Median(measured, [](const Round& r) { return r.two - r.one; });
    const double addedTile = Median(measured, [](const Round& r) { return r.withTile - r.one; });
    const double decoding = Median(measured, [](const Round& r) { return r.decoding; });
    const double reference = Median(measured, [](const Round& r) { return r.ffmpeg; });
    const double whole = Median(measured, [](const Round& r) { return r.ffmpegWhole; });
    const double ratio =
        Median(measured, [](const Round& r) { return r.ffmpeg > 0 ? r.one / r.ffmpeg : 0.0; });
    std::printf("medians of %d rounds of %d s a phase:\n", rounds, seconds);
    std::printf("one control:  %.2f %% of a core, resident %.1f MiB\n", 100.0 * one, ResidentMiB());
    std::printf("of which its decoding and conversion of the pictures alone: %.2f %% of a core\n",
                100.0 * decoding);
    std::printf("a second control of the camera, on the one connection, adds %.2f %%\n", 100.0 * added);
    std::printf("a second control the size of a grid's tile (320x240, scaled decoding) adds %.2f %%\n",
                100.0 * addedTile);
    std::printf("ffmpeg -i URL -f null -, its decoding: %.2f %% of a core; one control against it: %.2f\n",
                100.0 * reference, ratio);
    std::printf("ffmpeg's whole run, its start counted: %.2f %% of a core; one control against it: %.2f\n",
                100.0 * whole, whole > 0 ? one / whole : 0.0);
    camsim.terminate();
    camsim.waitForFinished(3000);
    return 0;
}
