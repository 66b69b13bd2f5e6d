#include "tools/camsim/resolution.h"

#include <algorithm>
#include <charconv>

namespace camsim {

namespace {

struct NamedSize {
    std::string_view name;
    PictureSize size;
};

constexpr NamedSize kNamedSizes[] = {
    {"4CIF", {704, 576}}, {"2CIFEXP", {704, 288}}, {"2CIF", {704, 288}},
    {"CIF", {352, 288}},  {"QCIF", {176, 144}},
};

bool ParseSide(std::string_view text, int& side) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    return error == std::errc() && end == text.data() + text.size() && side >= 1 && side <= kMaxPictureSide;
}

} // namespace

bool ParseResolution(std::string_view text, PictureSize defaultSize, PictureSize& size) {
    if (text == "halfsize") {
        size = {std::max(1, defaultSize.width / 2), std::max(1, defaultSize.height / 2)};
        return true;
    }
    for (const NamedSize& named : kNamedSizes) {
        if (text == named.name) {
            size = named.size;
            return true;
        }
    }
    const size_t x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    PictureSize parsed;
    if (!ParseSide(text.substr(0, x), parsed.width) || !ParseSide(text.substr(x + 1), parsed.height))
        return false;
    size = parsed;
    return true;
}

} // namespace camsim
