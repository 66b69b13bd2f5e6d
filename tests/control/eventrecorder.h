#pragma once
// Records the events a control fires, as text ("OnSize 640 480"), with whether they arrived on
// the test's (UI) thread, and waits for them while the UI thread's events keep running.

#include "platform/com/comptr.h"
#include "platform/com/comtypes.h"
#include "tests/support/eventloop.h"

#include <QString>
#include <QStringList>

#include <mutex>
#include <thread>
#include <vector>

class DispatchSink;

struct RecordedEvent {
    QString text;
    bool onUiThread;
};

class EventRecorder {
  public:
    explicit EventRecorder(IUnknown* control);
    ~EventRecorder();
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    QStringList Texts() const;
    std::vector<RecordedEvent> Events() const;
    void Clear();
    // Runs the UI thread's events until the text was recorded (true) or the time is up.
    bool WaitFor(const QString& text, int timeoutMs = 5000) const;
    bool WaitForCount(int count, int timeoutMs = 5000) const;

  private:
    void Record(const QString& text);

    std::thread::id uiThread;
    ComPtr<DispatchSink> sink;
    mutable std::mutex lock;
    std::vector<RecordedEvent> events; // guarded by lock
};
