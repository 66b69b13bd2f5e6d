// The size a JPEG's frame header announces, read without decoding.

#include "control/jpegsize.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool SizeOf(const std::string& jpeg, int& width, int& height) {
    return ReadJpegSize(reinterpret_cast<const uint8_t*>(jpeg.data()), static_cast<uint32_t>(jpeg.size()),
                        width, height);
}

TEST(JpegSizeTest, TheFrameHeaderGivesTheSizeAndBrokenHeadsGiveNone) {
    for (const auto& [w, h, grey] :
         {std::tuple{640, 480, false}, std::tuple{161, 121, true}, std::tuple{3840, 16, false}}) {
        const std::vector<uint8_t> rgb = camsim::TestPattern(w, h, camsim::Scene()).Render();
        const std::string jpeg = camsim::EncodeJpeg(rgb.data(), w, h, grey);
        int width = 0;
        int height = 0;
        ASSERT_TRUE(SizeOf(jpeg, width, height)) << w;
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, h);
        // Cut inside the frame header, or without the start marker, it tells nothing.
        const size_t frame = jpeg.find("\xFF\xC0");
        ASSERT_NE(frame, std::string::npos);
        EXPECT_FALSE(SizeOf(jpeg.substr(0, frame + 6), width, height));
        EXPECT_FALSE(SizeOf(jpeg.substr(2), width, height));
    }
    int width = 0;
    int height = 0;
    EXPECT_FALSE(SizeOf(std::string("\xFF\xD8\xFF\xDA\x00\x02", 6), width, height))
        << "a scan before any frame";
    EXPECT_FALSE(SizeOf(std::string("\xFF\xD8\xFF\xE0\x00\x01", 6), width, height))
        << "a segment length below 2";
    EXPECT_FALSE(SizeOf(std::string("\xFF\xD8junk", 6), width, height));
}

} // namespace
