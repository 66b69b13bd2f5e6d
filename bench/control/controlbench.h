#pragma once
// What the control's benchmarks share: camsim as a process of its own, so that serving the camera
// costs the benchmark's process nothing; CPU time, the share of a core and resident memory; and an
// application that counts the paints of a window.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#ifdef CAMSIM_PATH
// Starts camsim on a free port with the options given; the stream's URL, or empty when it did not
// start.
inline QString StartCamsim(QProcess& camsim, const QStringList& options) {
    camsim.start(CAMSIM_PATH, QStringList{"--port", "0"} + options);
    if (!camsim.waitForReadyRead(5000))
        return QString();
    const auto port = QRegularExpression("(\\d{4,5})").match(QString::fromUtf8(camsim.readAll()));
    return port.hasMatch() ? "http://127.0.0.1:" + port.captured(1) + "/vexo-cgi/mjpg/video.cgi" : QString();
}
#endif

// An application that counts the paints of one window, once each has been handled.
class PaintWatch : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const bool paint = event->type() == QEvent::Paint && receiver == watched;
        const bool handled = QApplication::notify(receiver, event);
        if (paint)
            ++paints;
        return handled;
    }
    QObject* watched = nullptr;
    int paints = 0;
};

// User and system CPU time in seconds of this process (RUSAGE_SELF) or of the children it waited for.
inline double CpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double ResidentMiB() {
    QFile status("/proc/self/statm");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0) : 0;
}

// Runs the event loop for the given seconds; the process's share of one core meanwhile.
inline double CoreShare(int seconds) {
    const double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return (CpuSeconds() - cpu) / (wall.elapsed() / 1000.0);
}
