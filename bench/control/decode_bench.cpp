// Decoding and converting one camera picture for drawing (decode, byte swap, row order, padded
// bitmap) beside a bare libjpeg-turbo decode of the same bytes to RGB.
//   build/bench/control/decode_bench

#include "control/displaypicture.h"

#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void BareDecode(const std::string& jpeg, std::vector<uint8_t>& out) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    out.resize(static_cast<size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

template <typename Work>
double MedianMicroseconds(Work work, int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    for (const auto [width, height] : {std::pair{640, 480}, std::pair{1280, 960}}) {
        const camsim::TestPattern pattern(width, height, camsim::Scene());
        const std::vector<uint8_t> rgb = pattern.Render();
        const std::string jpeg = camsim::EncodeJpeg(rgb.data(), width, height, false);
        std::vector<uint8_t> out;
        DisplayPicture display;
        const double bare = MedianMicroseconds([&] { BareDecode(jpeg, out); }, 101);
        for (int rotate : {0, 90}) {
            const double full = MedianMicroseconds(
                [&] { display.Convert(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), rotate); }, 101);
            std::printf("%4dx%-4d rotate %3d: bare decode %7.0f us, decode and conversion %7.0f us, ratio %.2f\n",
                        width, height, rotate, bare, full, full / bare);
        }
    }
    return 0;
}
