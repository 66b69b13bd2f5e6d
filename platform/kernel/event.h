#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

// An event that stays set until it is reset: any number of waits pass while it is set.
class ManualResetEvent {
  public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    explicit ManualResetEvent(bool initiallySet = false) : set(initiallySet) {}
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event was set within the time-out (kInfinite waits for ever).
    bool Wait(uint32_t timeoutMs);

  private:
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool set;
};
