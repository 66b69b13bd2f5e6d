#include "control/frameratestats.h"

#include "foundation/log.h"
#include "platform/kernel/tick.h"

void FrameRateStats::Start() {
    std::lock_guard<std::mutex> guard(lock);
    startTick = lastReport = GetTickCount();
    bytes = kiloSum = 0;
    totalImages = periodImages = usedImages = 0;
}

void FrameRateStats::AddImage(int64_t countedBytes, int64_t pictureBytes) {
    std::lock_guard<std::mutex> guard(lock);
    bytes += countedBytes;
    kiloSum += pictureBytes / 1000;
    ++totalImages;
    ++periodImages;
}

void FrameRateStats::AddUsed(int count) {
    std::lock_guard<std::mutex> guard(lock);
    usedImages += count;
}

int FrameRateStats::TotalImages() const {
    std::lock_guard<std::mutex> guard(lock);
    return totalImages;
}

void FrameRateStats::Report() {
    std::lock_guard<std::mutex> guard(lock);
    const uint32_t now = GetTickCount();
    const uint32_t elapsed = now - lastReport;
    if (elapsed <= kReportPeriodMs)
        return;
    const float imageSize =
        periodImages ? static_cast<float>(kiloSum) / static_cast<float>(periodImages) : 0.0f;
    const float readFps = static_cast<float>(periodImages) * 1000.0f / static_cast<float>(elapsed);
    const float usedFps = static_cast<float>(usedImages) * 1000.0f / static_cast<float>(elapsed);
    DiagLog& log = DiagLog::Instance();
    log.Begin(LogLevel::State, LogTag::State, u"");
    log.PrintWide(u"imgsize %f, totKb/s = %d, img %d, read Fps %f, used Fps %f  ########", imageSize,
                  static_cast<int>(bytes / elapsed), totalImages, readFps, usedFps);
    bytes = kiloSum = 0;
    periodImages = usedImages = 0;
    lastReport = now;
}
