#pragma once
// The FTP side of a simulated camera: it greets, waits for "QUIT", says goodbye and closes.
// That is all a camera's FTP server has to do for identification by its greeting.
//
// Threads: the configuration is fixed at construction; each client is served on its own thread
// of the listener, which Stop ends and joins.

#include "tools/camsim/listener.h"

#include <cstdint>
#include <string>

namespace camsim {

struct FtpGreeting {
    std::string line;       // the greeting, without line end
    bool multiLine = false; // a "220-" welcome line before the greeting, in the same write
    bool split = false;     // the greeting in two writes: its first half at once, the rest when the
                            // client sends something, or after splitDelayMs
    int splitDelayMs = 1000;
    bool silent = false; // accept, then send nothing at all
};

// The greeting line of a camera of that model and firmware, in the form cameras send it.
std::string DefaultGreeting(const std::string& model, const std::string& firmware);

class FtpGreeter {
  public:
    explicit FtpGreeter(FtpGreeting greeting);
    ~FtpGreeter();
    FtpGreeter(const FtpGreeter&) = delete;
    FtpGreeter& operator=(const FtpGreeter&) = delete;

    bool Start(uint16_t port, std::string& error);
    uint16_t Port() const { return listener.Port(); }
    void Stop();

  private:
    void Serve(Socket& socket);
    bool SendGreeting(Socket& socket, std::string& received);

    const FtpGreeting greeting;
    Listener listener; // last: its threads use the greeting
};

} // namespace camsim
