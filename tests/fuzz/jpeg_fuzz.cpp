// The JPEG decoder: any bytes give a picture of a sane size or none, and never crash.

#include "control/decodelimits.h"
#include "control/displaypicture.h"
#include "control/jpegdecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedPicture picture;
    if (DecodeJpeg(data, size, picture)) {
        if (!picture.pixels || picture.width <= 0 || picture.height <= 0 ||
            picture.width > DecodeLimits::kMaxSide || picture.height > DecodeLimits::kMaxSide ||
            static_cast<int64_t>(picture.width) * picture.height > DecodeLimits::kMaxPixels) {
            std::abort();
        }
    }
    DisplayPicture display;
    display.Convert(data, size, size % 2 ? 90 : 0);
    return 0;
}
