#pragma once
// Baseline JPEG encoding with libjpeg (6b interface).

#include <cstdint>
#include <string>

namespace camsim {

// rgb holds three bytes per pixel, rows from the top. grey writes a one-component picture of
// the luminance. Empty when libjpeg fails.
std::string EncodeJpeg(const uint8_t* rgb, int width, int height, bool grey, int quality = 85);

} // namespace camsim
