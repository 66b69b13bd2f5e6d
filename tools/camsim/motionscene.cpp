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
    std::vector<int> values;
    if (text == "still") {
        scene.kind = Kind::Still;
    } else if (text.substr(0, 11) == "brightness:" && Numbers(text.substr(11), ':', values) &&
               values.size() == 1) {
        scene.kind = Kind::Brightness;
        scene.at = values[0];
    } else if (text.substr(0, 4) == "box:") {
        const std::string_view rest = text.substr(4);
        const size_t rectangle = std::min(rest.find(':', rest.find(':') + 1), rest.size());
        std::vector<int> area;
        if (!Numbers(rest.substr(0, rectangle), ':', values) || values.size() != 2 || values[0] > values[1] ||
            (rectangle < rest.size() &&
             (!Numbers(rest.substr(rectangle + 1), ',', area) || area.size() != 4 ||
              area[0] + area[2] > 10000 || area[1] + area[3] > 10000 || area[2] == 0 || area[3] == 0)))
            return std::nullopt;
        scene.kind = Kind::Box;
        scene.from = values[0];
        scene.to = values[1];
        if (area.size() == 4) {
            scene.left = area[0];
            scene.top = area[1];
            scene.width = area[2];
            scene.height = area[3];
        }
    } else {
        return std::nullopt;
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
    const int brighter = scene.kind == MotionScene::Kind::Brightness && number >= scene.at ? 50 : 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A texture that stays (a gradient and fixed fine grain), and the sensor's noise.
            const uint32_t grain = Scramble(static_cast<uint32_t>(y * width + x));
            const uint32_t noise = Scramble(
                static_cast<uint32_t>((y * width + x) ^ static_cast<uint32_t>(number * 2654435761u)));
            int level = 70 + 60 * x / width + 40 * y / height + static_cast<int>(grain % 17) - 8 +
                        static_cast<int>(noise % 7) - 3 + brighter;
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
