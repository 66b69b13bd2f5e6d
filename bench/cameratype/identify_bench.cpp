// Times camera identifications against simulated cameras on loopback: `zelctl identify` as a
// user runs it (process start included), and the same identification inside this process as the
// reference. Prints the median, minimum and maximum of 20 runs for each way of identifying.

#include "cameratype/cameratypelookup.h"
#include "cameratype/identification.h"
#include "foundation/log.h"
#include "settings/settingsstore.h"
#include "tools/camsim/cameraserver.h"
#include "tools/camsim/ftpgreeter.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 20;

struct Camera {
    explicit Camera(bool parameterQuery) : server(Config(parameterQuery)), ftp(Greeting()) {
        std::string error;
        if (!server.Start(0, error) || !ftp.Start(0, error))
            std::fprintf(stderr, "camsim: %s\n", error.c_str());
    }
    static camsim::CameraConfig Config(bool parameterQuery) {
        camsim::CameraConfig config;
        config.parameterQuery = parameterQuery;
        return config;
    }
    static camsim::FtpGreeting Greeting() {
        camsim::FtpGreeting greeting;
        greeting.line = camsim::DefaultGreeting("Alder", "2.10");
        return greeting;
    }
    camsim::CameraServer server;
    camsim::FtpGreeter ftp;
};

// Milliseconds of each run; a failed run is reported and counted as it took.
std::vector<double> Time(const char* what, const std::function<bool()>& identify) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!identify())
            std::fprintf(stderr, "%s, run %d: not identified\n", what, i + 1);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

void Report(const char* what, const std::function<bool()>& identify) {
    std::vector<double> times = Time(what, identify);
    std::sort(times.begin(), times.end());
    const double median = (times[kRuns / 2 - 1] + times[kRuns / 2]) / 2;
    std::printf("%-44s median %7.1f ms   min %7.1f ms   max %7.1f ms   (%d runs)\n", what, median,
                times.front(), times.back(), kRuns);
}

bool RunZelctl(const Camera& camera) {
    QProcess process;
    process.start(QStringLiteral(ZELCTL_PATH),
                  {"identify", "127.0.0.1", "--port", QString::number(camera.server.Port()), "--ftp-port",
                   QString::number(camera.ftp.Port())});
    const bool identified = process.waitForFinished(20000) && process.exitCode() == 0;
    if (!identified)
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
    return identified;
}

bool RunInProcess(const Camera& camera) {
    CameraTypeLookup lookup;
    lookup.SetFtpPort(camera.ftp.Port());
    QString model, firmware;
    return IdentifyCamera(lookup, {"127.0.0.1", camera.server.Port(), "", ""}, model, firmware);
}

} // namespace

int main() {
    QTemporaryDir root;
    qputenv("LUMENFOLD_ROOT", QFile::encodeName(root.path()));
    DiagLog::Instance().SetPrefix(u"identify_bench", LogLevel::Error);

    const Camera byQuery(true);
    const Camera byGreeting(false);
    Report("zelctl identify, parameter query", [&] { return RunZelctl(byQuery); });
    Report("zelctl identify, FTP greeting", [&] { return RunZelctl(byGreeting); });
    Report("in process (reference), parameter query", [&] { return RunInProcess(byQuery); });
    Report("in process (reference), FTP greeting", [&] { return RunInProcess(byGreeting); });
    return 0;
}
