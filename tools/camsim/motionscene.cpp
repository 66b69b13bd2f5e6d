#include "tools/camsim/motionscene.h"

#include <algorithm>
#include <charconv>

namespace camsim {

namespace {

bool Numbers(std::string_view text, char separator, std::vector<int>& values) {
    while (!text.empty()) {
        const size_t end = std::min(text.find(separator), text.size());
        int value = 0;
        const auto [stop, error] = std::from_chars(text.data(), text.data() + end, value);
        if (error != std::errc() || stop != text.data() + end || value < 0)
            return false;
        values.push_back(value);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return true;
}

// A number that looks random and is the same for the same seed.
uint32_t Scramble(uint32_t seed) {
    seed ^= seed >> 16;
    seed *= 0x7feb352dU;
    seed ^= seed >> 15;
    seed *= 0x846ca68bU;
    return seed ^ (seed >> 16);
}

} // namespace

std::optional<MotionScene> MotionScene::Parse(std::string_view text) {
    MotionScene scene;
    std::string_view rest;
    size_t numbers = 0;
    if (text == "still") {
        scene.kind = Kind::Still;
    } else if (text.substr(0, 11) == "brightness:") {
        scene.kind = Kind::Brightness;
        rest = text.substr(11);
        numbers = 1;
    } else if (text.substr(0, 4) == "box:") {
        scene.kind = Kind::Box;
        rest = text.substr(4);
        numbers = 2;
    } else {
        return std::nullopt;
    }
    if (scene.kind == Kind::Still)
        return scene;
    // The picture numbers, then the rectangle, if any, after the next ':'.
    size_t rectangle = 0;
    for (size_t i = 0; i < numbers && rectangle != std::string_view::npos; ++i)
        rectangle = rest.find(':', i == 0 ? 0 : rectangle + 1);
    rectangle = std::min(rectangle, rest.size());
    std::vector<int> values;
    std::vector<int> area;
    if (!Numbers(rest.substr(0, rectangle), ':', values) || values.size() != numbers ||
        (numbers == 2 && values[0] > values[1]) ||
        (rectangle < rest.size() &&
         (!Numbers(rest.substr(rectangle + 1), ',', area) || area.size() != 4 || area[0] + area[2] > 10000 ||
          area[1] + area[3] > 10000 || area[2] == 0 || area[3] == 0)))
        return std::nullopt;
    scene.from = scene.at = values[0];
    scene.to = values.back();
    if (area.size() == 4) {
        scene.left = area[0];
        scene.top = area[1];
        scene.width = area[2];
        scene.height = area[3];
    }
    return scene;
}

bool MotionScene::BoxAt(long long number, int pictureWidth, int pictureHeight, int& x, int& y,
                        int& side) const {
    if (kind != Kind::Box || number < from || number > to)
        return false;
    const int areaLeft = pictureWidth * left / 10000;
    const int areaWidth = pictureWidth * width / 10000;
    const int areaTop = pictureHeight * top / 10000;
    const int areaHeight = pictureHeight * height / 10000;
    side = std::max(2, std::min(areaWidth, areaHeight) / 3);
    // Left to right across the middle of its rectangle.
    const double travel = to > from ? static_cast<double>(number - from) / (to - from) : 0.0;
    x = areaLeft + static_cast<int>(travel * (areaWidth - side));
    y = areaTop + (areaHeight - side) / 2;
    return true;
}

std::vector<uint8_t> RenderMotionScene(const MotionScene& scene, int width, int height, long long number) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    int boxX = 0, boxY = 0, side = 0;
    const bool box = scene.BoxAt(number, width, height, boxX, boxY, side);
    // Lights switched on: every level half as bright again, inside the scene's rectangle.
    const bool lit = scene.kind == MotionScene::Kind::Brightness && number >= scene.at;
    const int litLeft = width * scene.left / 10000, litRight = width * (scene.left + scene.width) / 10000;
    const int litTop = height * scene.top / 10000, litBottom = height * (scene.top + scene.height) / 10000;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A texture that stays (a gradient and fixed fine grain), and the sensor's noise.
            const uint32_t grain = Scramble(static_cast<uint32_t>(y * width + x));
            const uint32_t noise = Scramble(
                static_cast<uint32_t>((y * width + x) ^ static_cast<uint32_t>(number * 2654435761u)));
            int level = 70 + 60 * x / width + 40 * y / height + static_cast<int>(grain % 17) - 8 +
                        static_cast<int>(noise % 7) - 3;
            if (lit && x >= litLeft && x < litRight && y >= litTop && y < litBottom)
                level = level * 3 / 2;
            if (box && x >= boxX && x < boxX + side && y >= boxY && y < boxY + side)
                level = 15 + static_cast<int>(noise % 7);
            const auto value = static_cast<uint8_t>(std::clamp(level, 0, 255));
            uint8_t* pixel = pixels.data() + (static_cast<size_t>(y) * width + x) * 3;
            pixel[0] = value;
            pixel[1] = static_cast<uint8_t>(std::clamp(level + 10, 0, 255));
            pixel[2] = static_cast<uint8_t>(std::clamp(level - 10, 0, 255));
        }
    }
    return pixels;
}

} // namespace camsim
