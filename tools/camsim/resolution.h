#pragma once
// Picture sizes as cameras name them in the "resolution" parameter.

#include <string_view>

namespace camsim {

inline constexpr int kMaxPictureSide = 4096; // a 4K or 5-megapixel camera's pictures fit

struct PictureSize {
    int width = 0;
    int height = 0;
};

// "WxH" (each 1 .. kMaxPictureSide), "halfsize" (half the default size), or one of the CIF
// names (4CIF, 2CIFEXP, 2CIF, CIF, QCIF). False for anything else.
bool ParseResolution(std::string_view text, PictureSize defaultSize, PictureSize& size);

} // namespace camsim
