#pragma once
// Counts the pictures and bytes of a stream and writes one summary line a minute to the log.
// The read thread adds pictures, the painting thread counts the ones it used: a lock of its own
// keeps the counters whole.

#include <cstdint>
#include <mutex>

class FrameRateStats {
  public:
    static constexpr uint32_t kReportPeriodMs = 60000;

    void Start();
    void AddImage(int64_t countedBytes, int64_t pictureBytes);
    void AddUsed(int count = 1);
    // Logs the summary when more than a minute passed since the last one.
    void Report();

    int TotalImages() const;

  private:
    mutable std::mutex lock;
    int64_t bytes = 0; // a fast stream passes 2 GiB within one report period
    uint32_t startTick = 0;
    uint32_t lastReport = 0;
    int totalImages = 0;
    int periodImages = 0;
    int usedImages = 0;
    int64_t kiloSum = 0;
};
