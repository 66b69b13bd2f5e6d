#include "tools/camsim/listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace camsim {

namespace {
// More clients than any test or the demo makes; beyond it a client is closed at once.
constexpr size_t kMaxClients = 64;
} // namespace

Listener::Listener(Handler handler) : handler(std::move(handler)) {}

Listener::~Listener() {
    Stop();
}

bool Listener::Start(uint16_t port, std::string& error) {
    listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd, 16) != 0 ||
        getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = "127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        close(listenFd);
        listenFd = -1;
        return false;
    }
    boundPort = ntohs(address.sin_port);
    acceptThread = std::thread(&Listener::AcceptLoop, this);
    return true;
}

void Listener::Stop() {
    stop.Set();
    if (acceptThread.joinable())
        acceptThread.join();
    std::list<std::unique_ptr<Worker>> remaining;
    {
        std::lock_guard<std::mutex> guard(lock);
        remaining.swap(workers);
    }
    for (auto& worker : remaining)
        worker->thread.join();
}

void Listener::AcceptLoop() {
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {stop.Descriptor(), POLLIN, 0}};
    while (!stop.IsSet()) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int client = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            // Out of descriptors: the client stays queued; try again a little later.
            if (errno == EMFILE || errno == ENFILE)
                poll(&fds[1], 1, 100);
            continue;
        }
        const int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        JoinFinishedWorkers();
        std::lock_guard<std::mutex> guard(lock);
        if (workers.size() >= kMaxClients) {
            close(client);
            continue;
        }
        auto worker = std::make_unique<Worker>();
        Worker* self = worker.get();
        const int number = ++connections;
        worker->thread = std::thread([this, self, client, number] {
            {
                Socket socket(client, stop, number);
                handler(socket);
            }
            self->done = true;
        });
        workers.push_back(std::move(worker));
    }
    close(listenFd);
    listenFd = -1;
}

void Listener::JoinFinishedWorkers() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto it = workers.begin(); it != workers.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished)
        worker->thread.join();
}

} // namespace camsim
