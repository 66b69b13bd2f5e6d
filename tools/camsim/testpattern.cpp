#include "tools/camsim/testpattern.h"

#include "tools/camsim/font.h"

#include <algorithm>
#include <cmath>

namespace camsim {

namespace {

int Fraction(double fraction, int size) {
    return std::clamp(static_cast<int>(std::lround(fraction * size)), 0, size);
}

// An eighth of the picture, but at least a glyph with a pixel above and below.
int BandHeight(int height) {
    const int band = height / 8;
    return band >= kGlyphHeight + 2 ? band : 0;
}

} // namespace

TestPattern::TestPattern(int width, int height, const Scene& scene)
    : width(width), height(height), scene(scene), crossX(Fraction(scene.crossX, width)),
      bandTop(height - BandHeight(height)), crossY(Fraction(scene.crossY, height)) {}

std::string TestPattern::Text() const {
    return "CAM " + std::to_string(scene.camera) + " FRAME " + std::to_string(scene.frame) + " ZOOM " +
           std::to_string(scene.zoom);
}

Rgb TestPattern::FieldColour(Field field) {
    switch (field) {
    case Field::TopLeft:
        return kTopLeft;
    case Field::TopRight:
        return kTopRight;
    case Field::BottomLeft:
        return kBottomLeft;
    case Field::BottomRight:
        return kBottomRight;
    }
    return kBand;
}

Rgb TestPattern::ColourAt(int x, int y) const {
    if (y >= bandTop)
        return kBand;
    const bool left = x < crossX;
    if (y < crossY)
        return FieldColour(left ? Field::TopLeft : Field::TopRight);
    return FieldColour(left ? Field::BottomLeft : Field::BottomRight);
}

Point TestPattern::SamplePoint(Field field) const {
    const bool left = field == Field::TopLeft || field == Field::BottomLeft;
    const bool top = field == Field::TopLeft || field == Field::TopRight;
    const int x0 = left ? 0 : crossX;
    const int x1 = left ? crossX : width;
    const int y0 = top ? 0 : crossY;
    const int y1 = top ? std::min(crossY, bandTop) : bandTop;
    if (x1 <= x0 || y1 <= y0)
        return Point{};
    return Point{(x0 + x1) / 2, (y0 + y1) / 2};
}

uint8_t TestPattern::Grey(Rgb colour) {
    return static_cast<uint8_t>(std::lround(0.299 * colour.red + 0.587 * colour.green + 0.114 * colour.blue));
}

std::vector<uint8_t> TestPattern::Render() const {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            const Rgb colour = ColourAt(x, y);
            row[3 * x] = colour.red;
            row[3 * x + 1] = colour.green;
            row[3 * x + 2] = colour.blue;
        }
    }
    DrawText(pixels);
    return pixels;
}

void TestPattern::DrawText(std::vector<uint8_t>& pixels) const {
    const std::string text = Text();
    const int advance = kGlyphWidth + 1;
    const int bandHeight = height - bandTop;
    const int scale =
        std::min((bandHeight - 2) / kGlyphHeight, (width - 2) / (advance * static_cast<int>(text.size())));
    if (bandHeight == 0 || scale < 1)
        return;
    const int top = bandTop + (bandHeight - kGlyphHeight * scale) / 2;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* rows = GlyphRows(text[i]);
        if (rows == nullptr)
            continue;
        const int left = 1 + static_cast<int>(i) * advance * scale;
        for (int gy = 0; gy < kGlyphHeight * scale; ++gy) {
            for (int gx = 0; gx < kGlyphWidth * scale; ++gx) {
                if ((rows[gy / scale] & (0x10 >> (gx / scale))) == 0)
                    continue;
                uint8_t* pixel = pixels.data() + (static_cast<size_t>(top + gy) * width + left + gx) * 3;
                pixel[0] = kText.red;
                pixel[1] = kText.green;
                pixel[2] = kText.blue;
            }
        }
    }
}

} // namespace camsim
