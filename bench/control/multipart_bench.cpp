// Cutting a camera's stream into pictures: a simulated camera sends 640x480 pictures as fast
// as they are read, over loopback, for 10 s; the control's HTTP layer and reader beside ffmpeg's
// multipart demuxer on the same stream.
//   build/bench/control/multipart_bench [seconds]

#include "control/imagereader.h"

#include "tools/camsim/cameraserver.h"

#include <QProcess>
#include <QRegularExpression>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    long long pictures = 0;
    double megabytes = 0;
    double seconds = 0;
};

Figures ReadWithControl(const std::string& url, int seconds) {
    Figures figures;
    HINTERNET internet = InternetOpenW(u"CamImgCE", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    CrackedUrl parts;
    const std::u16string wide(url.begin(), url.end());
    InternetCrackUrlW(wide.c_str(), parts);
    HINTERNET connection = InternetConnectW(internet, parts.host.c_str(), parts.port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestW(connection, nullptr, parts.path.c_str(), nullptr, nullptr, nullptr,
                                         kRequestFlags, 0);
    if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0)) return figures;
    ImageReader reader;
    const auto start = Clock::now();
    if (reader.InitStream(request)) {
        const uint8_t* picture = nullptr;
        uint32_t length = 0;
        while (reader.Read(picture, length)) {
            ++figures.pictures;
            figures.megabytes += length / 1e6;
            if (Clock::now() - start > std::chrono::seconds(seconds)) break;
        }
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return figures;
}

Figures ReadWithFfmpeg(const std::string& url, int seconds) {
    Figures figures;
    QProcess ffmpeg;
    const auto start = Clock::now();
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostats", "-loglevel", "info", "-t", QString::number(seconds), "-f",
                            "mpjpeg", "-i", QString::fromStdString(url), "-c", "copy", "-f", "null", "-"});
    if (!ffmpeg.waitForStarted(5000)) return figures;
    ffmpeg.waitForFinished(seconds * 1000 + 30000);
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    // The final progress line: "frame= 1234 ... size=N/A time=00:00:10.00 ..."; the last frame= counts.
    const auto frames = QRegularExpression("frame=\\s*(\\d+)").globalMatch(log);
    QRegularExpressionMatch last;
    for (auto it = frames; it.hasNext();) last = it.next();
    figures.pictures = last.hasMatch() ? last.captured(1).toLongLong() : 0;
    const auto video = QRegularExpression("video:(\\d+)[kK]i?B").match(log);
    figures.megabytes = video.hasMatch() ? video.captured(1).toDouble() * 1024 / 1e6 : 0;
    return figures;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-22s %8lld pictures in %5.2f s: %8.1f pictures/s, %7.1f MB/s\n", name, f.pictures, f.seconds,
                f.pictures / f.seconds, f.megabytes / f.seconds);
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    camsim::CameraConfig config;
    config.fps = 0; // as fast as the client reads
    camsim::CameraServer server(config);
    std::string error;
    if (!server.Start(0, error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        return 1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/vexo-cgi/mjpg/video.cgi";
    const Figures control = ReadWithControl(url, seconds);
    const Figures ffmpeg = ReadWithFfmpeg(url, seconds);
    Print("stream control reader", control);
    Print("ffmpeg -f mpjpeg", ffmpeg);
    if (ffmpeg.pictures > 0) {
        std::printf("ratio (pictures/s)     %.2f\n", (control.pictures / control.seconds) / (ffmpeg.pictures / ffmpeg.seconds));
    }
    server.Stop();
    return 0;
}
