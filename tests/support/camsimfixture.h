#pragma once
// A simulated camera inside the test process, on 127.0.0.1, and small helpers around it.
//
//   InProcessCamsim camera;                        // default camera, any free port
//   camera.Server().QueueFaults(faults);           // the next request misbehaves
//   ... talk to camera.Url("/vexo-cgi/mjpg/video.cgi") ...
//   camera.Server().Requests().WaitFinished(0, kCamsimWaitMs);
//
// The destructor stops the server; all its threads have ended when it returns.

#include "tools/camsim/cameraserver.h"

#include <cstdint>
#include <functional>
#include <string>

// How long a test waits for something camsim is expected to do at once; only a failing test
// ever waits this long.
inline constexpr int kCamsimWaitMs = 5000;

class InProcessCamsim {
  public:
    explicit InProcessCamsim(const camsim::CameraConfig& config = camsim::CameraConfig());
    ~InProcessCamsim();
    InProcessCamsim(const InProcessCamsim&) = delete;
    InProcessCamsim& operator=(const InProcessCamsim&) = delete;

    camsim::CameraServer& Server() { return server; }
    uint16_t Port() const { return server.Port(); }
    // "http://127.0.0.1:<port>" followed by the target.
    std::string Url(const std::string& target) const;
    std::u16string WideUrl(const std::string& target) const;

  private:
    camsim::CameraServer server;
};

// A camera whose streams run as fast as the client reads, so that tests never wait for frames.
camsim::CameraConfig FastCamera();
// A camera that streams only with Digest access as "viewer", password "s3cret".
camsim::CameraConfig PasswordCamera();

// Polls the condition every millisecond until it holds (true) or timeoutMs have passed (false),
// for conditions that nothing signals, such as another thread's progress.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kCamsimWaitMs);

// A loopback port on which nothing listens: connecting to it is refused.
uint16_t UnusedLoopbackPort();
