#pragma once
// A picture's bytes, handed from the read thread to the painting side. Keeps its block when
// cleared, so that pictures of similar size cost no allocation.

#include <cstdint>
#include <utility>
#include <vector>

class FrameBuffer {
  public:
    void Clear() { size = 0; }
    void Append(const uint8_t* bytes, uint32_t n);
    // Exchanges the pictures and their blocks: a hand-over without a copy.
    void Swap(FrameBuffer& other) {
        block.swap(other.block);
        std::swap(size, other.size);
    }

    const uint8_t* Data() const { return block.data(); }
    uint32_t Size() const { return size; }

  private:
    std::vector<uint8_t> block;
    uint32_t size = 0;
};
