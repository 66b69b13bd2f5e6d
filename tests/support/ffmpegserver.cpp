#include "tests/support/ffmpegserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace {

constexpr int kAttempts = 5;
constexpr int kListenWaitMs = 10000;
const QString kTestSource = QStringLiteral("testsrc2=size=640x480:rate=%1");

// A loopback port that was free a moment ago.
uint16_t FreshPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(fd);
    return ok ? ntohs(address.sin_port) : 0;
}

// Whether a socket listens on 127.0.0.1:port, as the kernel lists it (a test connection would
// take ffmpeg's only client).
bool ListensOn(uint16_t port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

} // namespace

FfmpegServer::FfmpegServer(int picturesPerSecond, const QStringList& muxerOptions) {
    for (int attempt = 0; attempt < kAttempts && !listening; ++attempt) {
        const uint16_t candidate = FreshPort();
        if (candidate == 0)
            continue;
        QStringList arguments = {"-hide_banner", "-loglevel", "error", "-re",
                                 "-f",           "lavfi",     "-i",    kTestSource.arg(picturesPerSecond),
                                 "-c:v",         "mjpeg",     "-f",    "mpjpeg"};
        arguments << muxerOptions;
        arguments << "-listen"
                  << "1" << QStringLiteral("http://127.0.0.1:%1/x").arg(candidate);
        listening = StartOn(candidate, arguments);
    }
}

FfmpegServer::~FfmpegServer() {
    if (!process)
        return;
    process->kill();
    process->waitForFinished(5000);
}

bool FfmpegServer::StartOn(uint16_t candidate, const QStringList& arguments) {
    process = std::make_unique<QProcess>();
    process->start(QStringLiteral("ffmpeg"), arguments);
    if (!process->waitForStarted(5000)) {
        error = QStringLiteral("ffmpeg does not start: ") + process->errorString();
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kListenWaitMs) {
        if (ListensOn(candidate)) {
            port = candidate;
            return true;
        }
        if (process->state() == QProcess::NotRunning)
            break; // the port was taken after all
        QThread::msleep(10);
    }
    process->kill();
    process->waitForFinished(5000);
    error = QStringLiteral("ffmpeg did not listen on %1: ").arg(candidate) +
            QString::fromLocal8Bit(process->readAllStandardError());
    return false;
}

std::string FfmpegServer::Url() const {
    return "http://127.0.0.1:" + std::to_string(port) + "/x";
}

QByteArray FfmpegServer::FirstPicture() {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", kTestSource.arg(1), "-frames:v",
                  "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (!ffmpeg.waitForFinished(20000))
        return {};
    return ffmpeg.readAllStandardOutput();
}
