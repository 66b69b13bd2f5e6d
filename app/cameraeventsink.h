#pragma once
// The camera view's sink for the stream control's events: each event becomes a private message
// posted to the view, so that the view handles it on its own thread after its current handler.
// Events arrive on the control's threads; nothing here touches the view but the posting.

#include "platform/com/comtypes.h"

class DispatchSink;
class QObject;

class CameraEventSink {
public:
    explicit CameraEventSink(QObject* view);
    ~CameraEventSink();
    CameraEventSink(const CameraEventSink&) = delete;
    CameraEventSink& operator=(const CameraEventSink&) = delete;

    bool Connect(IUnknown* control);
    void Disconnect();

private:
    DispatchSink* sink;
};
