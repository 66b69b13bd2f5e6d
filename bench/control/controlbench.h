#pragma once
// What the control's benchmarks share: camsim as a process of its own, so that serving the camera
// costs the benchmark's process nothing, and an application that counts the paints of a window.

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Starts camsim on a free port with the options given; the stream's URL, or empty when it did not
// start.
inline QString StartCamsim(QProcess& camsim, const QStringList& options) {
    camsim.start(CAMSIM_PATH, QStringList{"--port", "0"} + options);
    if (!camsim.waitForReadyRead(5000))
        return QString();
    const auto port = QRegularExpression("(\\d{4,5})").match(QString::fromUtf8(camsim.readAll()));
    return port.hasMatch() ? "http://127.0.0.1:" + port.captured(1) + "/vexo-cgi/mjpg/video.cgi" : QString();
}

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
