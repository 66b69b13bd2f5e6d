#pragma once
// While a stream pours in faster than anyone could watch it, lets the kernel gather a batch of
// bytes before it wakes the reading thread.
//
// On loopback a stream can arrive in many small pieces, and taking each as it comes costs more
// CPU than the bytes do. Once kFloodBytes have come within one kWindow, the socket's receive
// low-water mark is raised to kBatchBytes: neither libcurl's look for bytes nor the wait sees the
// socket readable until a batch is there, and the wait lasts at most kMaxHoldMs. A wait that ends
// without a batch ends the flood: the mark goes back to one byte, and what has come is read at
// once. So no byte is held longer than about kMaxHoldMs. A camera on a network (4K pictures over
// gigabit come at some 125 KB a millisecond) is read as it comes: should a late read make it
// look like a flood for a moment, its first batch does not fill in time and ends it. The mark
// goes back as well when the transfer ends, so a connection kept for reuse waits as any other.
//
// Not thread-safe: the thread that drives the transfer calls every member.

#include <curl/curl.h>

#include <chrono>
#include <cstddef>

class ReceiveBatching {
  public:
    using Clock = std::chrono::steady_clock;

    static constexpr size_t kBatchBytes = 256 * 1024;
    // A flood: this many bytes within one window (512 MB/s), far beyond any camera on a network.
    static constexpr size_t kFloodBytes = 2 * kBatchBytes;
    static constexpr Clock::duration kWindow = std::chrono::milliseconds(1);
    static constexpr int kMaxHoldMs = 1;

    // Body bytes that arrived at `now`.
    void Arrived(size_t bytes, Clock::time_point now);
    // Whether the next wait should be for a batch.
    bool Flooding() const { return flood; }
    // Before a wait for body bytes on `socket` (CURL_SOCKET_BAD when unknown): how long the wait
    // may last, `waitMs` or less. Raises the socket's mark while flooding.
    int BeforeWait(curl_socket_t socket, int waitMs);
    // After the wait; `socketReady` false when it ended for any other reason (time, a wake-up).
    // A batch that did not fill in time ends the flood, so what has come is read at once.
    void AfterWait(bool socketReady);
    // The transfer has ended; `kept` is the socket libcurl keeps for reuse, or CURL_SOCKET_BAD
    // when it closed it (with its mark).
    void Ended(curl_socket_t kept);
    // The socket whose mark is raised, or CURL_SOCKET_BAD.
    curl_socket_t Raised() const { return raisedOn; }

  private:
    void EndFlood();
    void Stop();
    static bool SetMark(curl_socket_t socket, int bytes);

    Clock::time_point windowStart{};
    size_t windowBytes = 0;
    bool flood = false;
    curl_socket_t raisedOn = CURL_SOCKET_BAD;
};
