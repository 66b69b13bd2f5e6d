// The replay memory keeps the newest pictures within its bytes, counts every camera's together,
// keeps nothing until asked, and no more than the displays that still ask want.

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
    }
    EXPECT_EQ(ReplayMemory::AllBytes(), before) << "a camera's pictures are given back when it goes";
}

TEST(ReplayMemoryTest, WhatIsKeptShrinksWithTheAsksTakenBackAndGoesWithTheLast) {
    const std::vector<uint8_t> picture(8192, 0xAB);
    const size_t before = ReplayMemory::AllBytes();
    ReplayMemory memory;
    int wide = 0, narrow = 0;
    memory.Keep(&wide, 30, 100000);
    memory.Keep(&narrow, 30, 50000);
    for (int i = 0; i < 50; ++i)
        memory.Add(picture.data(), picture.size());
    memory.Keep(&wide, 30, 60000); // an ask replaced, not added to
    EXPECT_LE(memory.Bytes(), 60000u);
    memory.Keep(&wide, 0, 0); // taken back: the other's bytes are what stays
    EXPECT_LE(memory.Bytes(), 50000u);
    EXPECT_EQ(memory.Pictures().back().number, 50u);

    memory.Leave(&narrow, 60000); // held for a display that comes in its place
    memory.Add(picture.data(), picture.size());
    EXPECT_FALSE(memory.Pictures().empty());
    memory.Leave(&narrow, 0);
    EXPECT_TRUE(memory.Pictures().empty());
    EXPECT_EQ(ReplayMemory::AllBytes(), before) << "nobody asks: every page is given back";
}

} // namespace
