#pragma once
// The last seconds of a camera's own pictures, kept by its source for instant replay and clips:
// each picture's JPEG bytes as they arrived, with the time they arrived (the wall clock, in
// milliseconds since 1970) and a number that goes up by one a picture. It keeps nothing until a
// display asks for some seconds; then it keeps the most seconds asked for, within the most bytes
// asked for and within kAllCamerasBytes for the pictures of every camera together, the oldest
// going first.
//
// Threads: Add on the source's read thread; the rest on the displays' (UI) thread. lock guards
// the pictures; the bytes of a picture are shared, never changed, so a copy of the list outlives
// the memory's trimming.

#include <QDateTime>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class ReplayMemory {
  public:
    static constexpr size_t kAllCamerasBytes = size_t{512} << 20;

    struct Picture {
        std::shared_ptr<const std::vector<uint8_t>> bytes;
        int64_t arrivalMs = 0;
        uint64_t number = 0;
    };

    ReplayMemory() = default;
    ~ReplayMemory();
    ReplayMemory(const ReplayMemory&) = delete;
    ReplayMemory& operator=(const ReplayMemory&) = delete;

    // A display wants at least these seconds, within at most maxBytes (the largest asked is used).
    void Keep(int seconds, size_t maxBytes);
    void Add(const uint8_t* jpeg, size_t length);
    // The pictures kept, oldest first.
    std::vector<Picture> Pictures() const;
    size_t Bytes() const;
    // What the pictures of every camera hold together.
    static size_t AllBytes() { return allBytes.load(); }

  private:
    void Trim(); // with lock held

    mutable std::mutex lock;
    std::deque<Picture> pictures; // guarded by lock
    size_t bytes = 0;             // guarded by lock
    int keepSeconds = 0;          // guarded by lock
    size_t keepBytes = 0;         // guarded by lock
    uint64_t nextNumber = 1;      // guarded by lock
    static std::atomic<size_t> allBytes;
};
