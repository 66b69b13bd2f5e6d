#include "control/replaymemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

size_t PageRounded(size_t bytes) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

} // namespace

ReplayBytes::ReplayBytes(size_t room) : pages(PageRounded(std::max<size_t>(room, 1))) {
    // Filled at once: its pages are made in one call instead of a fault each.
    void* mapped =
        mmap(nullptr, pages, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    memory = static_cast<uint8_t*>(mapped);
}

ReplayBytes::~ReplayBytes() {
    munmap(memory, pages);
}

void ReplayBytes::assign(const uint8_t* bytes, size_t length) {
    used = std::min(length, pages);
    std::memcpy(memory, bytes, used);
}

std::atomic<size_t> ReplayMemory::allBytes{0};
std::atomic<size_t> ReplayMemory::camerasKeeping{0};

size_t ReplayMemory::Cost(size_t length) {
    return PageRounded(length);
}

ReplayMemory::~ReplayMemory() {
    allBytes -= bytes;
    if (keeping)
        --camerasKeeping;
}

void ReplayMemory::Keep(const void* asker, int seconds, size_t maxBytes) {
    std::lock_guard<std::mutex> guard(lock);
    asks.erase(std::remove_if(asks.begin(), asks.end(), [&](const Ask& a) { return a.asker == asker; }),
               asks.end());
    if (seconds > 0 && maxBytes > 0)
        asks.push_back(Ask{asker, seconds, maxBytes, Clock::time_point()});
    Settle(Clock::now());
}

void ReplayMemory::Leave(const void* asker, uint32_t holdMs) {
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> guard(lock);
    for (Ask& ask : asks) {
        if (ask.asker == asker)
            ask.until = now + std::chrono::milliseconds(holdMs);
    }
    Settle(now);
}

void ReplayMemory::Expire() {
    std::lock_guard<std::mutex> guard(lock);
    Settle(Clock::now());
}

void ReplayMemory::Settle(Clock::time_point now) {
    asks.erase(std::remove_if(asks.begin(), asks.end(),
                              [&](const Ask& a) { return a.until != Clock::time_point() && a.until <= now; }),
               asks.end());
    keepSeconds = 0;
    keepBytes = 0;
    for (const Ask& ask : asks) {
        keepSeconds = std::max(keepSeconds, ask.seconds);
        keepBytes = std::max(keepBytes, ask.maxBytes);
    }
    if (keeping != !asks.empty()) {
        keeping = !asks.empty();
        if (keeping)
            ++camerasKeeping;
        else
            --camerasKeeping;
    }
    if (asks.empty()) {
        pictures.clear(); // a display that still shows one holds its bytes
        allBytes -= bytes;
        bytes = 0;
    } else if (!pictures.empty()) {
        Trim(pictures.back().arrivalMs, 0);
    }
}

int64_t ReplayMemory::Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

void ReplayMemory::Add(const uint8_t* jpeg, size_t length) {
    const int64_t now = Now();
    const int64_t wallNow = QDateTime::currentMSecsSinceEpoch();
    std::lock_guard<std::mutex> guard(lock);
    if (!asks.empty())
        Settle(Clock::now());
    if (keepSeconds <= 0 || keepBytes == 0)
        return;
    std::shared_ptr<ReplayBytes> kept = Trim(now, length);
    if (Cost(length) > keepBytes)
        return; // larger than all that is asked: the older pictures went before it, and it goes too
    try {
        if (!kept)
            kept = std::make_shared<ReplayBytes>(length);
        kept->assign(jpeg, length);
        pictures.push_back(Picture{kept, now, wallNow, nextNumber++});
    } catch (const std::bad_alloc&) {
        return; // no memory for it: the replay goes without this picture
    }
    const size_t taken = Cost(kept->capacity());
    bytes += taken;
    allBytes += taken;
}

std::shared_ptr<ReplayBytes> ReplayMemory::Trim(int64_t newestMs, size_t coming) {
    const int64_t oldest = newestMs - int64_t{keepSeconds} * 1000;
    const size_t cost = coming > 0 ? Cost(coming) : 0;
    const size_t least = coming > 0 ? 0 : 1; // the newest stays unless another comes
    const size_t share = allLimit / std::max<size_t>(camerasKeeping.load(), 1);
    const auto over = [&](size_t more) {
        return bytes + more > std::min(keepBytes, share) || allBytes.load() + more > allLimit;
    };
    std::shared_ptr<ReplayBytes> room;
    while (pictures.size() > least && (pictures.front().arrivalMs < oldest || over(cost))) {
        std::shared_ptr<const ReplayBytes> gone = std::move(pictures.front().bytes);
        pictures.pop_front();
        const size_t freed = Cost(gone->capacity());
        bytes -= freed;
        allBytes -= freed;
        // Pages that no display still shows are the coming picture's, when they hold it.
        if (!room && cost > 0 && gone.use_count() == 1 && gone->capacity() >= coming) {
            // The last other holder let go of it with a release: what it read of the bytes comes
            // before they are written over. (The thread sanitizer does not follow fences.)
#ifndef __SANITIZE_THREAD__
            std::atomic_thread_fence(std::memory_order_acquire);
#endif
            room = std::const_pointer_cast<ReplayBytes>(gone);
        }
    }
    if (room && over(room->capacity()))
        room.reset(); // more pages than it needs, beyond what is asked
    return room;
}

std::vector<ReplayMemory::Picture> ReplayMemory::Pictures() const {
    std::lock_guard<std::mutex> guard(lock);
    return std::vector<Picture>(pictures.begin(), pictures.end());
}

size_t ReplayMemory::Bytes() const {
    std::lock_guard<std::mutex> guard(lock);
    return bytes;
}
