#pragma once
// The pixel loops of the control's picture (DisplayPicture), the ones that cost as much as a
// part of the decoding. They exist because the memory the decoder writes is not laid out as the
// memory they fill: a quarter turn makes each decoded row a column of the 24-bit bitmap, whose
// rows lie far apart; the bitmap holds three bytes a pixel, bottom row first, and the window
// surface draws fastest from 32-bit words, top row first; a half turn reverses each row.
// Painting thread only, like the picture; ForcePictureKernel between pictures.
//
// Turning and the 32-bit conversion have a plain C++ path and, on x86-64, paths with SSSE3 and
// AVX2 byte shuffles. The widest path the processor has is chosen at the first use and called
// through a function pointer from then on. LUMENFOLD_PICTURE_KERNEL=plain|ssse3|avx2, read at
// that first use, chooses one instead, for benchmarks and profilers; a path the processor lacks,
// or any other value, is ignored. Mirroring has one path: the SSE2 it needs is part of x86-64.

#include <QRgb>

#include <cstdint>
#include <vector>

enum class PictureKernel { Plain, Ssse3, Avx2 };

// The paths this processor has, plainest first.
std::vector<PictureKernel> AvailablePictureKernels();
// Uses the given path from the next call on; false, with nothing changed, when the processor
// lacks it.
bool ForcePictureKernel(PictureKernel kernel);
PictureKernel ActivePictureKernel();
// "plain", "ssse3" or "avx2", as LUMENFOLD_PICTURE_KERNEL names them.
const char* PictureKernelName(PictureKernel kernel);

// The pixels of the rows that a quarter turn reads: blue, green, red and a byte of no meaning.
constexpr int kStripPixelBytes = 4;

// Column x (0 to width - 1) of count rows (at most 32) into the bitmap row at out + x * outStride:
// the rows' pixels of that column in the order of rows, three bytes each.
void TurnStripRows(const uint8_t* const* rows, int count, int width, uint8_t* out, int outStride);

// A row of blue-green-red pixels as 0xFFRRGGBB words.
void BlueGreenRedToRgb32(const uint8_t* bgr, QRgb* out, int width);

// Reverses the order of a row's pixels.
void MirrorRow(QRgb* row, int width);
