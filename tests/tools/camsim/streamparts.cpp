#include "tests/tools/camsim/streamparts.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

std::vector<std::string> SplitAtBoundaries(const std::string& body) {
    std::vector<std::string> parts;
    size_t start = body.find("--myboundary");
    while (start != std::string::npos) {
        const size_t next = body.find("--myboundary", start + 1);
        parts.push_back(body.substr(start, next == std::string::npos ? std::string::npos : next - start));
        start = next;
    }
    return parts;
}

std::vector<int> DecodedPicture::At(int x, int y) const {
    const size_t offset = (static_cast<size_t>(y) * width + x) * components;
    return std::vector<int>(pixels.begin() + static_cast<std::ptrdiff_t>(offset),
                            pixels.begin() + static_cast<std::ptrdiff_t>(offset + components));
}

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->base.format_message(info, errors->message);
    std::longjmp(errors->escape, 1);
}

void Silent(j_common_ptr) {}

bool Decode(const std::string& picture, DecodedPicture& decoded, char* message) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = Silent;
    if (setjmp(errors.escape) != 0) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(picture.data()), picture.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    decoded.width = static_cast<int>(info.output_width);
    decoded.height = static_cast<int>(info.output_height);
    decoded.components = info.output_components;
    decoded.pixels.resize(static_cast<size_t>(decoded.width) * decoded.height * decoded.components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = decoded.pixels.data() +
                       static_cast<size_t>(info.output_scanline) * decoded.width * decoded.components;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

DecodedPicture DecodeJpeg(const std::string& picture) {
    DecodedPicture decoded;
    char message[JMSG_LENGTH_MAX] = {};
    decoded.ok = Decode(picture, decoded, message);
    decoded.error = message;
    return decoded;
}

std::string PictureOf(const std::string& part) {
    const size_t lengthAt = part.find("Content-Length: ");
    const size_t headEnd = part.find("\r\n\r\n");
    if (lengthAt == std::string::npos || headEnd == std::string::npos)
        return std::string();
    const size_t length = std::stoul(part.substr(lengthAt + 16));
    return part.substr(headEnd + 4, length);
}
