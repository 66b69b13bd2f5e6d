#pragma once
// Pictures made to cost a JPEG decoder as much as possible for their few bytes: frames that
// declare a huge size and carry next to no data, and progressive pictures of thousands of empty
// scans, each of which walks every block of the frame. A camera that was taken over, or a
// broken one, can send them; the viewer must survive them. They are written byte by byte (no
// encoder makes such files), so tests, benchmarks and the fuzz corpus make them when they run
// instead of keeping large files.

#include <string>
#include <vector>

namespace camsim {

// A JPEG put together marker by marker: quantisation and Huffman tables, the frame header, a
// first scan with the DC coefficients of every component (for progressive coding), then
// emptyScans scans of the first component's AC coefficients that hold no data at all, then
// fillerBytes zero bytes of scan data and the end-of-image marker.
struct HandMadeJpeg {
    enum class Coding { Baseline, Progressive, ProgressiveArithmetic };
    int width = 0;
    int height = 0;
    int components = 3; // 1 (grey) or 3 (colour, the first component sampled 2x2)
    Coding coding = Coding::Baseline;
    int emptyScans = 0;
    int restartInterval = 0; // MCUs between restart markers (none are sent)
    int fillerBytes = 0;
};
std::string MakeJpeg(const HandMadeJpeg& layout);

// What the decoder under attack accepts: the pixels of a picture, of a progressive picture
// (whose coefficients the decoder must keep), its longer side, the scans of a progressive
// picture.
struct DecoderLimits {
    long long maxPixels = 0;
    long long maxProgressivePixels = 0;
    int maxSide = 0;
    int maxScans = 0;
};

struct HostilePicture {
    std::string name; // a file name, "scans-2896.jpg"
    std::string what; // one line for people
    std::string bytes;
};

// Pictures just inside the limits and just outside them, each in the costliest form found,
// and the ones cameras were seen to send.
std::vector<HostilePicture> HostilePictures(const DecoderLimits& limits);

} // namespace camsim
