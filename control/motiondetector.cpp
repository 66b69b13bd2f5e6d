#include "control/motiondetector.h"

#include "control/jpegdecoder.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr float kFollow = 0.05f; // how much of each picture the background takes in

} // namespace

MotionDetector::MotionDetector(MotionSettings chosen) : settings(std::move(chosen)) {}

bool MotionDetector::Decode(const uint8_t* jpeg, size_t length) {
    struct Target {
        MotionDetector* detector;
    } target{this};
    DecodeScale eighth;
    eighth.coverWidth = 1; // the smallest scale that covers a pixel: an eighth
    eighth.coverHeight = 1;
    return DecodeJpegRows(
        jpeg, length, PixelOrder::Grey, &target,
        [](void* context, int w, int h) {
            MotionDetector& d = *static_cast<Target*>(context)->detector;
            if (w != d.width || h != d.height) { // a new size: a new background
                d.background.clear();
                try {
                    d.grey.assign(static_cast<size_t>(w) * h, 0);
                    d.counted.assign(static_cast<size_t>(w) * h, 1);
                } catch (const std::bad_alloc&) {
                    d.width = d.height = 0; // the next picture tries again
                    return false;
                }
                d.width = w;
                d.height = h;
                for (int y = 0; y < h; ++y) {
                    for (int x = 0; x < w; ++x) {
                        const QPointF centre((x + 0.5) / w, (y + 0.5) / h);
                        for (const QRectF& area : d.settings.ignored)
                            d.counted[static_cast<size_t>(y) * w + x] &= area.contains(centre) ? 0 : 1;
                    }
                }
            }
            return true;
        },
        [](void* context, int y) {
            MotionDetector& d = *static_cast<Target*>(context)->detector;
            return d.grey.data() + static_cast<size_t>(y) * d.width;
        },
        &eighth);
}

double MotionDetector::Compare() {
    const size_t pixels = grey.size();
    if (background.size() != pixels) {
        background.assign(grey.begin(), grey.end());
        return 0.0;
    }
    double pictureSum = 0, backgroundSum = 0;
    for (size_t i = 0; i < pixels; ++i) {
        pictureSum += grey[i];
        backgroundSum += background[i];
    }
    // The change of the whole picture's brightness is not motion.
    const float shift = static_cast<float>((pictureSum - backgroundSum) / static_cast<double>(pixels));
    const float threshold = 8.0f + 0.6f * static_cast<float>(100 - std::clamp(settings.sensitivity, 1, 100));
    size_t moving = 0, counting = 0;
    for (size_t i = 0; i < pixels; ++i) {
        const float difference = std::fabs(grey[i] - background[i] - shift);
        if (counted[i]) {
            ++counting;
            moving += difference > threshold ? 1 : 0;
        }
        background[i] += kFollow * (grey[i] - background[i]);
    }
    return counting ? static_cast<double>(moving) / static_cast<double>(counting) : 0.0;
}

MotionDetector::Change MotionDetector::Add(const uint8_t* jpeg, size_t length, int64_t nowMs) {
    if (!Decode(jpeg, length))
        return Change::None;
    movingShare = Compare();
    if (movingShare >= settings.smallestArea) {
        lastMovingMs = nowMs;
        if (++movingInARow >= kStartPictures && !inMotion) {
            inMotion = true;
            return Change::Started;
        }
        return Change::None;
    }
    movingInARow = 0;
    if (inMotion && nowMs - lastMovingMs >= kEndMs) {
        inMotion = false;
        return Change::Ended;
    }
    return Change::None;
}
