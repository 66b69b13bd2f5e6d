#include "tools/camsim/jpegencoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace camsim {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

// libjpeg's default handler ends the process; ours returns to EncodeJpeg instead.
void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

// Plain C state only between setjmp and longjmp: no destructor is skipped by the jump.
bool Compress(const uint8_t* rgb, int width, int height, bool grey, int quality, unsigned char** out,
              unsigned long* size) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (grey)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

std::string EncodeJpeg(const uint8_t* rgb, int width, int height, bool grey, int quality) {
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool ok = Compress(rgb, width, height, grey, quality, &out, &size);
    std::string picture;
    if (ok && out != nullptr)
        picture.assign(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return picture;
}

} // namespace camsim
