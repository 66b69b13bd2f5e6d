#include "tools/camsim/hostilepictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace camsim {

namespace {

void Marker(std::string& out, uint8_t code) {
    out += '\xFF';
    out += static_cast<char>(code);
}

void Word(std::string& out, int value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void Byte(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
}

// A segment: its marker, its length (which counts itself) and its body.
void Segment(std::string& out, uint8_t code, const std::string& body) {
    Marker(out, code);
    Word(out, static_cast<int>(body.size()) + 2);
    out += body;
}

// One code of one bit, for the symbol 0: a DC difference of 0, or the end of a block's AC
// coefficients. Zero bits, which a decoder reads once the data have run out, decode to it.
std::string SmallestHuffmanTable(int classAndId) {
    std::string table;
    Byte(table, classAndId);
    Byte(table, 1);
    table.append(15, '\0');
    Byte(table, 0);
    return table;
}

std::string Scan(const std::vector<int>& components, int first, int last) {
    std::string body;
    Byte(body, static_cast<int>(components.size()));
    for (int id : components) {
        Byte(body, id);
        Byte(body, 0x00); // DC and AC table 0
    }
    Byte(body, first);
    Byte(body, last);
    Byte(body, 0x00); // successive approximation: first pass, no point transform
    return body;
}

} // namespace

std::string MakeJpeg(const HandMadeJpeg& layout) {
    using Coding = HandMadeJpeg::Coding;
    std::string out;
    Marker(out, 0xD8);
    Segment(out, 0xDB, std::string(1, '\0') + std::string(64, '\x01'));
    if (layout.coding != Coding::ProgressiveArithmetic) {
        Segment(out, 0xC4, SmallestHuffmanTable(0x00) + SmallestHuffmanTable(0x10));
    }
    std::string frame;
    Byte(frame, 8);
    Word(frame, layout.height);
    Word(frame, layout.width);
    Byte(frame, layout.components);
    std::vector<int> ids;
    for (int c = 1; c <= layout.components; ++c) {
        ids.push_back(c);
        Byte(frame, c);
        Byte(frame, c == 1 && layout.components == 3 ? 0x22 : 0x11);
        Byte(frame, 0);
    }
    const uint8_t frameMarker = layout.coding == Coding::Baseline      ? 0xC0
                                : layout.coding == Coding::Progressive ? 0xC2
                                                                       : 0xCA;
    Segment(out, frameMarker, frame);
    if (layout.restartInterval > 0) {
        std::string interval;
        Word(interval, layout.restartInterval);
        Segment(out, 0xDD, interval);
    }
    if (layout.coding == Coding::Baseline) {
        Segment(out, 0xDA, Scan(ids, 0, 63));
    } else {
        Segment(out, 0xDA, Scan(ids, 0, 0));
        const std::string empty = Scan({1}, 1, 63);
        for (int i = 0; i < layout.emptyScans; ++i)
            Segment(out, 0xDA, empty);
    }
    out.append(static_cast<size_t>(std::max(layout.fillerBytes, 0)), '\0');
    Marker(out, 0xD9);
    return out;
}

namespace {

// The largest picture of about 4:3 within pixels pixels and side pixels a side.
std::pair<int, int> Largest(long long pixels, int side) {
    const int height = static_cast<int>(std::sqrt(static_cast<double>(pixels) * 3 / 4));
    return {static_cast<int>(std::min<long long>(side, pixels / height)), height};
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

std::vector<HostilePicture> HostilePictures(const DecoderLimits& limits) {
    using Coding = HandMadeJpeg::Coding;
    // The largest accepted picture in the shape of most camera pictures (4:3), the largest
    // progressive one, and the widest.
    const auto [width, height] = Largest(limits.maxPixels, limits.maxSide);
    const auto [progressiveWidth, progressiveHeight] = Largest(limits.maxProgressivePixels, limits.maxSide);
    const int wideHeight = static_cast<int>(std::max<long long>(1, limits.maxPixels / limits.maxSide));
    const int scans = limits.maxScans - 1; // with the DC scan, just as many as accepted
    const std::string size = SizeText(width, height);
    const std::string progressive = SizeText(progressiveWidth, progressiveHeight);
    const std::string empty = std::to_string(scans) + " empty scans";

    std::vector<HostilePicture> pictures;
    auto add = [&](std::string name, std::string what, const HandMadeJpeg& layout) {
        pictures.push_back({std::move(name), std::move(what), MakeJpeg(layout)});
    };
    add("scans-2896.jpg", "2896x2896 progressive, 38000 empty scans (380 KB)",
        {2896, 2896, 3, Coding::Progressive, 38000});
    add("scans-8192.jpg", "8192x8192 progressive, 38000 empty scans",
        {8192, 8192, 3, Coding::Progressive, 38000});
    add("declared-8192.jpg", "8192x8192 baseline in 5 KB", {8192, 8192, 3, Coding::Baseline, 0, 0, 4900});
    add("largest-baseline.jpg", size + " baseline, no data", {width, height, 3, Coding::Baseline});
    add("largest-restarts.jpg", size + " baseline, a restart every MCU, none sent",
        {width, height, 3, Coding::Baseline, 0, 1});
    add("largest-progressive.jpg", size + " progressive, " + empty,
        {width, height, 3, Coding::Progressive, scans});
    add("progressive-scans.jpg", progressive + " progressive, " + empty,
        {progressiveWidth, progressiveHeight, 3, Coding::Progressive, scans});
    add("progressive-arithmetic.jpg", progressive + " progressive arithmetic, " + empty,
        {progressiveWidth, progressiveHeight, 3, Coding::ProgressiveArithmetic, scans});
    add("progressive-grey-scans.jpg", progressive + " grey progressive, " + empty,
        {progressiveWidth, progressiveHeight, 1, Coding::Progressive, scans});
    add("too-many-scans.jpg", "320x240 progressive, " + std::to_string(limits.maxScans) + " empty scans",
        {320, 240, 3, Coding::Progressive, limits.maxScans});
    add("widest.jpg", SizeText(limits.maxSide, wideHeight) + " baseline, no data",
        {limits.maxSide, wideHeight, 3, Coding::Baseline});
    add("one-pixel-more.jpg", SizeText(width + 1, height) + " baseline, no data",
        {width + 1, height, 3, Coding::Baseline});
    add("too-wide.jpg", SizeText(limits.maxSide + 1, 16) + " baseline, no data",
        {limits.maxSide + 1, 16, 3, Coding::Baseline});
    return pictures;
}

} // namespace camsim
