// The JPEG decoder: any bytes give a picture of a sane size or none, and never crash.

#include "control/decodelimits.h"
#include "control/displaypicture.h"
#include "control/jpegdecoder.h"
#include "control/picturekernels.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedPicture picture;
    if (DecodeJpeg(data, size, picture)) {
        if (!picture.pixels || picture.width <= 0 || picture.height <= 0 ||
            picture.width > DecodeLimits::kMaxSide || picture.height > DecodeLimits::kMaxSide ||
            static_cast<int64_t>(picture.width) * picture.height > DecodeLimits::kMaxPixels) {
            std::abort();
        }
    }
    // Each way of keeping a picture: as drawn (0, and 180 with its rows mirrored) and turned,
    // on each path of the pixel loops that the processor has.
    static constexpr int kRotations[] = {0, 90, 180, 270};
    static const std::vector<PictureKernel> kernels = AvailablePictureKernels();
    ForcePictureKernel(kernels[size / 4 % kernels.size()]);
    DisplayPicture display;
    display.Convert(data, size, kRotations[size % 4]);
    return 0;
}
