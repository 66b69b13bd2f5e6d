#pragma once
// The last seconds of a camera's own pictures, kept by its source for instant replay and clips
// (and, after the stream was lost, by the source that opens the camera again):
// each picture's JPEG bytes as they arrived, with the time they arrived (on the steady clock, which
// a change of the system's clock does not move, and on the wall clock, to be told) and a number
// that goes up by one a picture. It keeps nothing until a
// display asks for some seconds; then it keeps the most seconds any display still asks for, within
// the most bytes asked for, the oldest going first. The pictures of every camera together stay
// within kAllCamerasBytes, of which each camera that keeps pictures has an equal share at the most,
// so that cameras that filled it first leave room for the others. A display that leaves takes its
// ask back after a while (the time a change of view takes); once no display asks, the pictures go.
//
// Memory: each picture's bytes are pages of their own, given back to the system as the picture
// goes, so that what the memory holds is what the process holds for it; a picture is counted by
// the pages it takes. The pages of a picture that goes as another comes are that picture's when
// they hold it: fresh pages and giving them back cost more than the copy.
//
// Threads: Add on the source's read thread; Expire as the source stops; the rest on the displays'
// (UI) thread. lock guards
// the pictures; the bytes of a picture are shared, and changed only once nobody else holds them
// (when their pages are used again), so a copy of the list outlives the memory's trimming.

#include <QDateTime>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

// One picture's bytes in whole pages of their own from the system, room for at least `room`
// bytes: given back, they are the system's again at once. Not copied; its bytes are changed only
// while nobody else holds it.
class ReplayBytes {
  public:
    explicit ReplayBytes(size_t room); // std::bad_alloc when the system gives no pages
    ~ReplayBytes();
    ReplayBytes(const ReplayBytes&) = delete;
    ReplayBytes& operator=(const ReplayBytes&) = delete;

    // Holds these bytes instead, no more than capacity().
    void assign(const uint8_t* bytes, size_t length);
    const uint8_t* data() const { return memory; }
    size_t size() const { return used; }
    const uint8_t* begin() const { return memory; }
    const uint8_t* end() const { return memory + used; }
    // The pages' bytes.
    size_t capacity() const { return pages; }

  private:
    uint8_t* memory = nullptr;
    size_t pages = 0;
    size_t used = 0;
};

class ReplayMemory {
  public:
    static constexpr size_t kAllCamerasBytes = size_t{512} << 20;

    struct Picture {
        std::shared_ptr<const ReplayBytes> bytes;
        int64_t arrivalMs = 0; // on the steady clock, in ms: RecordingWriter::Now's
        int64_t wallMs = 0;    // on the wall clock, in ms since 1970
        uint64_t number = 0;
    };

    // allCamerasBytes: what every camera's pictures together stay within, the same for every
    // camera (a test gives a smaller one).
    explicit ReplayMemory(size_t allCamerasBytes = kAllCamerasBytes) : allLimit(allCamerasBytes) {}
    ~ReplayMemory();
    ReplayMemory(const ReplayMemory&) = delete;
    ReplayMemory& operator=(const ReplayMemory&) = delete;

    // The display `asker` wants at least these seconds, within at most maxBytes; this replaces
    // its earlier ask, and 0 seconds takes it back. The largest of all asks is used.
    void Keep(const void* asker, int seconds, size_t maxBytes);
    // The display has left: its ask holds for holdMs more, so that a display that comes in its
    // place within that time finds the pictures, then goes.
    void Leave(const void* asker, uint32_t holdMs);
    void Add(const uint8_t* jpeg, size_t length);
    // The asks of displays that left and whose time is over are taken back now, not at the next
    // picture: the source stops, and no picture may come.
    void Expire();
    // The pictures kept, oldest first.
    std::vector<Picture> Pictures() const;
    // The steady clock's time now, in ms.
    static int64_t Now();
    size_t Bytes() const;
    // What the pictures of every camera hold together.
    static size_t AllBytes() { return allBytes.load(); }

  private:
    using Clock = std::chrono::steady_clock;
    struct Ask {
        const void* asker;
        int seconds;
        size_t maxBytes;
        Clock::time_point until; // of a display that left; the epoch while it stays
    };
    // With lock held: keepSeconds and keepBytes from the asks that hold at `now`, the others
    // dropped; every picture goes once none holds.
    void Settle(Clock::time_point now);
    // With lock held: the oldest pictures go until those left, with a picture of `coming` bytes
    // that arrived at newestMs, are within what is asked; without one coming, the newest stays.
    // Gives the pages of one that went for the coming picture, when they hold it and nobody else
    // holds them.
    std::shared_ptr<ReplayBytes> Trim(int64_t newestMs, size_t coming);
    // The memory a picture of that length takes: its pages.
    static size_t Cost(size_t length);

    const size_t allLimit;
    mutable std::mutex lock;
    std::deque<Picture> pictures; // guarded by lock
    std::vector<Ask> asks;        // guarded by lock
    size_t bytes = 0;             // guarded by lock
    int keepSeconds = 0;          // guarded by lock
    size_t keepBytes = 0;         // guarded by lock
    uint64_t nextNumber = 1;      // guarded by lock
    bool keeping = false;         // guarded by lock: counted among the cameras that keep pictures
    static std::atomic<size_t> allBytes;
    static std::atomic<size_t> camerasKeeping;
};
