#pragma once
// A 5 x 7 pixel font for the few characters the pictures show: digits, blank and the capitals
// of "CAM", "FRAME" and "ZOOM".

#include <cstdint>

namespace camsim {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Seven rows, bit 4 the leftmost pixel; null for a character the font does not have (drawn blank).
const uint8_t* GlyphRows(char c);

} // namespace camsim
