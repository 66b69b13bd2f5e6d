// The size a JPEG's frame header announces, read without decoding.

#include "foundation/jpegsize.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "WxH", or "none".
std::string SizeOf(const std::string& jpeg) {
    int width = 0;
    int height = 0;
    const bool ok = ReadJpegSize(reinterpret_cast<const uint8_t*>(jpeg.data()),
                                 static_cast<uint32_t>(jpeg.size()), width, height);
    return ok ? std::to_string(width) + "x" + std::to_string(height) : "none";
}

TEST(JpegSizeTest, TheFrameHeaderGivesTheSizeAndBrokenHeadsGiveNone) {
    for (const auto& [w, h, grey] :
         {std::tuple{640, 480, false}, std::tuple{161, 121, true}, std::tuple{3840, 16, false}}) {
        const std::string jpeg =
            camsim::EncodeJpeg(camsim::TestPattern(w, h, camsim::Scene()).Render().data(), w, h, grey);
        EXPECT_EQ(SizeOf(jpeg), std::to_string(w) + "x" + std::to_string(h));
        EXPECT_EQ(SizeOf(jpeg.substr(0, jpeg.find("\xFF\xC0") + 6)), "none") << "cut inside the frame header";
        EXPECT_EQ(SizeOf(jpeg.substr(2)), "none") << "no start marker";
    }
    // A scan before any frame, a segment length below 2, junk.
    for (const char* broken : {"\xFF\xD8\xFF\xDA\x00\x02", "\xFF\xD8\xFF\xE0\x00\x01", "\xFF\xD8junk"}) {
        EXPECT_EQ(SizeOf(std::string(broken, 6)), "none");
    }
}

} // namespace
