#pragma once
// The picture size a JPEG's frame header announces, read without decoding anything: a stream's
// read thread learns from it whether the pictures changed their size, and a recording the size
// its file declares.

#include <cstdint>

// False when the bytes hold no start-of-image marker followed by a frame header.
bool ReadJpegSize(const uint8_t* jpeg, uint32_t length, int& width, int& height);
