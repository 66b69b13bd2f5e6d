#include "control/picturekernels.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// How many bitmap rows ahead of the ones being written are fetched into the cache: the rows a
// strip writes are far apart, and each write would otherwise wait for its row to arrive.
constexpr int kFetchAheadRows = 16;

// Copies the pixels of column x of count strip rows, in the order of rows, to one bitmap row.
void TurnColumn(const uint8_t* const* rows, int count, int x, uint8_t* out) {
    const size_t column = static_cast<size_t>(x) * kStripPixelBytes;
    for (int k = 0; k < count; ++k, out += 3)
        std::memcpy(out, rows[k] + column, 3);
}

void TurnStripPlain(const uint8_t* const* rows, int count, int width, uint8_t* out, int outStride) {
    for (int x = 0; x < width; ++x)
        TurnColumn(rows, count, x, out + static_cast<size_t>(x) * outStride);
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

// Step columns at a time with the given kernel, the bitmap rows fetched ahead of it; the columns
// left over one at a time.
template <int step, void (*turnColumns)(const uint8_t* const*, int, int, uint8_t*, int)>
void TurnStripIn(const uint8_t* const* rows, int count, int width, uint8_t* out, int outStride) {
    const int runBytes = count * 3;
    int x = 0;
    for (; x + step <= width; x += step) {
        uint8_t* to = out + static_cast<size_t>(x) * outStride;
        // A run is at most 96 bytes, so its first, middle and last bytes lie in every cache
        // line it touches. (In a function of its own the fetches would be optimised away.)
        const char* ahead =
            reinterpret_cast<const char*>(to) + static_cast<size_t>(kFetchAheadRows) * outStride;
        for (int j = x + kFetchAheadRows + step <= width ? step : 0; j > 0; --j, ahead += outStride) {
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + runBytes / 2);
            __builtin_prefetch(ahead + runBytes - 1);
        }
        turnColumns(rows, count, x, to, outStride);
    }
    for (; x < width; ++x)
        TurnColumn(rows, count, x, out + static_cast<size_t>(x) * outStride);
}
#endif

// In a little-endian machine's memory both blue-green-red pixels and 0xFFRRGGBB words keep
// blue, green and red in this order, so a pixel only gains its alpha byte.
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

struct KernelSet {
    PictureKernel kernel;
    void (*turnStrip)(const uint8_t* const* rows, int count, int width, uint8_t* out, int outStride);
    void (*toRgb32)(const uint8_t* bgr, QRgb* out, int width);
};

constexpr KernelSet kKernelSets[] = {
    {PictureKernel::Plain, TurnStripPlain, BlueGreenRedToRgb32Plain},
#if defined(__x86_64__)
    {PictureKernel::Ssse3, TurnStripIn<4, TurnFourColumns>, BlueGreenRedToRgb32Ssse3},
    {PictureKernel::Avx2, TurnStripIn<8, TurnEightColumns>, BlueGreenRedToRgb32Ssse3},
#endif
};

bool ProcessorHas(PictureKernel kernel) {
#if defined(__x86_64__)
    __builtin_cpu_init(); // for a caller that runs before the constructors of the program
    switch (kernel) {
    case PictureKernel::Plain:
        return true;
    case PictureKernel::Ssse3:
        return __builtin_cpu_supports("ssse3");
    case PictureKernel::Avx2:
        return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("avx2");
    }
    return false;
#else
    return kernel == PictureKernel::Plain;
#endif
}

const KernelSet* SetOf(PictureKernel kernel) {
    for (const KernelSet& set : kKernelSets) {
        if (set.kernel == kernel && ProcessorHas(kernel))
            return &set;
    }
    return nullptr;
}

// The widest path the processor has, unless LUMENFOLD_PICTURE_KERNEL names another one it has.
const KernelSet* FirstChoice() {
    const std::vector<PictureKernel> available = AvailablePictureKernels();
    PictureKernel chosen = available.back();
    if (const char* name = std::getenv("LUMENFOLD_PICTURE_KERNEL")) {
        for (PictureKernel kernel : available) {
            if (name == std::string_view(PictureKernelName(kernel)))
                chosen = kernel;
        }
    }
    return SetOf(chosen);
}

std::atomic<const KernelSet*>& Active() {
    static std::atomic<const KernelSet*> active{FirstChoice()};
    return active;
}

const KernelSet& Kernels() {
    return *Active().load(std::memory_order_relaxed);
}

} // namespace

std::vector<PictureKernel> AvailablePictureKernels() {
    std::vector<PictureKernel> kernels;
    for (const KernelSet& set : kKernelSets) {
        if (ProcessorHas(set.kernel))
            kernels.push_back(set.kernel);
    }
    return kernels;
}

bool ForcePictureKernel(PictureKernel kernel) {
    const KernelSet* set = SetOf(kernel);
    if (!set)
        return false;
    Active().store(set, std::memory_order_relaxed);
    return true;
}

PictureKernel ActivePictureKernel() {
    return Kernels().kernel;
}

const char* PictureKernelName(PictureKernel kernel) {
    switch (kernel) {
    case PictureKernel::Plain:
        return "plain";
    case PictureKernel::Ssse3:
        return "ssse3";
    case PictureKernel::Avx2:
        return "avx2";
    }
    return "";
}

void TurnStripRows(const uint8_t* const* rows, int count, int width, uint8_t* out, int outStride) {
    Kernels().turnStrip(rows, count, width, out, outStride);
}

void BlueGreenRedToRgb32(const uint8_t* bgr, QRgb* out, int width) {
    Kernels().toRgb32(bgr, out, width);
}

// Four pixels from each end at a time.
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
