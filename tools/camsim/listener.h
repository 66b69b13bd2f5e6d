#pragma once
// A TCP listener on 127.0.0.1 that serves each client on a thread of its own.
//
// Threads: Start and Stop run on the owner's thread; the accept thread owns the listening socket
// and adds to `workers`; each worker thread runs the handler for one client. Stop sets the stop
// signal, which ends every wait of the accept loop and of the handlers' sockets, then joins all of
// them, so no thread of the listener runs after Stop returns.

#include "tools/camsim/socket.h"
#include "tools/camsim/stopsignal.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace camsim {

class Listener {
  public:
    using Handler = std::function<void(Socket&)>;

    explicit Listener(Handler handler);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Listens on 127.0.0.1:port (0: any free port). False with a reason when it cannot.
    bool Start(uint16_t port, std::string& error);
    uint16_t Port() const { return boundPort; }
    void Stop();

  private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void JoinFinishedWorkers();

    const Handler handler;
    StopSignal stop;
    int listenFd = -1;        // owned by the accept thread while it runs
    uint16_t boundPort = 0;   // written by Start before the accept thread exists
    std::thread acceptThread; // owned by the owner's thread
    int connections = 0;      // accept thread only

    std::mutex lock;
    std::list<std::unique_ptr<Worker>> workers; // guarded by lock
};

} // namespace camsim
