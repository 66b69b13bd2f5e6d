// Motion detection on camsim's scenes: a box that crosses the picture is one event, with a start
// within two pictures and an end within the end time, also when the pictures that follow cannot be
// decoded; a still noisy scene, a change of the whole picture's brightness or of an ignored area's,
// and a box inside an ignored area are none.

#include "control/motiondetector.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/motionscene.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(MotionDetectorTest, ABoxIsOneEventAndStillnessBrightnessAndIgnoredAreasAreNone) {
    const QRectF middle(0.2, 0.2, 0.5, 0.5);
    const QRectF leftHalf(0, 0, 0.5, 1);
    constexpr int kPictures = 130;
    const struct {
        const char* scene;
        std::vector<QRectF> ignored;
        bool moves;
        int undecodableFrom = kPictures; // a moving box that can no longer be decoded ends at 60
        int sensitivity = 50;
    } cases[] = {
        {"still", {}, false},
        {"still", {}, false, kPictures, 100},
        {"brightness:30", {}, false, kPictures, 100},
        {"brightness:30:0,0,5000,10000", {leftHalf}, false, kPictures, 100},
        {"box:30:60", {}, true},
        {"box:30:120", {}, true, 61},
        {"box:30:60:2000,2000,5000,5000", {}, true},
        {"box:30:60:2000,2000,5000,5000", {middle}, false},
    };
    constexpr int kMsApart = 40; // 25 a second
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        const std::optional<camsim::MotionScene> scene = camsim::MotionScene::Parse(c.scene);
        ASSERT_TRUE(scene);
        MotionSettings settings;
        settings.ignored = c.ignored;
        settings.sensitivity = c.sensitivity;
        MotionDetector detector(settings);
        std::vector<std::pair<int, MotionDetector::Change>> changes;
        for (int n = 0; n < kPictures; ++n) {
            const std::vector<uint8_t> rgb = camsim::RenderMotionScene(*scene, 320, 240, n);
            std::string jpeg = camsim::EncodeJpeg(rgb.data(), 320, 240, false);
            if (n >= c.undecodableFrom)
                jpeg.resize(60);
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
