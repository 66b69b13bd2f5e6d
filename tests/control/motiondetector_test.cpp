// Motion detection on camsim's scenes: a box that crosses the picture is one event, with a start
// within two pictures and an end within the end time; a still noisy scene, a change of the whole
// picture's brightness and a box inside an ignored area are none.

#include "control/motiondetector.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/motionscene.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(MotionDetectorTest, ABoxIsOneEventAndStillnessBrightnessAndIgnoredAreasAreNone) {
    const QRectF middle(0.2, 0.2, 0.5, 0.5);
    const struct {
        const char* scene;
        std::vector<QRectF> ignored;
        bool moves;
    } cases[] = {
        {"still", {}, false},
        {"brightness:30", {}, false},
        {"box:30:60", {}, true},
        {"box:30:60:2000,2000,5000,5000", {}, true},
        {"box:30:60:2000,2000,5000,5000", {middle}, false},
    };
    constexpr int kPictures = 130;
    constexpr int kMsApart = 40; // 25 a second
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        const std::optional<camsim::MotionScene> scene = camsim::MotionScene::Parse(c.scene);
        ASSERT_TRUE(scene);
        MotionSettings settings;
        settings.ignored = c.ignored;
        MotionDetector detector(settings);
        std::vector<std::pair<int, MotionDetector::Change>> changes;
        for (int n = 0; n < kPictures; ++n) {
            const std::vector<uint8_t> rgb = camsim::RenderMotionScene(*scene, 320, 240, n);
            const std::string jpeg = camsim::EncodeJpeg(rgb.data(), 320, 240, false);
            const MotionDetector::Change change = detector.Add(reinterpret_cast<const uint8_t*>(jpeg.data()),
                                                               jpeg.size(), int64_t{n} * kMsApart);
            if (change != MotionDetector::Change::None)
                changes.emplace_back(n, change);
        }
        if (!c.moves) {
            EXPECT_TRUE(changes.empty()) << "first change at picture " << changes.front().first;
            continue;
        }
        ASSERT_EQ(changes.size(), 2u);
        EXPECT_EQ(changes[0].second, MotionDetector::Change::Started);
        EXPECT_GE(changes[0].first, 30);
        EXPECT_LE(changes[0].first, 32);
        EXPECT_EQ(changes[1].second, MotionDetector::Change::Ended);
        EXPECT_GT(changes[1].first, 60);
        EXPECT_LE(changes[1].first, 60 + MotionDetector::kEndMs / kMsApart + 1);
    }
}

} // namespace
