#pragma once
// A growable byte buffer that always keeps a zero after the bytes it holds.

#include <cstdint>

class ByteBuffer {
  public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Makes room for total bytes (with 1000 to spare when it grows). False when the memory
    // cannot be had; the buffer then stays as it was.
    bool Reserve(uint32_t total);
    // The bytes just written at End() now count as held.
    void Advance(uint32_t n);
    void SetSize(uint32_t n);
    // Drops the first n bytes (all when n is larger); the rest moves down to the start.
    void Discard(uint32_t n);

    uint8_t* Data() const { return data; }
    uint8_t* End() const { return end; }
    uint32_t Size() const { return size; }
    uint32_t Capacity() const { return capacity; }
    uint32_t Free() const { return free; }

  private:
    void Recompute();

    uint8_t* data = nullptr; // capacity + 1 bytes; data[size] is always 0
    uint32_t capacity = 0;
    uint8_t* end = nullptr;
    uint32_t size = 0;
    uint32_t free = 0;
};
