// Motion detection on a 1280x960 camera at 25 pictures/s: the cost of a picture through the
// detector (the grey decode at an eighth and the comparison with the background) beside the bare
// libjpeg-turbo decode at an eighth of the same picture, round by round, and what 25 a second of
// each take of one core. The pictures are camsim's still scene with a box crossing it.
// The budget, under 1 % of a core beyond receiving, is the whole detector's cost.
//   build/bench/control/motion_bench [rounds]          (default 400)

#include "control/motiondetector.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/motionscene.h"
#include "tools/camsim/testpattern.h"

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

double Microseconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

void BareGreyEighth(const std::string& jpeg, std::vector<uint8_t>& out) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_GRAYSCALE;
    info.scale_num = 1;
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    out.resize(static_cast<size_t>(info.output_width) * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data() + static_cast<size_t>(info.output_scanline) * info.output_width;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The detector's cost and the bare decode's, a picture at a time, in microseconds.
std::pair<double, double> Measure(const std::vector<std::string>& pictures, int rounds) {
    MotionDetector detector{MotionSettings{}};
    std::vector<uint8_t> grey;
    std::vector<double> bare, detected;
    for (int i = 0; i < rounds; ++i) {
        const std::string& jpeg = pictures[static_cast<size_t>(i) % pictures.size()];
        auto start = std::chrono::steady_clock::now();
        BareGreyEighth(jpeg, grey);
        bare.push_back(Microseconds(start));
        start = std::chrono::steady_clock::now();
        detector.Add(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), int64_t{i} * 40);
        detected.push_back(Microseconds(start));
    }
    return {Median(bare), Median(detected)};
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(20, std::atoi(argv[1])) : 400;
    // The noisy scene (every pixel's grain and noise: the hardest a decoder gets) and the test
    // pattern with its numbered band (flat fields: the easiest).
    const camsim::MotionScene box = *camsim::MotionScene::Parse("box:0:99");
    std::vector<std::string> noisy, flat;
    for (int n = 0; n < 100; ++n) {
        std::vector<uint8_t> rgb = camsim::RenderMotionScene(box, 1280, 960, n);
        noisy.push_back(camsim::EncodeJpeg(rgb.data(), 1280, 960, false));
        camsim::Scene scene;
        scene.frame = n;
        rgb = camsim::TestPattern(1280, 960, scene).Render();
        flat.push_back(camsim::EncodeJpeg(rgb.data(), 1280, 960, false));
    }
    std::printf("1280x960 at 25/s, %d rounds; %% of one core\n", rounds);
    for (const auto& [name, pictures] :
         {std::pair{"noisy scene", &noisy}, std::pair{"test pattern", &flat}}) {
        const auto [bare, detected] = Measure(*pictures, rounds);
        std::printf("  %-12s (%6zu bytes): bare grey decode at an eighth %6.0f us (%.2f %%), motion "
                    "detection %6.0f us "
                    "(%.2f %%), %.2f points beyond the bare decode\n",
                    name, pictures->front().size(), bare, bare * 25 / 1e4, detected, detected * 25 / 1e4,
                    (detected - bare) * 25 / 1e4);
    }
    return 0;
}
