// When new pictures are painted: as they arrive or at their turn, never faster than the period.

#include "control/repaintpacer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Pictures arriving at the given ticks: the ticks at which they are painted. A picture told to
// wait is painted when its wait ends, unless a newer one arrives first and takes its place.
std::vector<uint32_t> PaintTicks(const std::vector<uint32_t>& arrivals, uint32_t period) {
    RepaintPacer pacer;
    std::vector<uint32_t> painted;
    bool waiting = false;
    uint32_t due = 0;
    for (size_t i = 0; i <= arrivals.size(); ++i) {
        if (waiting && (i == arrivals.size() || static_cast<int32_t>(arrivals[i] - due) >= 0)) {
            pacer.Painted(due, period); // the repaint timer's tick
            painted.push_back(due);
            waiting = false;
        }
        if (i == arrivals.size())
            break;
        const uint32_t wait = pacer.Wait(arrivals[i], period);
        if (wait == 0 && !waiting) {
            pacer.Painted(arrivals[i], period);
            painted.push_back(arrivals[i]);
        } else if (!waiting) {
            waiting = true;
            due = arrivals[i] + wait;
        }
    }
    return painted;
}

TEST(RepaintPacerTest, ACameraAtTheFpsRateIsPaintedAsItsPicturesArrive) {
    // 25 pictures a second against FPS 25: each arrives 40 ms after the last, give or take 3;
    // or each on time but the first, which came 5 ms late. Counted from the last paint, an early
    // one would wait a whole period, and every one after it; on a schedule fixed at the first
    // paint, every picture after a late first one would wait for its turn.
    const int jittered[] = {0, 3, -3, 2, -2, 1, -1, 3, -3, 0};
    for (bool lateFirst : {false, true}) {
        std::vector<uint32_t> arrivals;
        for (int i = 0; i < 500; ++i)
            arrivals.push_back(
                static_cast<uint32_t>(1000 + 40 * i + (lateFirst ? (i == 0) * 5 : jittered[i % 10])));
        EXPECT_EQ(PaintTicks(arrivals, 40), arrivals) << (lateFirst ? "late first picture" : "jitter");
    }
}

TEST(RepaintPacerTest, AFasterCameraIsPaintedNoMoreOftenThanThePeriodAllows) {
    std::vector<uint32_t> arrivals;
    for (uint32_t tick = 0; tick < 10000; tick += 7)
        arrivals.push_back(tick);
    const std::vector<uint32_t> painted = PaintTicks(arrivals, 40);
    // One paint per 40 ms, each on its turn, the schedule's slack of a quarter period aside.
    ASSERT_GE(painted.size(), 10000u / 40 - 1);
    for (size_t i = 1; i < painted.size(); ++i)
        EXPECT_GE(painted[i] - painted[0], i * 40 - 10) << "paint " << i;
}

TEST(RepaintPacerTest, APauseEarnsNoBurstAndTicksMayWrap) {
    RepaintPacer pacer;
    const uint32_t start = UINT32_MAX - 100; // the tick count wraps during this test
    EXPECT_EQ(pacer.Wait(start, 40), 0u);
    pacer.Painted(start, 40);
    EXPECT_EQ(pacer.Wait(start + 10, 40), 20u); // the turn is a period on, less the slack
    // Five seconds without pictures, then a quick pair: the first at once, the second waits.
    const uint32_t later = start + 5000;
    EXPECT_EQ(pacer.Wait(later, 40), 0u);
    pacer.Painted(later, 40);
    EXPECT_EQ(pacer.Wait(later + 1, 40), 29u);
    EXPECT_EQ(pacer.Wait(later + 40, 40), 0u);
}

} // namespace
