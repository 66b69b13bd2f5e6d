#include "control/replaymemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace {

size_t PageRounded(size_t bytes) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

} // namespace

template <typename T> T* PageAllocator<T>::allocate(size_t n) {
    void* memory =
        mmap(nullptr, PageRounded(n * sizeof(T)), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<T*>(memory);
}

template <typename T> void PageAllocator<T>::deallocate(T* memory, size_t n) {
    munmap(memory, PageRounded(n * sizeof(T)));
}

template struct PageAllocator<uint8_t>;

std::atomic<size_t> ReplayMemory::allBytes{0};

size_t ReplayMemory::Cost(size_t length) {
    return PageRounded(length);
}

ReplayMemory::~ReplayMemory() {
    allBytes -= bytes;
}

void ReplayMemory::Keep(int seconds, size_t maxBytes) {
    std::lock_guard<std::mutex> guard(lock);
    keepSeconds = std::max(keepSeconds, seconds);
    keepBytes = std::max(keepBytes, maxBytes);
}

void ReplayMemory::Add(const uint8_t* jpeg, size_t length) {
    const int64_t now = QDateTime::currentMSecsSinceEpoch();
    std::lock_guard<std::mutex> guard(lock);
    const size_t cost = Cost(length);
    if (keepSeconds <= 0 || keepBytes == 0 || cost > keepBytes)
        return;
    std::shared_ptr<ReplayBytes> kept;
    try {
        if (spare && spare->capacity() >= length) {
            kept = std::move(spare);
            bytes -= Cost(kept->capacity());
            allBytes -= Cost(kept->capacity());
            kept->assign(jpeg, jpeg + length);
        } else {
            kept = std::make_shared<ReplayBytes>(jpeg, jpeg + length);
        }
        pictures.push_back(Picture{kept, now, nextNumber++});
    } catch (const std::bad_alloc&) {
        return; // no memory for it: the replay goes without this picture
    }
    const size_t taken = Cost(kept->capacity());
    bytes += taken;
    allBytes += taken;
    Trim();
}

void ReplayMemory::Trim() {
    const int64_t oldest = pictures.back().arrivalMs - int64_t{keepSeconds} * 1000;
    while (pictures.size() > 1 &&
           (pictures.front().arrivalMs < oldest || bytes > keepBytes || allBytes.load() > kAllCamerasBytes)) {
        std::shared_ptr<const ReplayBytes> gone = std::move(pictures.front().bytes);
        pictures.pop_front();
        const size_t freed = Cost(gone->capacity());
        bytes -= freed;
        allBytes -= freed;
        // Its pages wait for the next picture, unless a display still shows it.
        if (gone.use_count() == 1 && (!spare || spare->capacity() < gone->capacity())) {
            if (spare) {
                bytes -= Cost(spare->capacity());
                allBytes -= Cost(spare->capacity());
            }
            spare = std::const_pointer_cast<ReplayBytes>(gone);
            bytes += freed;
            allBytes += freed;
        }
    }
}

std::vector<ReplayMemory::Picture> ReplayMemory::Pictures() const {
    std::lock_guard<std::mutex> guard(lock);
    return std::vector<Picture>(pictures.begin(), pictures.end());
}

size_t ReplayMemory::Bytes() const {
    std::lock_guard<std::mutex> guard(lock);
    return bytes;
}
