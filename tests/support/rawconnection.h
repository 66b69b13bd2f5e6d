#pragma once
// A plain TCP client on 127.0.0.1, for tests that look at the bytes on the wire. Every read
// waits with a bound and returns what has arrived by then.

#include <cstdint>
#include <string>
#include <string_view>

class RawConnection {
  public:
    static constexpr int kWaitMs = 5000;

    explicit RawConnection(uint16_t port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool IsConnected() const { return fd >= 0; }
    bool Send(std::string_view bytes);
    // "GET target HTTP/1.1" with a Host header, the extra header lines (each ending in CRLF) and
    // the blank line.
    bool SendGet(const std::string& target, const std::string& extraHeaders = std::string());

    // Each reads until its condition holds, the peer closes, or timeoutMs pass.
    const std::string& ReadAtLeast(size_t count, int timeoutMs = kWaitMs);
    const std::string& ReadUntil(std::string_view marker, int timeoutMs = kWaitMs);
    const std::string& ReadUntilClosed(int timeoutMs = kWaitMs);
    // Takes one answer with a Content-Length (head and body) out of what is received, reading
    // as needed; empty when none is complete in time.
    std::string TakeAnswer(int timeoutMs = kWaitMs);
    // True when nothing arrives for that long and the peer keeps the connection.
    bool StaysSilent(int milliseconds);

    bool PeerClosed() const { return closed; }
    const std::string& Received() const { return received; }
    // Forgets what was received so far.
    void Clear() { received.clear(); }

  private:
    // Waits up to timeoutMs for more bytes; false when none came.
    bool ReadMore(int timeoutMs);

    int fd = -1;
    bool closed = false;
    std::string received;
};

// The header block and body of an HTTP answer held in raw bytes.
struct RawAnswer {
    std::string statusLine;
    std::string head; // header lines, each ending in CRLF
    std::string body; // everything after the blank line
};
RawAnswer SplitAnswer(const std::string& bytes);
