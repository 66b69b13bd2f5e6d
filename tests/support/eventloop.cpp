#include "tests/support/eventloop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void Pump(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}
