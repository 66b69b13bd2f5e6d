#pragma once
// The last seconds of a camera's own pictures, kept by its source for instant replay and clips:
// each picture's JPEG bytes as they arrived, with the time they arrived (the wall clock, in
// milliseconds since 1970) and a number that goes up by one a picture. It keeps nothing until a
// display asks for some seconds; then it keeps the most seconds asked for, within the most bytes
// asked for and within kAllCamerasBytes for the pictures of every camera together, the oldest
// going first.
//
// Memory: each picture's bytes are pages of their own, given back to the system as the picture
// goes, so that what the memory holds is what the process holds for it; a picture is counted by
// the pages it takes. The pages of the last picture that went are used again for the next
// (fresh pages cost a fault each), and counted while they wait.
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

// Whole pages from the system for each buffer: freed, they are the system's again at once.
template <typename T> struct PageAllocator {
    using value_type = T;
    PageAllocator() = default;
    template <typename U> PageAllocator(const PageAllocator<U>&) {}
    T* allocate(size_t n);
    void deallocate(T* memory, size_t n);
    template <typename U> bool operator==(const PageAllocator<U>&) const { return true; }
};
using ReplayBytes = std::vector<uint8_t, PageAllocator<uint8_t>>;

class ReplayMemory {
  public:
    static constexpr size_t kAllCamerasBytes = size_t{512} << 20;

    struct Picture {
        std::shared_ptr<const ReplayBytes> bytes;
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
    // The memory a picture of that length takes: its pages.
    static size_t Cost(size_t length);

    mutable std::mutex lock;
    std::deque<Picture> pictures;       // guarded by lock
    size_t bytes = 0;                   // guarded by lock
    int keepSeconds = 0;                // guarded by lock
    size_t keepBytes = 0;               // guarded by lock
    uint64_t nextNumber = 1;            // guarded by lock
    std::shared_ptr<ReplayBytes> spare; // guarded by lock: the pages of the last picture that went
    static std::atomic<size_t> allBytes;
};
