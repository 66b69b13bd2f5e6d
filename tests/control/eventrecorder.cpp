#include "tests/control/eventrecorder.h"

#include "control/interface/camimageinterface.h"
#include "platform/com/dispatchsink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

EventRecorder::EventRecorder(IUnknown* control) : uiThread(std::this_thread::get_id()) {
    sink = ComPtr<DispatchSink>(DispatchSink::Create(DIID_ICamImageEvents, [this](DISPID member,
                                                                                  const DISPPARAMS& p) {
        switch (member) {
        case CamImageEventDispid::OnSize:
            Record(
                QString("OnSize %1 %2").arg(DispatchSink::Argument(p, 0)).arg(DispatchSink::Argument(p, 1)));
            break;
        case CamImageEventDispid::OnStreamStarted:
            Record(QString("OnStreamStarted %1 %2")
                       .arg(DispatchSink::Argument(p, 0))
                       .arg(DispatchSink::Argument(p, 1)));
            break;
        case CamImageEventDispid::OnConnectionFailed:
            Record(QString("OnConnectionFailed %1").arg(DispatchSink::Argument(p, 0)));
            break;
        case CamImageEventDispid::OnConnectionBroken:
            Record(QString("OnConnectionBroken %1").arg(DispatchSink::Argument(p, 0)));
            break;
        case CamImageEventDispid::OnStreamStopped:
            Record("OnStreamStopped");
            break;
        case CamImageEventDispid::OnMotion:
            Record(QString("OnMotion %1 %2")
                       .arg(DispatchSink::Argument(p, 0))
                       .arg(DispatchSink::Argument(p, 1)));
            break;
        default:
            Record(QString("unknown %1").arg(member));
        }
    }));
    sink->Connect(control);
}

EventRecorder::~EventRecorder() {
    sink->Disconnect();
}

void EventRecorder::Record(const QString& text) {
    std::lock_guard<std::mutex> guard(lock);
    events.push_back({text, std::this_thread::get_id() == uiThread});
}

QStringList EventRecorder::Texts() const {
    std::lock_guard<std::mutex> guard(lock);
    QStringList texts;
    for (const RecordedEvent& event : events)
        texts.append(event.text);
    return texts;
}

std::vector<RecordedEvent> EventRecorder::Events() const {
    std::lock_guard<std::mutex> guard(lock);
    return events;
}

void EventRecorder::Clear() {
    std::lock_guard<std::mutex> guard(lock);
    events.clear();
}

bool EventRecorder::WaitFor(const QString& text, int timeoutMs) const {
    return PumpUntil([this, &text] { return Texts().contains(text); }, timeoutMs);
}

bool EventRecorder::WaitForCount(int count, int timeoutMs) const {
    return PumpUntil([this, count] { return Texts().size() >= count; }, timeoutMs);
}
