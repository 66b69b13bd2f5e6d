#pragma once
// One accepted client connection. Every wait in it also ends when the server stops, so a thread
// serving a client never outlives the server's Stop by more than a poll's return.

#include "tools/camsim/stopsignal.h"

#include <string>
#include <string_view>

namespace camsim {

class Socket {
  public:
    enum class Wait { Data, Gone, Stopped, Timeout };

    // Takes ownership of the descriptor. number counts the server's connections from 1.
    Socket(int fd, const StopSignal& stop, int number);
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int Number() const { return number; }

    // False when the client has gone or the server stops.
    bool Send(std::string_view data);
    // Appends what arrives within timeoutMs (negative: no limit) to into.
    Wait Receive(std::string& into, int timeoutMs);
    // Waits; false when the server stops meanwhile.
    bool Pause(int milliseconds);
    // Discards whatever the client sends until it closes or the server stops.
    void WaitUntilGone();

  private:
    const int fd;
    const StopSignal& stop;
    const int number;
};

} // namespace camsim
