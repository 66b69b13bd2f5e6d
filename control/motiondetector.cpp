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
    // The change of the whole picture's brightness is not motion (lights switched on, the camera's
    // exposure): the picture is compared with the background lit as it is, the background's
    // levels mapped to the picture's by the straight line that fits them best where pixels count.
    double n = 0, pictureSum = 0, backgroundSum = 0, backgroundSquares = 0, products = 0;
    for (size_t i = 0; i < pixels; ++i) {
        if (counted[i]) {
            const double level = grey[i], was = background[i];
            n += 1;
            pictureSum += level;
            backgroundSum += was;
            backgroundSquares += was * was;
            products += was * level;
        }
    }
    if (n == 0)
        return 0.0;
    const double pictureMean = pictureSum / n, backgroundMean = backgroundSum / n;
    const double spread = backgroundSquares / n - backgroundMean * backgroundMean;
    const double gain =
        spread > 1.0 ? std::clamp((products / n - backgroundMean * pictureMean) / spread, 0.25, 4.0) : 1.0;
    const auto scale = static_cast<float>(gain);
    const auto shift = static_cast<float>(pictureMean - gain * backgroundMean);
    const float threshold = 8.0f + 0.6f * static_cast<float>(100 - std::clamp(settings.sensitivity, 1, 100));
    size_t moving = 0;
    for (size_t i = 0; i < pixels; ++i) {
        if (counted[i] && std::fabs(grey[i] - (scale * background[i] + shift)) > threshold)
            ++moving;
        background[i] += kFollow * (grey[i] - background[i]);
    }
    return static_cast<double>(moving) / n;
}

MotionDetector::Change MotionDetector::Add(const uint8_t* jpeg, size_t length, int64_t nowMs) {
    // A picture that cannot be decoded is not looked at, but the motion before it still ends.
    movingShare = Decode(jpeg, length) ? Compare() : 0.0;
    if (movingShare > 0.0 && movingShare >= settings.smallestArea) {
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
