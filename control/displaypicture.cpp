#include "control/displaypicture.h"

#include "control/jpegdecoder.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// A row of blue-green-red pixels as 0xFFRRGGBB words. In a little-endian machine's memory both
// keep blue, green and red in this order, so a pixel only gains its alpha byte.
static_assert(std::endian::native == std::endian::little);

void BlueGreenRedToRgb32Plain(const uint8_t* bgr, QRgb* out, int width) {
    int x = 0;
    for (; x + 4 <= width; x += 4, bgr += 12, out += 4) {
        uint32_t w[3];
        std::memcpy(w, bgr, sizeof w);
        out[0] = 0xFF000000u | (w[0] & 0xFFFFFFu);
        out[1] = 0xFF000000u | (w[0] >> 24) | ((w[1] & 0xFFFFu) << 8);
        out[2] = 0xFF000000u | (w[1] >> 16) | ((w[2] & 0xFFu) << 16);
        out[3] = 0xFF000000u | (w[2] >> 8);
    }
    for (; x < width; ++x, bgr += 3)
        *out++ = 0xFF000000u | (bgr[2] << 16) | (bgr[1] << 8) | bgr[0];
}

#if defined(__x86_64__)
// Four pixels a step with one byte shuffle. Each step reads 16 bytes for 12, so it stops while
// the row still holds them.
__attribute__((target("ssse3"))) void BlueGreenRedToRgb32Ssse3(const uint8_t* bgr, QRgb* out, int width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    for (; x + 6 <= width; x += 4, bgr += 12, out += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_or_si128(_mm_shuffle_epi8(pixels, spread), alpha));
    }
    BlueGreenRedToRgb32Plain(bgr, out, width - x);
}
#endif

void BlueGreenRedToRgb32(const uint8_t* bgr, QRgb* out, int width) {
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        return BlueGreenRedToRgb32Ssse3(bgr, out, width);
#endif
    BlueGreenRedToRgb32Plain(bgr, out, width);
}

} // namespace

bool DisplayPicture::Prepare(void* context, int width, int height) {
    auto* t = static_cast<DecodeTarget*>(context);
    t->width = width;
    t->height = height;
    t->stride = RowBytes(width);
    DisplayPicture& p = *t->picture;
    try {
        if (t->quarterTurn) {
            p.converted.resize(static_cast<size_t>(t->stride) * kStripRows);
            p.spare.resize(static_cast<size_t>(RowBytes(height)) * width);
        } else {
            p.spare.resize(static_cast<size_t>(t->stride) * height);
        }
    } catch (const std::bad_alloc&) {
        return false; // no memory for it: no picture, the shown one stays
    }
    return true;
}

uint8_t* DisplayPicture::Row(void* context, int y) {
    auto* t = static_cast<DecodeTarget*>(context);
    DisplayPicture& p = *t->picture;
    if (!t->quarterTurn) {
        const int row = t->reverseRows ? t->height - 1 - y : y;
        return p.spare.data() + static_cast<size_t>(row) * t->stride;
    }
    if (y - t->stripStart == kStripRows) {
        p.TurnStrip(*t, t->stripStart, y);
        t->stripStart = y;
    }
    return p.converted.data() + static_cast<size_t>(y - t->stripStart) * t->stride;
}

void DisplayPicture::TurnStrip(const DecodeTarget& t, int start, int end) {
    // Decoded row y (from the top) holds, for rotate 270, the converted picture's row
    // height - 1 - y, else row y. Bitmap row r, column c is the converted picture's row
    // (biWidth - 1 - c), column r, with biWidth = height.
    const int bitsStride = RowBytes(t.height);
    // Columns of consecutive strip rows are neighbours in a bitmap row: write them in runs.
    const int first = t.reverseRows ? t.height - 1 - (end - 1) : start; // converted rows, ascending
    const int count = end - start;
    // The strip rows in the order their pixels stand in a bitmap row.
    const uint8_t* rows[kStripRows];
    for (int k = 0; k < count; ++k) {
        const int convertedRow = first + count - 1 - k;
        const int y = t.reverseRows ? t.height - 1 - convertedRow : convertedRow;
        rows[k] = converted.data() + static_cast<size_t>(y - start) * t.stride;
    }
    uint8_t* out = spare.data() + static_cast<size_t>(t.height - 1 - (first + count - 1)) * 3;
    for (int r = 0; r < t.width; ++r, out += bitsStride) {
        const size_t column = static_cast<size_t>(r) * 3;
        uint8_t* pixel = out;
        for (int k = 0; k < count; ++k, pixel += 3) {
            std::memcpy(pixel, rows[k] + column, 3);
        }
    }
}

bool DisplayPicture::Convert(const uint8_t* jpeg, size_t length, int rotate) {
    DecodeTarget target{this, rotate == 0 || rotate == 270, rotate == 90 || rotate == 270};
    // The shown bitmap stays untouched until the new one is whole.
    if (!DecodeJpegRows(jpeg, length, PixelOrder::BlueGreenRed, &target, &Prepare, &Row)) return false;
    if (target.quarterTurn) TurnStrip(target, target.stripStart, target.height);

    decodedWidth = target.width;
    decodedHeight = target.height;
    biWidth = target.quarterTurn ? decodedHeight : decodedWidth;
    biHeight = target.quarterTurn ? decodedWidth : decodedHeight;
    bits.swap(spare);
    bitmapRotate = rotate;
    shownRotate = -1; // the new bitmap is turned into the shown picture when it is drawn
    return true;
}

void DisplayPicture::Draw(QPainter& painter, const QRect& client, bool stretch) {
    if (bits.empty() || !MakeShown())
        return;
    const QRect target =
        stretch ? QRect(0, 0, client.width(), client.height()) : QRect(0, 0, biWidth, biHeight);
    painter.drawImage(target, shown);
}

bool DisplayPicture::MakeShown() {
    const int rotate = bitmapRotate;
    if (shownRotate == rotate)
        return true;
    const size_t shownStride = static_cast<size_t>(biWidth) * sizeof(QRgb);
    if (shown.width() != biWidth || shown.height() != biHeight) {
        // Its memory is picture memory, like the bitmaps', and used again while the size stays.
        shown = QImage();
        try {
            shownBytes.resize(shownStride * static_cast<size_t>(biHeight));
        } catch (const std::bad_alloc&) {
            shownBytes = PictureBytes();
            return false; // nothing drawn; the next paint tries again
        }
        shown = QImage(shownBytes.data(), biWidth, biHeight, static_cast<qsizetype>(shownStride),
                       QImage::Format_RGB32);
    }
    // The bitmap's first row is its bottom row; a source mirrored vertically (rotate 90)
    // cancels that out, one mirrored horizontally (180) turns it half round. The mirroring is
    // done here, in the one pass that turns the bitmap into the format of the window's surface,
    // so that drawing it converts nothing and no mirrored copy is made.
    const bool upsideDown = rotate != 90;
    const bool leftRight = rotate == 180;
    const size_t stride = static_cast<size_t>(RowBytes(biWidth));
    for (int y = 0; y < biHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(shownBytes.data() + shownStride * static_cast<size_t>(y));
        BlueGreenRedToRgb32(bits.data() + stride * static_cast<size_t>(upsideDown ? biHeight - 1 - y : y),
                            row, biWidth);
        if (leftRight)
            std::reverse(row, row + biWidth);
    }
    shownRotate = rotate;
    return true;
}
