#include "platform/ui/windowtimers.h"

#include <QThread>
#include <QTimerEvent>

#include <vector>

WindowTimers::WindowTimers(std::function<void(int id)> onTimer, QObject* parent)
    : QObject(parent), onTimer(std::move(onTimer)) {}

WindowTimers::~WindowTimers() = default;

void WindowTimers::SetTimer(int id, uint32_t periodMs) {
    {
        std::lock_guard<std::mutex> guard(lock);
        Timer& timer = timers[id];
        timer.period = periodMs;
        timer.wanted = true;
        ++timer.generation;
    }
    if (QThread::currentThread() == thread()) {
        Apply();
    } else {
        QMetaObject::invokeMethod(
            this, [this] { Apply(); }, Qt::QueuedConnection);
    }
}

void WindowTimers::KillTimer(int id) {
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto found = timers.find(id);
        if (found == timers.end() || !found->second.wanted)
            return;
        found->second.wanted = false;
        ++found->second.generation;
    }
    if (QThread::currentThread() == thread()) {
        Apply();
    } else {
        QMetaObject::invokeMethod(
            this, [this] { Apply(); }, Qt::QueuedConnection);
    }
}

bool WindowTimers::IsRunning(int id) const {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = timers.find(id);
    return found != timers.end() && found->second.wanted;
}

void WindowTimers::Apply() {
    struct Start {
        int id;
        uint32_t period;
        uint64_t generation;
    };
    std::vector<int> toStop;
    std::vector<Start> toStart;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto& [id, timer] : timers) {
            if (timer.qtTimer && timer.runningGeneration != timer.generation) {
                toStop.push_back(timer.qtTimer);
                timer.qtTimer = 0;
            }
            if (timer.wanted && !timer.qtTimer) {
                toStart.push_back({id, timer.period, timer.generation});
            }
        }
    }
    for (int qtTimer : toStop)
        killTimer(qtTimer);
    for (const Start& start : toStart) {
        const int qtTimer = startTimer(static_cast<int>(start.period), Qt::PreciseTimer);
        std::lock_guard<std::mutex> guard(lock);
        Timer& timer = timers[start.id];
        timer.qtTimer = qtTimer;
        // What it was started for; a set or kill since then is applied by the call it queued.
        timer.runningGeneration = start.generation;
    }
}

void WindowTimers::timerEvent(QTimerEvent* event) {
    int id = -1;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const auto& [number, timer] : timers) {
            if (timer.qtTimer == event->timerId() && timer.wanted &&
                timer.runningGeneration == timer.generation) {
                id = number;
            }
        }
    }
    if (id >= 0)
        onTimer(id);
}
