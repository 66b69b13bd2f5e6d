#include "control/jpegdecoder.h"

#include "control/decodelimits.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

static_assert(JPEG_LIB_VERSION == 62, "the stream control is written for the libjpeg 6b interface");

namespace {

// The standard error manager, except that a fatal error returns to DecodeJpeg instead of ending
// the process. Its message is formatted but not logged.
struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX < 200 ? 200 : JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->standard.format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void SilentOutput(j_common_ptr) {}

// The memory source: the picture's bytes, then an end-of-image marker for as long as the
// decoder asks for more.
struct MemorySource {
    jpeg_source_mgr standard;
    JOCTET endOfImage[2];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<MemorySource*>(info->src);
    WARNMS(info, JWRN_JPEG_EOF);
    source->endOfImage[0] = 0xFF;
    source->endOfImage[1] = JPEG_EOI;
    source->standard.next_input_byte = source->endOfImage;
    source->standard.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    jpeg_source_mgr* source = info->src;
    if (count <= 0)
        return;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void AttachMemorySource(j_decompress_ptr info, const uint8_t* bytes, size_t length) {
    auto* source = static_cast<MemorySource*>((*info->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(MemorySource)));
    source->standard.init_source = InitSource;
    source->standard.fill_input_buffer = FillInputBuffer;
    source->standard.skip_input_data = SkipInputData;
    source->standard.resync_to_restart = jpeg_resync_to_restart;
    source->standard.term_source = TermSource;
    source->standard.next_input_byte = bytes;
    source->standard.bytes_in_buffer = length;
    info->src = &source->standard;
}

// The rows of the scaled picture to decode, [first, last).
struct PartRows {
    int first;
    int last;
};

// Narrows the decoding to the part the scale names, once the scaled size is known, and tells it.
PartRows ChoosePart(jpeg_decompress_struct& info, DecodeScale* scale) {
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    if (!scale)
        return {0, height};
    scale->scaledWidth = width;
    scale->scaledHeight = height;
    const auto edge = [](double share, int size, bool up) {
        const double at = std::clamp(share, 0.0, 1.0) * size;
        return static_cast<int>(up ? std::ceil(at) : std::floor(at));
    };
    const int left = edge(scale->partLeft, width, false);
    const int right = std::max(left + 1, edge(scale->partLeft + scale->partWidth, width, true));
    const int top = edge(scale->partTop, height, false);
    const int bottom = std::max(top + 1, edge(scale->partTop + scale->partHeight, height, true));
    scale->partX = 0;
    if (right - left < width) {
        auto x = static_cast<JDIMENSION>(left);
        auto columns = static_cast<JDIMENSION>(std::min(right, width) - left);
        jpeg_crop_scanline(&info, &x, &columns); // widened to whole blocks
        scale->partX = static_cast<int>(x);
    }
    scale->partY = std::min(top, height - 1);
    return {scale->partY, std::min(bottom, height)};
}

// Kept out of DecodeJpegRows so that nothing the jump could skip lives in its frame.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, DecodeLimits& limits, const uint8_t* bytes,
            size_t length, PixelOrder order, void* context, PrepareRows prepare, RowAddress row,
            DecodeScale* scale) {
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_CreateDecompress(&info, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    AttachMemorySource(&info, bytes, length);
    jpeg_read_header(&info, TRUE);
    if ((info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB &&
         info.jpeg_color_space != JCS_GRAYSCALE) ||
        !limits.AcceptFrame()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // Colour and grey pictures both come out as three (or four) bytes a pixel, in the order asked for, or
    // as their luminance alone.
    const int components = order == PixelOrder::BlueGreenRedPadded ? 4 : order == PixelOrder::Grey ? 1 : 3;
    info.out_color_space = order == PixelOrder::RedGreenBlue   ? JCS_RGB
                           : order == PixelOrder::BlueGreenRed ? JCS_EXT_BGR
                           : order == PixelOrder::Grey         ? JCS_GRAYSCALE
                                                               : JCS_EXT_BGRX;
    if (scale) {
        scale->pictureWidth = static_cast<int>(info.image_width);
        scale->pictureHeight = static_cast<int>(info.image_height);
        scale->denominator = ChooseScaleDenominator(scale->pictureWidth, scale->pictureHeight,
                                                    scale->coverWidth, scale->coverHeight);
        info.scale_num = 1;
        info.scale_denom = static_cast<unsigned int>(scale->denominator);
    }
    jpeg_start_decompress(&info);
    const PartRows part = ChoosePart(info, scale);
    if (info.output_components != components ||
        !prepare(context, static_cast<int>(info.output_width), part.last - part.first)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (part.first > 0)
        jpeg_skip_scanlines(&info, static_cast<JDIMENSION>(part.first));
    while (static_cast<int>(info.output_scanline) < part.last) {
        JSAMPROW target = row(context, static_cast<int>(info.output_scanline) - part.first);
        jpeg_read_scanlines(&info, &target, 1);
    }
    // The rows below a part are not decoded.
    if (info.output_scanline == info.output_height)
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

int ChooseScaleDenominator(int width, int height, int coverWidth, int coverHeight) {
    if (coverWidth <= 0 || coverHeight <= 0)
        return 1;
    for (int denominator : {8, 4, 2}) {
        const int scaledWidth = (width + denominator - 1) / denominator;
        const int scaledHeight = (height + denominator - 1) / denominator;
        if (scaledWidth >= coverWidth && scaledHeight >= coverHeight)
            return denominator;
    }
    return 1;
}

bool DecodeJpegRows(const uint8_t* bytes, size_t length, PixelOrder order, void* context, PrepareRows prepare,
                    RowAddress row, DecodeScale* scale) {
    if (!bytes || length == 0)
        return false;
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = ErrorExit;
    errors.standard.output_message = SilentOutput;
    errors.message[0] = '\0';
    DecodeLimits limits(info);
    if (Decode(info, errors, limits, bytes, length, order, context, prepare, row, scale))
        return true;
    limits.LogRefusal();
    return false;
}

bool DecodeJpeg(const uint8_t* bytes, size_t length, DecodedPicture& picture) {
    picture = DecodedPicture();
    const bool decoded = DecodeJpegRows(
        bytes, length, PixelOrder::RedGreenBlue, &picture,
        [](void* context, int width, int height) {
            auto* out = static_cast<DecodedPicture*>(context);
            out->pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(width) * height * 3]);
            out->width = width;
            out->height = height;
            return out->pixels != nullptr;
        },
        [](void* context, int y) {
            auto* out = static_cast<DecodedPicture*>(context);
            return out->pixels.get() + static_cast<size_t>(y) * out->width * 3;
        });
    if (!decoded)
        picture = DecodedPicture();
    return decoded;
}
