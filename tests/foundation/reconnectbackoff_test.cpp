#include "foundation/reconnectbackoff.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ReconnectBackoffTest, WaitsGrowWhileConnectionsBringFewPicturesAndEndWithOneThatStreams) {
    ReconnectBackoff backoff;
    const struct {
        int64_t pictures; // brought by the connection that ended
        uint32_t waitMs;
    } steps[] = {
        {1, 0},     {1, 500},   {0, 1000}, {4, 2000}, {1, 4000}, {1, 8000},
        {1, 10000}, {1, 10000}, {250, 0},  {1, 0},    {1, 500},  {5, 0},
    };
    for (const auto& step : steps)
        EXPECT_EQ(backoff.AfterConnection(step.pictures), step.waitMs) << step.pictures;
    backoff.Reset();
    EXPECT_EQ(backoff.AfterConnection(1), 0u);
}

} // namespace
