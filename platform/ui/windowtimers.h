#pragma once
// The timers of one window: numbered, periodic, delivered on the window's thread. Setting and
// killing a timer is safe from any thread; once KillTimer has returned, that timer's handler is
// not called again (a tick that was already queued is dropped).

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

class WindowTimers : public QObject {
  public:
    // Timers run on the thread that creates the object (or its parent's); onTimer gets the
    // timer's number.
    explicit WindowTimers(std::function<void(int id)> onTimer, QObject* parent = nullptr);
    ~WindowTimers() override;

    void SetTimer(int id, uint32_t periodMs);
    void KillTimer(int id);
    bool IsRunning(int id) const;

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    struct Timer {
        uint32_t period = 0;
        bool wanted = false;     // as last asked for, from any thread
        uint64_t generation = 0; // changes with every set or kill
        int qtTimer = 0;         // the running Qt timer; window thread only
        uint64_t runningGeneration = 0;
    };

    // Makes the running Qt timers match what was asked for; window thread only.
    void Apply();

    std::function<void(int id)> onTimer;
    mutable std::mutex lock;
    std::map<int, Timer> timers; // guarded by lock (qtTimer: window thread)
};
