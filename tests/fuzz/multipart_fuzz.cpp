// The multipart reader: whatever the bytes, and however the network cuts them into pieces, the
// reader cuts the same pictures, each inside the bytes it was given, and never a negative or
// empty one.

#include "control/imagereader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class PieceSource final : public ByteSource {
  public:
    PieceSource(const uint8_t* data, size_t size, uint32_t seed) : data(data), size(size), seed(seed) {}
    bool Read(void* buffer, uint32_t count, uint32_t* read) override {
        uint32_t piece = count;
        if (seed == 1) {
            piece = 1;
        } else if (seed > 1) {
            state = state * 1103515245u + seed;
            piece = 1 + (state >> 16) % 3000;
        }
        const auto n = static_cast<uint32_t>(std::min<size_t>({count, piece, size - position}));
        std::memcpy(buffer, data + position, n);
        position += n;
        *read = n;
        return true;
    }

  private:
    const uint8_t* data;
    size_t size;
    uint32_t seed;
    uint32_t state = 1;
    size_t position = 0;
};

std::vector<std::string> Cut(const uint8_t* data, size_t size, uint32_t seed) {
    PieceSource source(data, size, seed);
    ImageReader reader;
    std::vector<std::string> pictures;
    if (!reader.InitStream(&source))
        return pictures;
    const uint8_t* picture = nullptr;
    uint32_t length = 0;
    while (reader.Read(picture, length)) {
        if (length == 0 || picture[0] != 0xFF)
            std::abort();
        pictures.emplace_back(reinterpret_cast<const char*>(picture), length);
    }
    return pictures;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> whole = Cut(data, size, 0);
    for (const std::string& picture : whole) {
        if (picture.size() > size)
            std::abort();
    }
    if (Cut(data, size, 1) != whole)
        std::abort();
    if (Cut(data, size, 7) != whole)
        std::abort();
    return 0;
}
