#include "tools/camsim/ptzcontrol.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace camsim {

namespace {

std::optional<int> Number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A numeric parameter: its value, the fallback when absent, nullopt when not a number.
std::optional<int> NumberParameter(const RequestHead& request, std::string_view name, int fallback) {
    const std::optional<std::string> text = request.Query(name);
    return text ? Number(*text) : fallback;
}

} // namespace

bool PtzControl::Apply(const RequestHead& request, int sources, int width, int height) {
    const std::optional<int> camera = NumberParameter(request, "camera", 1);
    const std::optional<int> imageWidth = NumberParameter(request, "imagewidth", width);
    const std::optional<int> imageHeight = NumberParameter(request, "imageheight", height);
    if (!camera || *camera < 1 || *camera > sources || !imageWidth || !imageHeight || *imageWidth <= 0 ||
        *imageHeight <= 0) {
        return false;
    }
    std::optional<int> centerX;
    std::optional<int> centerY;
    if (const std::optional<std::string> center = request.Query("center")) {
        const size_t comma = center->find(',');
        if (comma == std::string::npos)
            return false;
        centerX = Number(std::string_view(*center).substr(0, comma));
        centerY = Number(std::string_view(*center).substr(comma + 1));
        if (!centerX || !centerY)
            return false;
    }
    const std::optional<int> zoom = NumberParameter(request, "zoom", 0);
    const std::optional<int> relativeZoom = NumberParameter(request, "rzoom", 0);
    if (!zoom || !relativeZoom)
        return false;

    std::lock_guard<std::mutex> guard(lock);
    PtzPosition& position = positions[*camera];
    if (request.Query("zoom"))
        position.zoom = std::clamp(*zoom, kMinZoom, kMaxZoom);
    // In 64 bits: a zoom of 2147483647 asked for plus a step does not wrap round.
    position.zoom =
        static_cast<int>(std::clamp<int64_t>(int64_t{position.zoom} + *relativeZoom, kMinZoom, kMaxZoom));
    if (centerX) {
        position.crossX =
            std::clamp(position.crossX + 0.5 - static_cast<double>(*centerX) / *imageWidth, 0.0, 1.0);
        position.crossY =
            std::clamp(position.crossY + 0.5 - static_cast<double>(*centerY) / *imageHeight, 0.0, 1.0);
    }
    return true;
}

PtzPosition PtzControl::Position(int camera) const {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = positions.find(camera);
    return found == positions.end() ? PtzPosition{} : found->second;
}

} // namespace camsim
