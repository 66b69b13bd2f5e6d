#include "platform/kernel/event.h"

#include <chrono>

void ManualResetEvent::Set() {
    // Notified under the lock: a waiter may destroy the event as soon as it wakes (a job that
    // deletes itself), so nothing may touch it after the mutex is released.
    std::lock_guard<std::mutex> guard(mutex);
    set = true;
    changed.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard<std::mutex> guard(mutex);
    set = false;
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard<std::mutex> guard(mutex);
    return set;
}

bool ManualResetEvent::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex);
    if (timeoutMs == kInfinite) {
        changed.wait(lock, [this] { return set; });
        return true;
    }
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set; });
}
