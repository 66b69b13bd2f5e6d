// Cutting a camera's stream into pictures: a simulated camera sends 640x480 pictures as fast
// as they are read, over loopback, for 10 s; the control's HTTP layer and reader beside ffmpeg's
// multipart demuxer on the same stream, once with Content-Length in the parts and once without.
// When the camera's sending is the limit for both, the CPU each reader needed per picture tells
// them apart; the target is at least 1.5 times ffmpeg's pictures per CPU second. A third line, a bare socket
// that only receives, each piece as it arrives, shows the floor under the CPU per picture of a reader that
// wakes for every piece (the control's reader takes a flood in batches instead). A second argument, "with" or
// "without", runs one format alone (for a profiler).
//   build/bench/control/multipart_bench [seconds] [with|without]

#include "control/imagereader.h"

#include "tools/camsim/cameraserver.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    long long pictures = 0;
    double megabytes = 0;
    double seconds = 0;
    double cpuSeconds = 0; // of the reading thread or process alone
};

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system time of a process so far, from /proc.
double ProcessCpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QString text = QString::fromLatin1(stat.readAll());
    const QStringList fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? (fields[11].toDouble() + fields[12].toDouble()) / sysconf(_SC_CLK_TCK) : 0;
}

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
    if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0))
        return figures;
    ImageReader reader;
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    if (reader.InitStream(request)) {
        const uint8_t* picture = nullptr;
        uint32_t length = 0;
        while (reader.Read(picture, length)) {
            ++figures.pictures;
            figures.megabytes += length / 1e6;
            if (Clock::now() - start > std::chrono::seconds(seconds))
                break;
        }
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return figures;
}

// The floor under a reader that wakes for every piece: the same request on a bare socket, and
// recv() into one buffer until the time is up, with no parsing and no copy beyond the kernel's. Its pictures
// are the bytes received over the bytes per picture the control's reader saw (part headers, some 0.5 % of a
// part, are counted as picture bytes).
Figures ReadBareSocket(int port, const std::string& path, int seconds, double bytesPerPicture) {
    Figures figures;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        send(fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) {
        if (fd >= 0)
            close(fd);
        return figures;
    }
    std::vector<char> buffer(64 * 1024);
    long long bytes = 0;
    const auto start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        const ssize_t got = recv(fd, buffer.data(), buffer.size(), 0);
        if (got <= 0)
            break;
        bytes += got;
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    close(fd);
    figures.megabytes = bytes / 1e6;
    figures.pictures = bytesPerPicture > 0 ? static_cast<long long>(bytes / bytesPerPicture) : 0;
    return figures;
}

Figures ReadWithFfmpeg(const std::string& url, int seconds) {
    Figures figures;
    // The stream has no timestamps, so ffmpeg's own time limit would count pictures, not seconds:
    // it runs for the wall-clock time and is then asked to stop, which it does with its summary.
    QProcess ffmpeg;
    const auto start = Clock::now();
    ffmpeg.start("ffmpeg", {"-hide_banner", "-stats", "-stats_period", "0.5", "-loglevel", "info", "-f",
                            "mpjpeg", "-i", QString::fromStdString(url), "-c", "copy", "-f", "null", "-"});
    if (!ffmpeg.waitForStarted(5000))
        return figures;
    ffmpeg.waitForFinished(seconds * 1000);
    figures.cpuSeconds = ProcessCpuSeconds(ffmpeg.processId());
    ffmpeg.terminate();
    ffmpeg.waitForFinished(10000);
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    // The final progress line: "frame= 1234 ... size=N/A time=00:00:10.00 ..."; the last frame= counts.
    const auto frames = QRegularExpression("frame=\\s*(\\d+)").globalMatch(log);
    QRegularExpressionMatch last;
    for (auto it = frames; it.hasNext();)
        last = it.next();
    figures.pictures = last.hasMatch() ? last.captured(1).toLongLong() : 0;
    const auto video = QRegularExpression("video:(\\d+)[kK]i?B").match(log);
    figures.megabytes = video.hasMatch() ? video.captured(1).toDouble() * 1024 / 1e6 : 0;
    return figures;
}

void Print(const char* name, const Figures& f) {
    std::printf("%-22s %8lld pictures in %5.2f s: %8.1f pictures/s, %7.1f MB/s; %5.2f s of CPU, %8.0f "
                "pictures per CPU second\n",
                name, f.pictures, f.seconds, f.pictures / f.seconds, f.megabytes / f.seconds, f.cpuSeconds,
                f.pictures / f.cpuSeconds);
}

// One stream format: the control's reader and ffmpeg's on the same camera.
void Compare(const char* format, bool contentLength, int seconds) {
    camsim::CameraConfig config;
    config.fps = 0; // as fast as the client reads
    config.faults.partContentLength = contentLength;
    camsim::CameraServer server(config);
    std::string error;
    if (!server.Start(0, error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        return;
    }
    const std::string path = "/vexo-cgi/mjpg/video.cgi";
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + path;
    const Figures control = ReadWithControl(url, seconds);
    const Figures ffmpeg = ReadWithFfmpeg(url, seconds);
    const Figures bare = ReadBareSocket(
        server.Port(), path, seconds, control.pictures > 0 ? control.megabytes * 1e6 / control.pictures : 0);
    std::printf("parts %s\n", format);
    Print("stream control reader", control);
    Print("ffmpeg -f mpjpeg", ffmpeg);
    Print("bare recv(), no parsing", bare);
    if (ffmpeg.pictures > 0 && bare.pictures > 0)
        std::printf("floor: bare recv() / ffmpeg, pictures per CPU second %.2f\n",
                    (bare.pictures / bare.cpuSeconds) / (ffmpeg.pictures / ffmpeg.cpuSeconds));
    if (ffmpeg.pictures > 0) {
        std::printf("ratio (pictures/s)     %.2f\n",
                    (control.pictures / control.seconds) / (ffmpeg.pictures / ffmpeg.seconds));
        const double perCpu = (control.pictures / control.cpuSeconds) / (ffmpeg.pictures / ffmpeg.cpuSeconds);
        std::printf("ratio (pictures per CPU second) %.2f (target at least 1.50): %s\n", perCpu,
                    perCpu >= 1.5 ? "met" : "NOT met");
    }
    server.Stop();
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string only = argc > 2 ? argv[2] : "";
    if (only != "without")
        Compare("with Content-Length", true, seconds);
    if (only != "with")
        Compare("without Content-Length", false, seconds);
    return 0;
}
