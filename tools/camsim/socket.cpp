#include "tools/camsim/socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace camsim {

namespace {

// Polls the socket for events and the stop signal at once.
int PollWithStop(int fd, short events, const StopSignal& stop, int timeoutMs, short& revents) {
    pollfd fds[2] = {{fd, events, 0}, {stop.Descriptor(), POLLIN, 0}};
    int ready;
    do {
        ready = poll(fds, 2, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    revents = fds[0].revents;
    if (ready > 0 && fds[1].revents != 0)
        return -2;
    return ready;
}

} // namespace

Socket::Socket(int fd, const StopSignal& stop, int number) : fd(fd), stop(stop), number(number) {}

Socket::~Socket() {
    close(fd);
}

bool Socket::Send(std::string_view data) {
    while (!data.empty()) {
        if (stop.IsSet())
            return false;
        const ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            data.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        short revents = 0;
        if (PollWithStop(fd, POLLOUT, stop, -1, revents) < 0)
            return false;
        if ((revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return false;
    }
    return true;
}

Socket::Wait Socket::Receive(std::string& into, int timeoutMs) {
    short revents = 0;
    const int ready = PollWithStop(fd, POLLIN, stop, timeoutMs, revents);
    if (ready == -2 || stop.IsSet())
        return Wait::Stopped;
    if (ready < 0)
        return Wait::Gone;
    if (ready == 0)
        return Wait::Timeout;
    char buffer[16 * 1024];
    ssize_t got;
    do {
        got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return Wait::Timeout;
    if (got <= 0)
        return Wait::Gone;
    into.append(buffer, static_cast<size_t>(got));
    return Wait::Data;
}

bool Socket::Pause(int milliseconds) {
    pollfd stopFd{stop.Descriptor(), POLLIN, 0};
    int ready;
    do {
        ready = poll(&stopFd, 1, milliseconds);
    } while (ready < 0 && errno == EINTR);
    return ready == 0 && !stop.IsSet();
}

void Socket::WaitUntilGone() {
    std::string discarded;
    for (;;) {
        discarded.clear();
        const Wait wait = Receive(discarded, -1);
        if (wait == Wait::Gone || wait == Wait::Stopped)
            return;
    }
}

} // namespace camsim
