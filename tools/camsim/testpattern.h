#pragma once
// The picture a simulated camera shows, made so that a test can tell every rotation and
// mirroring apart and knows the expected colour of each pixel.
//
// Four solid fields meet at the crossing point (CrossX, CrossY), which starts in the middle of
// the picture and moves with the PTZ "center" command:
//
//     +-----------------+------------------+
//     | red   (255,0,0) | green (0,255,0)  |      x <  CrossX: left fields
//     +-----------------X------------------+      y <  CrossY: top fields
//     | blue  (0,0,255) | white (255,255,255)|
//     +=================+==================+
//     | black band with white text "CAM 1 FRAME 7 ZOOM 1"      rows BandTop() .. height-1
//     +------------------------------------+
//
// All four colours differ, so each of the eight rotations and mirrorings of the picture puts a
// different colour in the top-left corner region, and so on for the other three.
// Grey-scale pictures carry each colour's luminance (Grey(): red 76, green 150, blue 29,
// white 255), the weights libjpeg converts with.
//
// A decoded picture matches ColourAt within a few levels per channel (JPEG is lossy) at any
// pixel at least 16 pixels away from a field border and outside the band; SamplePoint gives
// such a pixel in the middle of each field. The text shows the camera (video source) number,
// the frame counter within the cycle of pre-encoded pictures, and the current zoom.

#include <cstdint>
#include <string>
#include <vector>

namespace camsim {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct Point {
    int x = -1;
    int y = -1;
};

// What one picture shows.
struct Scene {
    int camera = 1;
    int frame = 0;
    int zoom = 1;
    double crossX = 0.5; // where the fields meet, as a fraction of the width
    double crossY = 0.5; // and of the height
};

class TestPattern {
  public:
    enum class Field { TopLeft, TopRight, BottomLeft, BottomRight };
    static constexpr Rgb kTopLeft{255, 0, 0};
    static constexpr Rgb kTopRight{0, 255, 0};
    static constexpr Rgb kBottomLeft{0, 0, 255};
    static constexpr Rgb kBottomRight{255, 255, 255};
    static constexpr Rgb kBand{0, 0, 0};
    static constexpr Rgb kText{255, 255, 255};

    TestPattern(int width, int height, const Scene& scene);

    int Width() const { return width; }
    int Height() const { return height; }
    // The first column of the right fields and the first row of the bottom fields.
    int CrossX() const { return crossX; }
    int CrossY() const { return crossY; }
    // The first row of the text band; the height when the picture is too small for text.
    int BandTop() const { return bandTop; }
    std::string Text() const;

    static Rgb FieldColour(Field field);
    // The colour at a pixel, text left out (the band is black).
    Rgb ColourAt(int x, int y) const;
    // The middle of the visible part of a field; (-1, -1) when the field is not visible.
    Point SamplePoint(Field field) const;
    // Luminance, as grey-scale pictures carry a colour.
    static uint8_t Grey(Rgb colour);

    // Three bytes (red, green, blue) per pixel, rows from the top.
    std::vector<uint8_t> Render() const;

  private:
    void DrawText(std::vector<uint8_t>& pixels) const;

    const int width;
    const int height;
    const Scene scene;
    const int crossX;
    const int bandTop;
    const int crossY;
};

} // namespace camsim
