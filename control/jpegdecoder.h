#pragma once
// Decoding one JPEG picture from memory with libjpeg (6b interface).

#include <cstddef>
#include <cstdint>
#include <memory>

struct DecodedPicture {
    std::unique_ptr<uint8_t[]> pixels; // top-down rows of red, green, blue; width * 3 bytes each
    int width = 0;
    int height = 0;
};

// A cut picture decodes as far as its data go (an end-of-image marker is supplied); a picture
// the decoder cannot read, one beyond the limits of control/decodelimits.h, or output other
// than colour or grey gives nothing.
bool DecodeJpeg(const uint8_t* bytes, size_t length, DecodedPicture& picture);

// The same decoding into rows that the caller places, three bytes a pixel in the given order
// (grey pictures give three equal bytes), or four with a fourth byte of no meaning, which
// suits copying pixels as whole words, or one byte of luminance (Grey): prepare(width, height) is told the
// size first and may refuse it; row(y) then says where decoded row y (from the top) goes.
enum class PixelOrder { RedGreenBlue, BlueGreenRed, BlueGreenRedPadded, Grey };
using PrepareRows = bool (*)(void* context, int width, int height);
using RowAddress = uint8_t* (*)(void* context, int y);

// Decoding smaller than the picture: the caller names the size the result must still cover
// (0, 0: the whole size), and learns the picture's own size and the scale used, 1/denominator.
// It may also name a part of the picture (in shares of it, as decoded): only that part is then
// decoded, widened to the picture's blocks on the left and right, and it learns the part's
// place in the scaled picture.
struct DecodeScale {
    int coverWidth = 0;
    int coverHeight = 0;
    double partLeft = 0.0;
    double partTop = 0.0;
    double partWidth = 1.0;
    double partHeight = 1.0;

    int pictureWidth = 0;
    int pictureHeight = 0;
    int denominator = 1;
    int scaledWidth = 0; // the whole picture at the scale used
    int scaledHeight = 0;
    int partX = 0; // the first column and row decoded, of the scaled picture
    int partY = 0;
};

// With a scale, the rows are the picture (or its part) scaled down by the largest of 2, 4 and 8 (libjpeg's
// DCT scaling, far cheaper than decoding whole and shrinking) that still covers the size named.
bool DecodeJpegRows(const uint8_t* bytes, size_t length, PixelOrder order, void* context, PrepareRows prepare,
                    RowAddress row, DecodeScale* scale = nullptr);

// The largest of 8, 4 and 2 by which a picture of width x height can be divided (each side
// rounded up) and still be at least coverWidth x coverHeight; 1 when none can.
int ChooseScaleDenominator(int width, int height, int coverWidth, int coverHeight);
