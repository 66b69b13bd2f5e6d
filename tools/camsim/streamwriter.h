#pragma once
// Sends one endless Motion-JPEG answer on a client connection:
//
//   HTTP/1.1 200 OK
//   Content-Type: multipart/x-mixed-replace; boundary=myboundary
//   ...
//
//   --myboundary CRLF
//   Content-Type: image/jpeg CRLF Content-Length: N CRLF CRLF <N bytes> CRLF CRLF --myboundary CRLF
//   Content-Type: image/jpeg CRLF ...
//
// each picture with the next part's boundary line in one piece, shaped by a set of faults (which
// also give the formats of other servers: another boundary, the boundary line first in each
// piece, LF line ends, no Content-Length, more header lines). Runs on the connection's thread
// until a fault ends the stream, the client goes away or the server stops.

#include "tools/camsim/faults.h"
#include "tools/camsim/framecache.h"
#include "tools/camsim/socket.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace camsim {

class StreamWriter {
  public:
    // Which pre-encoded cycle the next picture comes from (the zoom and centre may change).
    using SceneSource = std::function<std::shared_ptr<FrameCycle>()>;
    // Told every body byte sent, after chunk framing is taken off.
    using BodyRecorder = std::function<void(std::string_view)>;
    // Told the number of each picture whose last byte has gone out.
    using PictureSent = std::function<void(long long number)>;
    // How often the server was told to unfreeze: a frozen stream thaws when the count changes.
    using ThawCount = std::function<unsigned()>;

    StreamWriter(Socket& socket, const Faults& faults, double fps, SceneSource scene, BodyRecorder recorder,
                 PictureSent sent = PictureSent(), ThawCount thaws = ThawCount());
    void Run();

    // The part headers of a picture of that many bytes, from the boundary to the blank line.
    static std::string PartHeader(size_t pictureBytes, const Faults& faults);
    // "--", the boundary and a line end.
    static std::string BoundaryLine(const Faults& faults);

  private:
    bool SendBody(std::string_view bytes);
    bool EndBody();
    std::string Shape(const std::string& picture) const;
    bool NeedsShaping() const;
    // The bytes after a picture that its Content-Length counts.
    std::string CountedTrailer(size_t pictureBytes) const;
    bool WaitForNextPicture();

    Socket& socket;
    const Faults faults;
    const double fps;
    const SceneSource scene;
    const BodyRecorder recorder;
    const PictureSent sent;
    const ThawCount thaws;
    uint64_t bodySent = 0; // body bytes sent, before chunk framing
    std::chrono::steady_clock::time_point nextPicture;
};

} // namespace camsim
