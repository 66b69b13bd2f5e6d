#include "platform/http/receivebatching.h"

#include <sys/socket.h>

#include <algorithm>

void ReceiveBatching::Arrived(size_t bytes, Clock::time_point now) {
    if (now - windowStart > kWindow) {
        windowStart = now;
        windowBytes = 0;
    }
    windowBytes += bytes;
    if (windowBytes >= kFloodBytes)
        flood = true;
}

int ReceiveBatching::BeforeWait(curl_socket_t socket, int waitMs) {
    if (!flood || socket == CURL_SOCKET_BAD) {
        Stop();
        return waitMs;
    }
    if (socket != raisedOn) {
        Stop();
        if (!SetMark(socket, static_cast<int>(kBatchBytes)))
            return waitMs;
        raisedOn = socket;
    }
    return std::min(waitMs, kMaxHoldMs);
}

void ReceiveBatching::AfterWait(bool socketReady) {
    if (!socketReady && raisedOn != CURL_SOCKET_BAD)
        EndFlood();
}

void ReceiveBatching::Ended(curl_socket_t kept) {
    if (kept != raisedOn)
        raisedOn = CURL_SOCKET_BAD; // closed: its number may already be another socket's
    EndFlood();
}

void ReceiveBatching::EndFlood() {
    flood = false;
    windowBytes = 0;
    Stop();
}

void ReceiveBatching::Stop() {
    if (raisedOn == CURL_SOCKET_BAD)
        return;
    SetMark(raisedOn, 1);
    raisedOn = CURL_SOCKET_BAD;
}

bool ReceiveBatching::SetMark(curl_socket_t socket, int bytes) {
    return setsockopt(socket, SOL_SOCKET, SO_RCVLOWAT, &bytes, sizeof bytes) == 0;
}
