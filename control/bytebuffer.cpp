#include "control/bytebuffer.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t kGrowthMargin = 1000;
}

ByteBuffer::~ByteBuffer() {
    std::free(data);
}

bool ByteBuffer::Reserve(uint32_t total) {
    if (total > capacity) {
        const uint64_t newCapacity = static_cast<uint64_t>(total) + kGrowthMargin;
        if (newCapacity >= 0xFFFFFFFFu)
            return false;
        auto* block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(newCapacity) + 1));
        if (!block)
            return false;
        if (size > 0)
            std::memcpy(block, data, size);
        std::free(data);
        data = block;
        capacity = static_cast<uint32_t>(newCapacity);
    }
    if (data)
        Recompute();
    return data != nullptr;
}

void ByteBuffer::Advance(uint32_t n) {
    SetSize(size + n);
}

void ByteBuffer::SetSize(uint32_t n) {
    size = n <= capacity ? n : capacity;
    if (data)
        Recompute();
}

void ByteBuffer::Discard(uint32_t n) {
    if (n == 0)
        return;
    const uint32_t kept = n < size ? size - n : 0;
    if (kept > 0)
        std::memmove(data, data + n, kept);
    SetSize(kept);
}

void ByteBuffer::Recompute() {
    data[size] = 0;
    end = data + size;
    free = capacity - size;
}
