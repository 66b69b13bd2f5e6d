// The replay memory keeps the newest pictures within its bytes, counts every camera's together,
// and keeps nothing until asked.

#include "control/replaymemory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ReplayMemoryTest, TheNewestPicturesStayWithinTheBytesAskedFor) {
    const std::vector<uint8_t> picture(8192, 0xAB); // two pages
    const size_t before = ReplayMemory::AllBytes();
    {
        ReplayMemory unasked;
        unasked.Add(picture.data(), picture.size());
        EXPECT_TRUE(unasked.Pictures().empty());

        ReplayMemory memory;
        memory.Keep(30, 100000);
        memory.Keep(10, 50000); // the most asked for stays
        for (int i = 0; i < 50; ++i)
            memory.Add(picture.data(), picture.size());
        const std::vector<ReplayMemory::Picture> kept = memory.Pictures();
        EXPECT_EQ(kept.size(), 12u);
        EXPECT_LE(memory.Bytes(), 100000u);
        EXPECT_EQ(kept.back().number, 50u);
        EXPECT_EQ(kept.front().number, 39u);
        EXPECT_EQ(ReplayMemory::AllBytes(), before + memory.Bytes());
    }
    EXPECT_EQ(ReplayMemory::AllBytes(), before) << "a camera's pictures are given back when it goes";
}

} // namespace
