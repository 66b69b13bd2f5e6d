#pragma once
// The sink for a stream control's events (the camera view's, a grid tile's): each event becomes
// a private message posted to its window, so that the window handles it on its own thread after
// its current handler. Events arrive on the control's threads; nothing here touches the window
// but the posting.

#include "platform/com/comptr.h"

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
    ComPtr<DispatchSink> sink;
};
