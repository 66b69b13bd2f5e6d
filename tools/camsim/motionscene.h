#pragma once
// Scenes for testing motion detection: a still scene with fine texture and the noise of a camera's
// sensor, in which, by the scene's kind, nothing moves; a dark box crosses the picture from
// picture A to picture B; the whole picture turns brighter at picture C (lights switched on); or
// the box crosses only a rectangle of the picture. Pictures are numbered from 0 as the stream
// sends them.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

struct MotionScene {
    enum class Kind { None, Still, Box, Brightness };
    Kind kind = Kind::None;
    int from = 0; // Box: the first and last picture with the box
    int to = 0;
    int at = 0; // Brightness: the first brighter picture
    // The rectangle the box crosses, or that is brighter, in ten-thousandths of the picture (all of
    // it by default).
    int left = 0;
    int top = 0;
    int width = 10000;
    int height = 10000;
    auto operator<=>(const MotionScene&) const = default;

    // "still", "box:A:B", "box:A:B:L,T,W,H" (shares of the picture in ten-thousandths),
    // "brightness:C", "brightness:C:L,T,W,H"; nothing for any other text.
    static std::optional<MotionScene> Parse(std::string_view text);
    // Where the box is in picture number, in pixels of a picture of that size; false when it is
    // not in that picture.
    bool BoxAt(long long number, int pictureWidth, int pictureHeight, int& x, int& y, int& side) const;
};

// Picture number of the scene: three bytes (red, green, blue) a pixel, rows from the top.
std::vector<uint8_t> RenderMotionScene(const MotionScene& scene, int width, int height, long long number);

} // namespace camsim
