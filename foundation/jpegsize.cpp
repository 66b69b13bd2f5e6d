#include "foundation/jpegsize.h"

namespace {

// Start-of-frame markers: C0 to CF, except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

} // namespace

bool ReadJpegSize(const uint8_t* jpeg, uint32_t length, int& width, int& height) {
    if (length < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return false;
    uint32_t at = 2;
    while (at + 1 < length) {
        if (jpeg[at] != 0xFF)
            return false;
        const uint8_t marker = jpeg[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (StandsAlone(marker))
            continue;
        if (marker == 0xD9 || marker == 0xDA || at + 2 > length)
            return false; // the scan comes first
        const uint32_t segment = (static_cast<uint32_t>(jpeg[at]) << 8) | jpeg[at + 1];
        if (IsFrameHeader(marker)) {
            // length (2), precision (1), height (2), width (2)
            if (segment < 7 || at + 7 > length)
                return false;
            height = (jpeg[at + 3] << 8) | jpeg[at + 4];
            width = (jpeg[at + 5] << 8) | jpeg[at + 6];
            return true;
        }
        if (segment < 2)
            return false;
        at += segment;
    }
    return false;
}
