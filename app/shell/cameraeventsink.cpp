#include "app/shell/cameraeventsink.h"

#include "app/resources/resource.h"

#include "control/interface/camimageinterface.h"
#include "platform/com/dispatchsink.h"
#include "platform/ui/messages.h"

#include <QPointer>

namespace {

int MessageOf(DISPID member) {
    switch (member) {
    case CamImageEventDispid::OnSize:
        return Message::PictureSize;
    case CamImageEventDispid::OnStreamStarted:
        return Message::StreamStarted;
    case CamImageEventDispid::OnConnectionFailed:
        return Message::ConnectionFailed;
    case CamImageEventDispid::OnConnectionBroken:
        return Message::ConnectionBroken;
    case CamImageEventDispid::OnStreamStopped:
        return Message::StreamStopped;
    case CamImageEventDispid::OnMotion:
        return Message::Motion;
    default:
        return 0;
    }
}

} // namespace

CameraEventSink::CameraEventSink(QObject* view) {
    // Posting is safe from any thread, and a message to a view that is gone is dropped.
    const auto post = [view](DISPID member, const DISPPARAMS& parameters) {
        const int message = MessageOf(member);
        if (!message)
            return;
        const auto first = static_cast<int16_t>(DispatchSink::Argument(parameters, 0));
        const auto second = static_cast<int16_t>(DispatchSink::Argument(parameters, 1));
        PostMessage(view, WM_USER + message, first, second);
    };
    sink = ComPtr<DispatchSink>(DispatchSink::Create(DIID_ICamImageEvents, post));
}

CameraEventSink::~CameraEventSink() {
    sink->Disconnect();
}

bool CameraEventSink::Connect(IUnknown* control) {
    return sink->Connect(control);
}

void CameraEventSink::Disconnect() {
    sink->Disconnect();
}
