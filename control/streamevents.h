#pragma once
// The events a stream control fires to its host, as a camera source and a display raise them.
// They may be fired on any thread: the source's read thread for most, the host's UI thread for
// those that follow a call of the host.

class StreamEvents {
  public:
    virtual void FireOnConnectionFailed(int status) = 0;
    virtual void FireOnConnectionBroken(int status) = 0;
    virtual void FireOnStreamStarted() = 0;
    virtual void FireOnSize(int width, int height) = 0;
    virtual void FireOnStreamStopped() = 0;
    // Motion in the camera's pictures started (or ended) at that picture of the stream.
    virtual void FireOnMotion(bool started, int picture) = 0;

  protected:
    ~StreamEvents() = default;
};
