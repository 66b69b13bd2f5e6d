#include "control/framebuffer.h"

#include <cstring>

void FrameBuffer::Append(const uint8_t* bytes, uint32_t n) {
    if (static_cast<size_t>(size) + n > block.size())
        block.resize(static_cast<size_t>(size) + n);
    if (n > 0)
        std::memcpy(block.data() + size, bytes, n);
    size += n;
}
