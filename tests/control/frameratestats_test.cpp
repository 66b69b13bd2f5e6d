#include "control/frameratestats.h"

#include "foundation/log.h"
#include "platform/kernel/tick.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(FrameRateStatsTest, AFastStreamsBytesAreCountedPastTwoGibibytes) {
    std::string console;
    DiagLog::Instance().SetConsoleForTest([&console](std::string_view text) { console += text; });
    const uint32_t start = GetTickCount();
    FrameRateStats stats;
    stats.Start();
    // 3000 pictures of a megabyte in one minute: three times what a 32-bit count holds.
    constexpr int kPictures = 3000;
    constexpr int64_t kPicture = 1000000;
    for (int i = 0; i < kPictures; ++i)
        stats.AddImage(kPicture + 65, kPicture);
    SetTickCountOffsetForTest(FrameRateStats::kReportPeriodMs + 1);
    stats.Report();
    const uint32_t elapsedAtMost = GetTickCount() - start;
    SetTickCountOffsetForTest(0);
    DiagLog::Instance().SetConsoleForTest(nullptr);

    std::smatch found;
    ASSERT_TRUE(
        std::regex_search(console, found, std::regex("imgsize ([0-9.]+), totKb/s = (-?\\d+), img (\\d+),")))
        << console;
    EXPECT_EQ(std::stod(found[1]), 1000.0);
    const int64_t total = kPictures * (kPicture + 65);
    EXPECT_LE(std::stoll(found[2]), total / (FrameRateStats::kReportPeriodMs + 1));
    EXPECT_GE(std::stoll(found[2]), total / elapsedAtMost);
    EXPECT_EQ(found[3], std::to_string(kPictures));
}

} // namespace
