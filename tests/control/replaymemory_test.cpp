// The replay memory keeps the newest pictures within its bytes, counts every camera's together and
// shares that among them, keeps nothing until asked, and no more than the displays that still ask
// want.

#include "control/pausedpictures.h"
#include "control/replaymemory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ReplayMemoryTest, TheNewestPicturesStayWithinTheBytesOfTheAsksStillHeld) {
    const std::vector<uint8_t> picture(8192, 0xAB); // two pages
    const size_t before = ReplayMemory::AllBytes();
    {
        ReplayMemory unasked;
        unasked.Add(picture.data(), picture.size());
        EXPECT_TRUE(unasked.Pictures().empty());

        ReplayMemory memory;
        int display = 0, other = 0;
        memory.Keep(&display, 30, 100000);
        memory.Keep(&other, 10, 50000); // the most asked for stays
        for (int i = 0; i < 50; ++i)
            memory.Add(picture.data(), picture.size());
        const std::vector<ReplayMemory::Picture> kept = memory.Pictures();
        EXPECT_EQ(kept.size(), 12u);
        EXPECT_LE(memory.Bytes(), 100000u);
        EXPECT_EQ(kept.back().number, 50u);
        EXPECT_EQ(kept.front().number, 39u);
        EXPECT_EQ(ReplayMemory::AllBytes(), before + memory.Bytes());

        memory.Keep(&display, 30, 60000); // an ask replaced, not added to
        EXPECT_LE(memory.Bytes(), 60000u);
        memory.Keep(&display, 0, 0); // taken back: the other's bytes are what stays
        EXPECT_LE(memory.Bytes(), 50000u);
        memory.Leave(&other, 60000); // held for a display that comes in its place
        memory.Add(picture.data(), picture.size());
        EXPECT_EQ(memory.Pictures().back().number, 51u);
        const std::vector<uint8_t> large(60000, 0xCD); // more than all the bytes still asked
        memory.Add(large.data(), large.size());
        EXPECT_TRUE(memory.Pictures().empty()) << "it takes the older ones with it";
    }
    EXPECT_EQ(ReplayMemory::AllBytes(), before) << "a camera's pictures are given back when it goes";
}

// A camera that filled the memory of all cameras first leaves an equal share to one that comes
// after it.
TEST(ReplayMemoryTest, EachCameraKeepsItsShareOfTheMemoryOfAllCameras) {
    ASSERT_EQ(ReplayMemory::AllBytes(), 0u);
    const std::vector<uint8_t> picture(8192, 0xAB); // two pages
    const size_t limit = 10 * picture.size();
    ReplayMemory first(limit), second(limit);
    int display = 0;
    first.Keep(&display, 30, 1 << 20);
    for (int i = 0; i < 20; ++i)
        first.Add(picture.data(), picture.size());
    EXPECT_EQ(first.Pictures().size(), 10u);
    second.Keep(&display, 30, 1 << 20);
    for (int i = 0; i < 10; ++i) {
        first.Add(picture.data(), picture.size());
        second.Add(picture.data(), picture.size());
    }
    EXPECT_EQ(first.Pictures().size(), 5u);
    EXPECT_EQ(second.Pictures().size(), 5u);
    EXPECT_LE(ReplayMemory::AllBytes(), limit);
}

// A paused display that steps near its pause while the camera goes on holds the pictures around
// the one shown and those the memory keeps now, not all that came since the pause.
TEST(PausedPicturesTest, StepsNearThePauseHoldNoMoreThanTheSpansAroundItAndTheNewest) {
    const auto kept = [](int64_t from, int64_t to) { // a picture every 100 ms
        std::vector<ReplayMemory::Picture> pictures;
        for (int64_t ms = from; ms <= to; ms += 100)
            pictures.push_back({nullptr, ms, ms, 0});
        return pictures;
    };
    PausedPictures paused;
    paused.Hold(kept(0, 1000));
    paused.Show(5);
    for (int64_t now = 2000; now <= 60000; now += 1000)
        paused.Follow(kept(now - 1000, now));
    EXPECT_EQ(paused.Held()[static_cast<size_t>(paused.ShownIndex())].arrivalMs, 500);
    EXPECT_LE(paused.Held().size(), 33u);
    EXPECT_EQ(paused.Held().back().arrivalMs, 60000);
}

} // namespace
