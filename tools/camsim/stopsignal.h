#pragma once
// A one-way switch that every wait of a server's threads watches: once set it stays set, and its
// descriptor stays readable, so a poll that includes it returns at once.

#include <atomic>

namespace camsim {

class StopSignal {
  public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Set();
    bool IsSet() const { return set; }
    int Descriptor() const { return fd; }

  private:
    const int fd;
    std::atomic<bool> set{false};
};

} // namespace camsim
