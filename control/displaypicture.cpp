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

constexpr int kStripPixelBytes = 4; // blue, green, red and a byte of no meaning
// How many bitmap rows ahead of the ones being written are fetched into the cache: the rows a
// strip writes are far apart, and each write would otherwise wait for its row to arrive.
constexpr int kFetchAheadRows = 16;

// Where the strip's first row starts in its memory: a few bytes past a cache line. libjpeg-turbo
// writes a row that starts on a 16- or 32-byte boundary with stores that bypass the cache, so a
// strip so placed would have to be read back from memory to be turned, which costs more than
// the decoding itself; rows that start elsewhere are written into the cache.
// The bytes the strip's memory needs beyond its rows for that: up to a cache line and a pixel.
constexpr size_t kStripSlack = 64 + kStripPixelBytes;
uint8_t* StripStart(uint8_t* memory) {
    const auto address = reinterpret_cast<uintptr_t>(memory);
    return memory + ((address + 63) / 64 * 64 - address) + kStripPixelBytes;
}

// Copies the pixels of column x of count strip rows, in the order of rows, to one bitmap row.
void TurnColumn(const uint8_t* const* rows, int count, int x, uint8_t* out) {
    const size_t column = static_cast<size_t>(x) * kStripPixelBytes;
    for (int k = 0; k < count; ++k, out += 3)
        std::memcpy(out, rows[k] + column, 3);
}

#if defined(__x86_64__)
// A column's sixteen pixels k to k + 15 come as four registers of four pixels (four bytes each);
// its 48-byte run in the bitmap row is three 16-byte pieces, piece p made of register p's bytes
// shuffled by kPieceShuffle[p][0] and register p + 1's by kPieceShuffle[p][1].
alignas(16) constexpr int8_t kPieceShuffle[3][2][16] = {
    {{0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1},
     {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 4}},
    {{5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1},
     {-1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8, 9}},
    {{10, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
     {-1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14}},
};

// Columns x to x + 3 of count strip rows into four bitmap rows: sixteen pixels of a column
// (48 bytes) at a time, turned in blocks of four rows and written as three whole 16-byte
// pieces; the rest one pixel at a time.
__attribute__((target("ssse3"))) void TurnFourColumns(const uint8_t* const* rows, int count, int x,
                                                      uint8_t* out, int outStride) {
    const auto* shuffle = reinterpret_cast<const __m128i*>(kPieceShuffle);
    const size_t at = static_cast<size_t>(x) * kStripPixelBytes;
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        __m128i column[4][4]; // [block of four rows][column]
        for (int i = 0; i < 4; ++i) {
            const uint8_t* const* block = rows + k + 4 * i;
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block[0] + at));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block[1] + at));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block[2] + at));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block[3] + at));
            const __m128i ab0 = _mm_unpacklo_epi32(a, b), ab1 = _mm_unpackhi_epi32(a, b);
            const __m128i cd0 = _mm_unpacklo_epi32(c, d), cd1 = _mm_unpackhi_epi32(c, d);
            column[i][0] = _mm_unpacklo_epi64(ab0, cd0);
            column[i][1] = _mm_unpackhi_epi64(ab0, cd0);
            column[i][2] = _mm_unpacklo_epi64(ab1, cd1);
            column[i][3] = _mm_unpackhi_epi64(ab1, cd1);
        }
        for (int j = 0; j < 4; ++j) {
            auto* run = reinterpret_cast<__m128i*>(out + static_cast<size_t>(j) * outStride + k * 3);
            for (int p = 0; p < 3; ++p) {
                _mm_storeu_si128(run + p,
                                 _mm_or_si128(_mm_shuffle_epi8(column[p][j], shuffle[2 * p]),
                                              _mm_shuffle_epi8(column[p + 1][j], shuffle[2 * p + 1])));
            }
        }
    }
    for (int j = 0; j < 4; ++j)
        TurnColumn(rows + k, count - k, x + j, out + static_cast<size_t>(j) * outStride + k * 3);
}

// The same for columns x to x + 7 with registers twice as wide: each holds the four columns
// from x in its lower half and the four from x + 4 in its upper half.
__attribute__((target("avx2"))) void TurnEightColumns(const uint8_t* const* rows, int count, int x,
                                                      uint8_t* out, int outStride) {
    __m256i shuffle[6];
    for (int i = 0; i < 6; ++i)
        shuffle[i] = _mm256_broadcastsi128_si256(reinterpret_cast<const __m128i*>(kPieceShuffle)[i]);
    const size_t at = static_cast<size_t>(x) * kStripPixelBytes;
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        __m256i column[4][4]; // [block of four rows][column, and column + 4]
        for (int i = 0; i < 4; ++i) {
            const uint8_t* const* block = rows + k + 4 * i;
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block[0] + at));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block[1] + at));
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block[2] + at));
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block[3] + at));
            const __m256i ab0 = _mm256_unpacklo_epi32(a, b), ab1 = _mm256_unpackhi_epi32(a, b);
            const __m256i cd0 = _mm256_unpacklo_epi32(c, d), cd1 = _mm256_unpackhi_epi32(c, d);
            column[i][0] = _mm256_unpacklo_epi64(ab0, cd0);
            column[i][1] = _mm256_unpackhi_epi64(ab0, cd0);
            column[i][2] = _mm256_unpacklo_epi64(ab1, cd1);
            column[i][3] = _mm256_unpackhi_epi64(ab1, cd1);
        }
        for (int j = 0; j < 4; ++j) {
            auto* low = reinterpret_cast<__m128i*>(out + static_cast<size_t>(j) * outStride + k * 3);
            auto* high = reinterpret_cast<__m128i*>(out + static_cast<size_t>(j + 4) * outStride + k * 3);
            for (int p = 0; p < 3; ++p) {
                const __m256i piece =
                    _mm256_or_si256(_mm256_shuffle_epi8(column[p][j], shuffle[2 * p]),
                                    _mm256_shuffle_epi8(column[p + 1][j], shuffle[2 * p + 1]));
                _mm_storeu_si128(low + p, _mm256_castsi256_si128(piece));
                _mm_storeu_si128(high + p, _mm256_extracti128_si256(piece, 1));
            }
        }
    }
    for (int j = 0; j < 8; ++j)
        TurnColumn(rows + k, count - k, x + j, out + static_cast<size_t>(j) * outStride + k * 3);
}

#endif

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

// Reverses the order of a row's pixels, four from each end at a time.
void MirrorRow(QRgb* row, int width) {
    QRgb* left = row;
    QRgb* right = row + width;
#if defined(__x86_64__)
    for (; right - left >= 8; left += 4, right -= 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(left));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(right - 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(left), _mm_shuffle_epi32(b, 0x1B));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(right - 4), _mm_shuffle_epi32(a, 0x1B));
    }
#endif
    std::reverse(left, right);
}

void BlueGreenRedToRgb32(const uint8_t* bgr, QRgb* out, int width) {
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        return BlueGreenRedToRgb32Ssse3(bgr, out, width);
#endif
    BlueGreenRedToRgb32Plain(bgr, out, width);
}

} // namespace

int DisplayPicture::AsDrawnStride(int width) {
    return (width * static_cast<int>(sizeof(QRgb)) + 31) / 32 * 32;
}

QImage DisplayPicture::AsDrawn() const {
    if (!bitsAsDrawn || bits.empty())
        return QImage();
    return QImage(bits.data() + kAsDrawnOffset, biWidth, biHeight, AsDrawnStride(biWidth), QImage::Format_RGB32);
}

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
            p.converted.resize(static_cast<size_t>(t->stripStride) * kStripRows + kStripSlack);
            t->strip = StripStart(p.converted.data());
            p.spare.resize(static_cast<size_t>(RowBytes(height)) * width);
        } else {
            if (t->asDrawn)
                t->stride = AsDrawnStride(width);
            p.spare.resize(static_cast<size_t>(t->stride) * height + (t->asDrawn ? kAsDrawnOffset : 0));
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
        p.MirrorRowsBefore(*t, y); // while they are still in the cache
        return p.spare.data() + (t->asDrawn ? kAsDrawnOffset : 0) + static_cast<size_t>(RowOf(*t, y)) * t->stride;
    }
    if (y - t->stripStart == kStripRows) {
        p.TurnStrip(*t, t->stripStart, y);
        t->stripStart = y;
    }
    return t->strip + static_cast<size_t>(y - t->stripStart) * t->stripStride;
}

int DisplayPicture::RowOf(const DecodeTarget& t, int y) {
    return t.reverseRows ? t.height - 1 - y : y;
}

void DisplayPicture::MirrorRowsBefore(DecodeTarget& t, int y) {
    for (; t.mirrorRows && t.mirrored < y; ++t.mirrored) {
        auto* row = reinterpret_cast<QRgb*>(spare.data() + kAsDrawnOffset +
                                            static_cast<size_t>(RowOf(t, t.mirrored)) * t.stride);
        MirrorRow(row, t.width);
    }
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
        rows[k] = t.strip + static_cast<size_t>(y - start) * t.stripStride;
    }
    uint8_t* out = spare.data() + static_cast<size_t>(t.height - 1 - (first + count - 1)) * 3;
    int x = 0;
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    static const bool wide = __builtin_cpu_supports("avx2");
    const int runBytes = count * 3;
    const int step = wide ? 8 : 4;
    for (; shuffles && x + step <= t.width; x += step) {
        uint8_t* to = out + static_cast<size_t>(x) * bitsStride;
        // A run is at most 96 bytes, so its first, middle and last bytes lie in every cache
        // line it touches. (In a function of its own the fetches would be optimised away.)
        const char* ahead =
            reinterpret_cast<const char*>(to) + static_cast<size_t>(kFetchAheadRows) * bitsStride;
        for (int j = x + kFetchAheadRows + step <= t.width ? step : 0; j > 0; --j, ahead += bitsStride) {
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + runBytes / 2);
            __builtin_prefetch(ahead + runBytes - 1);
        }
        if (wide)
            TurnEightColumns(rows, count, x, to, bitsStride);
        else
            TurnFourColumns(rows, count, x, to, bitsStride);
    }
#endif
    for (; x < t.width; ++x)
        TurnColumn(rows, count, x, out + static_cast<size_t>(x) * bitsStride);
}

bool DisplayPicture::Convert(const uint8_t* jpeg, size_t length, int rotate, QSize drawn) {
    // Unturned or turned half round, the decoded rows are the picture as drawn (for the half turn
    // bottom row first, each row then mirrored); libjpeg-turbo fills the fourth byte of each
    // pixel with 0xFF, which makes them the window surface's 32-bit words.
    const bool asDrawn = rotate == 0 || rotate == 180;
    DecodeTarget target{this, rotate == 270 || rotate == 180, rotate == 90 || rotate == 270, asDrawn, rotate == 180};
    DecodeScale scale;
    if (drawn.isValid()) {
        // The cover size in the decoder's orientation.
        scale.coverWidth = target.quarterTurn ? drawn.height() : drawn.width();
        scale.coverHeight = target.quarterTurn ? drawn.width() : drawn.height();
    }
    // The shown bitmap stays untouched until the new one is whole.
    const PixelOrder order =
        target.quarterTurn || asDrawn ? PixelOrder::BlueGreenRedPadded : PixelOrder::BlueGreenRed;
    if (!DecodeJpegRows(jpeg, length, order, &target, &Prepare, &Row, &scale))
        return false;
    if (target.quarterTurn)
        TurnStrip(target, target.stripStart, target.height);
    MirrorRowsBefore(target, target.height);

    pictureWidth = scale.pictureWidth;
    pictureHeight = scale.pictureHeight;
    decodedWidth = target.width;
    decodedHeight = target.height;
    biWidth = target.quarterTurn ? decodedHeight : decodedWidth;
    biHeight = target.quarterTurn ? decodedWidth : decodedHeight;
    bits.swap(spare);
    bitmapRotate = rotate;
    bitsAsDrawn = asDrawn;
    shownRotate = -1; // the new bitmap is turned into the shown picture when it is drawn
    if (asDrawn) {
        shown = QImage(); // nothing made from an earlier bitmap is drawn again
        shownBytes = PictureBytes();
    }
    return true;
}

void DisplayPicture::Draw(QPainter& painter, const QRect& client, bool stretch) {
    if (bits.empty())
        return;
    const QRect target =
        stretch ? QRect(0, 0, client.width(), client.height()) : QRect(0, 0, biWidth, biHeight);
    if (bitsAsDrawn) { // already as it appears, in the window surface's format
        painter.drawImage(target, AsDrawn());
        return;
    }
    // Drawn much smaller than it is, the picture is sampled straight from the bitmap, mirrored
    // on the way: a large picture then costs no second bitmap. Otherwise it is made once, as it
    // appears, in the format of the window's surface, which draws many times faster than
    // converting and mirroring each pixel while drawing.
    const bool sampled = stretch && 2LL * target.width() * target.height() < 1LL * biWidth * biHeight;
    if (sampled) {
        shown = QImage();
        shownBytes = PictureBytes();
        shownRotate = -1;
        // The bitmap's first row is its bottom row; a source mirrored vertically (rotate 90)
        // cancels that out, one mirrored horizontally (180) turns it half round.
        const bool upsideDown = bitmapRotate != 90;
        const bool leftRight = bitmapRotate == 180;
        const QImage memory(bits.data(), biWidth, biHeight, RowBytes(biWidth), QImage::Format_BGR888);
        painter.save();
        painter.translate(leftRight ? target.right() + 1 : 0, upsideDown ? target.bottom() + 1 : 0);
        painter.scale(leftRight ? -1 : 1, upsideDown ? -1 : 1);
        painter.drawImage(QRect(0, 0, target.width(), target.height()), memory);
        painter.restore();
        return;
    }
    if (MakeShown())
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
