#include "tools/camsim/ftpgreeter.h"

#include <algorithm>
#include <cctype>

namespace camsim {

namespace {

// A client that says nothing for this long is closed.
constexpr int kIdleMs = 60000;
constexpr size_t kMaxLineBytes = 4096;

bool IsQuit(const std::string& line) {
    std::string word = line.substr(0, 4);
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::toupper(c); });
    return word == "QUIT";
}

} // namespace

std::string DefaultGreeting(const std::string& model, const std::string& firmware) {
    return "220 VEXO " + model + " Network Camera " + firmware + " (Jan 12 2004) ready.";
}

FtpGreeter::FtpGreeter(FtpGreeting greeting)
    : greeting(std::move(greeting)), listener([this](Socket& socket) { Serve(socket); }) {}

FtpGreeter::~FtpGreeter() {
    Stop();
}

bool FtpGreeter::Start(uint16_t port, std::string& error) {
    return listener.Start(port, error);
}

void FtpGreeter::Stop() {
    listener.Stop();
}

void FtpGreeter::Serve(Socket& socket) {
    if (greeting.silent) {
        socket.WaitUntilGone();
        return;
    }
    std::string received;
    if (!SendGreeting(socket, received))
        return;
    for (;;) {
        size_t lineEnd;
        while ((lineEnd = received.find('\n')) == std::string::npos) {
            if (received.size() > kMaxLineBytes)
                return;
            if (socket.Receive(received, kIdleMs) != Socket::Wait::Data)
                return;
        }
        const std::string line = received.substr(0, lineEnd);
        received.erase(0, lineEnd + 1);
        if (IsQuit(line)) {
            socket.Send("221 Goodbye.\r\n");
            return;
        }
        if (!socket.Send("530 Please login with USER and PASS.\r\n"))
            return;
    }
}

bool FtpGreeter::SendGreeting(Socket& socket, std::string& received) {
    const std::string text =
        (greeting.multiLine ? "220-Welcome to the camera's FTP server.\r\n" : "") + greeting.line + "\r\n";
    if (!greeting.split)
        return socket.Send(text);
    const size_t half = text.size() / 2;
    if (!socket.Send(std::string_view(text).substr(0, half)))
        return false;
    const Socket::Wait wait = socket.Receive(received, greeting.splitDelayMs);
    if (wait == Socket::Wait::Gone || wait == Socket::Wait::Stopped)
        return false;
    return socket.Send(std::string_view(text).substr(half));
}

} // namespace camsim
