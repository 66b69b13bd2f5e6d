#include "tests/support/camsimfixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

InProcessCamsim::InProcessCamsim(const camsim::CameraConfig& config) : server(config) {
    std::string error;
    EXPECT_TRUE(server.Start(0, error)) << error;
}

InProcessCamsim::~InProcessCamsim() {
    server.Stop();
}

std::string InProcessCamsim::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(Port()) + target;
}

std::u16string InProcessCamsim::WideUrl(const std::string& target) const {
    const std::string url = Url(target);
    return std::u16string(url.begin(), url.end());
}

camsim::CameraConfig FastCamera() {
    camsim::CameraConfig config;
    config.fps = 0;
    return config;
}

camsim::CameraConfig PasswordCamera() {
    camsim::CameraConfig config;
    config.auth = camsim::AuthMode::Digest;
    config.user = "viewer";
    config.password = "s3cret";
    return config;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

uint16_t UnusedLoopbackPort() {
    // A socket bound but not listening holds the port, so no other test can start listening on
    // it while this one expects refusals; the kernel refuses connections to it.
    static const int holder = [] {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        return fd;
    }();
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}
