#include "control/displaypicture.h"

#include "control/jpegdecoder.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kStripPixelBytes = 4; // blue, green, red and a byte of no meaning
// How many bitmap rows ahead of the ones being written are fetched into the cache: the rows a
// strip writes are far apart, and each write would otherwise wait for its row to arrive.
constexpr int kFetchAheadRows = 8;

// Copies the pixels of column x of count strip rows, in the order of rows, to one bitmap row.
void TurnColumn(const uint8_t* const* rows, int count, int x, uint8_t* out) {
    const size_t column = static_cast<size_t>(x) * kStripPixelBytes;
    for (int k = 0; k < count; ++k, out += 3)
        std::memcpy(out, rows[k] + column, 3);
}

#if defined(__SSE2__)
// Four pixels of four bytes as twelve bytes of three, followed by four zero bytes.
inline __m128i Pack(__m128i four) {
    // In each half, the first pixel's three bytes and the second's after them: six bytes.
    const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i second =
        _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000), 0x0000FFFF, static_cast<int>(0xFF000000));
    const __m128i pairs =
        _mm_or_si128(_mm_and_si128(four, first), _mm_and_si128(_mm_srli_epi64(four, 8), second));
    const __m128i lowSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
    const __m128i nextSix = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000), 0);
    return _mm_or_si128(_mm_and_si128(pairs, lowSix), _mm_and_si128(_mm_srli_si128(pairs, 2), nextSix));
}

// The pixels k to k + 3 of four columns: the rows of the block turned, one register a column.
struct Block {
    __m128i column[4];
};

inline Block TurnBlock(const uint8_t* const* rows, int k, size_t at) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + at));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 2] + at));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 3] + at));
    const __m128i ab0 = _mm_unpacklo_epi32(a, b);
    const __m128i ab1 = _mm_unpackhi_epi32(a, b);
    const __m128i cd0 = _mm_unpacklo_epi32(c, d);
    const __m128i cd1 = _mm_unpackhi_epi32(c, d);
    return {{_mm_unpacklo_epi64(ab0, cd0), _mm_unpackhi_epi64(ab0, cd0), _mm_unpacklo_epi64(ab1, cd1),
             _mm_unpackhi_epi64(ab1, cd1)}};
}

// Columns x to x + 3 of count strip rows into four bitmap rows: sixteen pixels of a column
// (48 bytes) at a time as three whole 16-byte stores, the rest one pixel at a time.
void TurnFourColumns(const uint8_t* const* rows, int count, int x, uint8_t* out, int outStride) {
    uint8_t* const to[4] = {out, out + outStride, out + 2 * outStride, out + 3 * outStride};
    const size_t at = static_cast<size_t>(x) * kStripPixelBytes;
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        const Block b0 = TurnBlock(rows, k, at);
        const Block b1 = TurnBlock(rows, k + 4, at);
        const Block b2 = TurnBlock(rows, k + 8, at);
        const Block b3 = TurnBlock(rows, k + 12, at);
        for (int j = 0; j < 4; ++j) {
            const __m128i p0 = Pack(b0.column[j]);
            const __m128i p1 = Pack(b1.column[j]);
            const __m128i p2 = Pack(b2.column[j]);
            const __m128i p3 = Pack(b3.column[j]);
            auto* run = reinterpret_cast<__m128i*>(to[j] + static_cast<size_t>(k) * 3);
            _mm_storeu_si128(run, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
            _mm_storeu_si128(run + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
            _mm_storeu_si128(run + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
        }
    }
    for (int j = 0; j < 4; ++j)
        TurnColumn(rows + k, count - k, x + j, to[j] + static_cast<size_t>(k) * 3);
}
#endif

} // namespace

bool DisplayPicture::Prepare(void* context, int width, int height) {
    auto* t = static_cast<DecodeTarget*>(context);
    t->width = width;
    t->height = height;
    t->stride = RowBytes(width);
    DisplayPicture& p = *t->picture;
    try {
        if (t->quarterTurn) {
            // An odd number of cache lines a row, so that the strip's rows fall on different
            // cache sets when a column is read down them.
            t->stripStride = (width * kStripPixelBytes + 63) / 64 * 64;
            if (t->stripStride / 64 % 2 == 0)
                t->stripStride += 64;
            p.converted.resize(static_cast<size_t>(t->stripStride) * kStripRows);
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
    return p.converted.data() + static_cast<size_t>(y - t->stripStart) * t->stripStride;
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
        rows[k] = converted.data() + static_cast<size_t>(y - start) * t.stripStride;
    }
    uint8_t* out = spare.data() + static_cast<size_t>(t.height - 1 - (first + count - 1)) * 3;
    int x = 0;
#if defined(__SSE2__)
    const int runBytes = count * 3;
    for (; x + 4 <= t.width; x += 4) {
        if (x + kFetchAheadRows + 4 <= t.width) {
            for (int j = kFetchAheadRows; j < kFetchAheadRows + 4; ++j) {
                const char* run =
                    reinterpret_cast<const char*>(out + static_cast<size_t>(x + j) * bitsStride);
                for (int b = 0; b < runBytes; b += 64)
                    _mm_prefetch(run + b, _MM_HINT_T0);
                _mm_prefetch(run + runBytes - 1, _MM_HINT_T0);
            }
        }
        TurnFourColumns(rows, count, x, out + static_cast<size_t>(x) * bitsStride, bitsStride);
    }
#endif
    for (; x < t.width; ++x)
        TurnColumn(rows, count, x, out + static_cast<size_t>(x) * bitsStride);
}

bool DisplayPicture::Convert(const uint8_t* jpeg, size_t length, int rotate, QSize drawn) {
    DecodeTarget target{this, rotate == 0 || rotate == 270, rotate == 90 || rotate == 270};
    DecodeScale scale;
    if (drawn.isValid()) {
        // The cover size in the decoder's orientation.
        scale.coverWidth = target.quarterTurn ? drawn.height() : drawn.width();
        scale.coverHeight = target.quarterTurn ? drawn.width() : drawn.height();
    }
    // The shown bitmap stays untouched until the new one is whole.
    const PixelOrder order = target.quarterTurn ? PixelOrder::BlueGreenRedPadded : PixelOrder::BlueGreenRed;
    if (!DecodeJpegRows(jpeg, length, order, &target, &Prepare, &Row, &scale))
        return false;
    if (target.quarterTurn)
        TurnStrip(target, target.stripStart, target.height);

    pictureWidth = scale.pictureWidth;
    pictureHeight = scale.pictureHeight;
    decodedWidth = target.width;
    decodedHeight = target.height;
    biWidth = target.quarterTurn ? decodedHeight : decodedWidth;
    biHeight = target.quarterTurn ? decodedWidth : decodedHeight;
    bits.swap(spare);
    bitmapRotate = rotate;
    windowFormatMade = false;
    return true;
}

void DisplayPicture::MakeWindowFormat(bool upsideDown, bool sideways) {
    windowFormat.resize(static_cast<size_t>(biWidth) * biHeight * 4);
    const int stride = RowBytes(biWidth);
    for (int y = 0; y < biHeight; ++y) {
        const uint8_t* in = bits.data() + static_cast<size_t>(upsideDown ? biHeight - 1 - y : y) * stride;
        auto* out = reinterpret_cast<uint32_t*>(windowFormat.data()) + static_cast<size_t>(y) * biWidth;
        for (int x = 0; x < biWidth; ++x, in += 3) {
            out[sideways ? biWidth - 1 - x : x] = 0xFF000000u | in[0] | in[1] << 8 | in[2] << 16;
        }
    }
    windowFormatMade = true;
}

void DisplayPicture::Draw(QPainter& painter, const QRect& client, bool stretch) {
    if (bits.empty())
        return;
    const QRect target =
        stretch ? QRect(0, 0, client.width(), client.height()) : QRect(0, 0, biWidth, biHeight);
    // The bitmap's first row is its bottom row; a source mirrored vertically (rotate 90) cancels
    // that out, one mirrored horizontally (180) turns it half round.
    const bool upsideDown = bitmapRotate != 90;
    const bool sideways = bitmapRotate == 180;
    // Drawn much smaller than it is, the picture is sampled straight from the bitmap, mirrored
    // on the way: a large picture then costs no second bitmap. Otherwise it is made once, as it
    // appears, in the format windows are drawn in, which draws many times faster than converting
    // and mirroring each pixel while drawing.
    const bool sampled = stretch && 2LL * target.width() * target.height() < 1LL * biWidth * biHeight;
    if (sampled) {
        PictureBytes().swap(windowFormat);
        windowFormatMade = false;
        const QImage memory(bits.data(), biWidth, biHeight, RowBytes(biWidth), QImage::Format_BGR888);
        painter.save();
        painter.translate(sideways ? target.right() + 1 : 0, upsideDown ? target.bottom() + 1 : 0);
        painter.scale(sideways ? -1 : 1, upsideDown ? -1 : 1);
        painter.drawImage(QRect(0, 0, target.width(), target.height()), memory);
        painter.restore();
        return;
    }
    if (!windowFormatMade)
        MakeWindowFormat(upsideDown, sideways);
    const QImage shown(windowFormat.data(), biWidth, biHeight, biWidth * 4, QImage::Format_RGB32);
    painter.drawImage(target, shown);
}
