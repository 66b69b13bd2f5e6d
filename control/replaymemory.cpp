#include "control/replaymemory.h"

#include <algorithm>

std::atomic<size_t> ReplayMemory::allBytes{0};

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
    if (keepSeconds <= 0 || keepBytes == 0 || length > keepBytes)
        return;
    pictures.push_back(
        Picture{std::make_shared<const std::vector<uint8_t>>(jpeg, jpeg + length), now, nextNumber++});
    bytes += length;
    allBytes += length;
    Trim();
}

void ReplayMemory::Trim() {
    const int64_t oldest = pictures.back().arrivalMs - int64_t{keepSeconds} * 1000;
    while (pictures.size() > 1 &&
           (pictures.front().arrivalMs < oldest || bytes > keepBytes || allBytes.load() > kAllCamerasBytes)) {
        const size_t freed = pictures.front().bytes->size();
        pictures.pop_front();
        bytes -= freed;
        allBytes -= freed;
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
