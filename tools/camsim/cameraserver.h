#pragma once
// A simulated network camera on 127.0.0.1: the HTTP side of camsim.
//
//   GET /vexo-cgi/mjpg/video.cgi[?resolution=WxH|halfsize|CIF...&camera=N]   Motion-JPEG stream
//   GET /nph-update.cgi, /nph-manupdate.cgi                                 the same stream
//   GET /vexo-cgi/view/param.cgi?action=list&group=G1,G2...                 "name=value" lines
//   GET /vexo-cgi/com/ptz.cgi?...                                           PTZ command (zoom, rzoom, center)
//
// Every request is recorded (Requests()); answers other than streams keep the connection open
// for the next request. A camera that serves a limited number of streams at once
// (CameraConfig::maxStreamClients) answers one more with 503 and closes its connection. A test starts a
// server on port 0, asks Port(), may queue faults for the next requests, reads the records and the PTZ
// position, and stops it; Stop (and the destructor) ends every thread of the server before it returns.
//
// Threads: the configuration is fixed at construction and read by every connection thread; the
// fault queue is guarded by faultLock; the stream count and the unfreeze count are atomic; the request log,
// the PTZ positions and the picture cache guard themselves. The listeners are set before Start and called on
// connection threads.

#include "tools/camsim/authenticator.h"
#include "tools/camsim/cameraconfig.h"
#include "tools/camsim/framecache.h"
#include "tools/camsim/listener.h"
#include "tools/camsim/ptzcontrol.h"
#include "tools/camsim/requestlog.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace camsim {

class CameraServer {
  public:
    explicit CameraServer(CameraConfig config);
    ~CameraServer();
    CameraServer(const CameraServer&) = delete;
    CameraServer& operator=(const CameraServer&) = delete;

    // Listens on 127.0.0.1:port (0: any free port); false with a reason when it cannot.
    bool Start(uint16_t port, std::string& error);
    uint16_t Port() const { return listener.Port(); }
    void Stop();

    const CameraConfig& Config() const { return config; }
    // The next request that passes the access check and whose path begins with pathPrefix (any
    // path when empty) is answered with these faults instead of the configured ones.
    void QueueFaults(const Faults& faults, const std::string& pathPrefix = std::string());

    // Streams begun before this call that repeat a picture (Faults::repeatAfter) send changing
    // pictures again; streams begun after it freeze as their faults say.
    void Unfreeze() { ++thaws; }

    const RequestLog& Requests() const { return requests; }
    // The targets of the PTZ commands carried out, in order, as received.
    std::vector<std::string> PtzCommands() const;
    PtzPosition Position(int camera) const { return ptz.Position(camera); }

    // Told the target of every PTZ command carried out. Set before Start.
    void SetCommandListener(std::function<void(const std::string&)> listener);
    // Told the number of each stream picture (counted from 0 in each stream) right after its last
    // byte went out. Set before Start.
    void SetPictureSentListener(std::function<void(long long number)> listener);

  private:
    struct QueuedFaults {
        Faults faults;
        std::string pathPrefix;
    };

    void Serve(Socket& socket);
    // Answers one request; false when the connection is to end.
    bool Handle(Socket& socket, const RequestHead& request, size_t record);
    bool Answer(Socket& socket, size_t record, int status, const std::string& body, bool keepAlive,
                const std::string& extraHeaders = std::string());
    bool Stream(Socket& socket, const RequestHead& request, const Faults& faults, size_t record);
    bool Parameters(Socket& socket, const RequestHead& request, size_t record);
    bool PtzCommand(Socket& socket, const RequestHead& request, size_t record);
    Faults TakeFaults(const std::string& path);

    const CameraConfig config;
    Authenticator authenticator;
    FrameCache frames;
    PtzControl ptz;
    RequestLog requests;
    std::function<void(const std::string&)> commandListener;
    std::function<void(long long)> pictureSentListener;
    std::atomic<int> streamClients{0}; // streams being served
    std::atomic<unsigned> thaws{0};    // Unfreeze calls

    std::mutex faultLock;
    std::deque<QueuedFaults> queuedFaults; // guarded by faultLock

    Listener listener; // last: its threads use everything above, and it stops first
};

} // namespace camsim
