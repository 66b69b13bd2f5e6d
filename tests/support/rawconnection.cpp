#include "tests/support/rawconnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

RawConnection::RawConnection(uint16_t port) {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        fd = -1;
    }
}

RawConnection::~RawConnection() {
    if (fd >= 0)
        close(fd);
}

bool RawConnection::Send(std::string_view bytes) {
    while (fd >= 0 && !bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return fd >= 0;
}

bool RawConnection::SendGet(const std::string& target, const std::string& extraHeaders) {
    return Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
}

bool RawConnection::ReadMore(int timeoutMs) {
    if (fd < 0 || closed)
        return false;
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, timeoutMs) <= 0)
        return false;
    char buffer[64 * 1024];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
        closed = true;
        return false;
    }
    received.append(buffer, static_cast<size_t>(got));
    return true;
}

const std::string& RawConnection::ReadAtLeast(size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (received.size() < count && ReadMore(RemainingMs(deadline))) {
    }
    return received;
}

const std::string& RawConnection::ReadUntil(std::string_view marker, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (received.find(marker) == std::string::npos && ReadMore(RemainingMs(deadline))) {
    }
    return received;
}

const std::string& RawConnection::ReadUntilClosed(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ReadMore(RemainingMs(deadline))) {
    }
    return received;
}

std::string RawConnection::TakeAnswer(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ReadUntil("\r\n\r\n", timeoutMs);
    const size_t headEnd = received.find("\r\n\r\n");
    const size_t lengthAt = received.find("Content-Length: ");
    if (headEnd == std::string::npos || lengthAt == std::string::npos || lengthAt > headEnd)
        return std::string();
    const size_t total = headEnd + 4 + std::stoul(received.substr(lengthAt + 16));
    ReadAtLeast(total, RemainingMs(deadline));
    if (received.size() < total)
        return std::string();
    std::string answer = received.substr(0, total);
    received.erase(0, total);
    return answer;
}

bool RawConnection::StaysSilent(int milliseconds) {
    const size_t before = received.size();
    ReadMore(milliseconds);
    return received.size() == before && !closed;
}

RawAnswer SplitAnswer(const std::string& bytes) {
    RawAnswer answer;
    const size_t lineEnd = bytes.find("\r\n");
    const size_t headEnd = bytes.find("\r\n\r\n");
    if (lineEnd == std::string::npos || headEnd == std::string::npos)
        return answer;
    answer.statusLine = bytes.substr(0, lineEnd);
    answer.head = bytes.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2));
    answer.body = bytes.substr(headEnd + 4);
    return answer;
}
