#pragma once
// Memory for picture-sized buffers. A buffer of 2 MiB or more is aligned to 2 MiB and asked to
// be backed by huge pages where the system offers them (Linux: madvise): the first picture of a
// new size then faults in a few pages instead of one every 4 KiB, and fresh memory is most of
// what a large first picture costs on a virtual machine (about 7 ms a MiB on the machine the
// figures of bench/control/hostile_picture_bench come from, a tenth of that with huge pages).

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace picturememory {

void* Allocate(size_t bytes);
void Free(void* memory, size_t bytes);

} // namespace picturememory

template <typename T> struct PictureAllocator {
    using value_type = T;
    PictureAllocator() = default;
    template <typename U> PictureAllocator(const PictureAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(picturememory::Allocate(n * sizeof(T))); }
    void deallocate(T* memory, size_t n) { picturememory::Free(memory, n * sizeof(T)); }
    template <typename U> bool operator==(const PictureAllocator<U>&) const { return true; }
};

// Bytes of a picture: a bitmap, or decoded rows.
using PictureBytes = std::vector<uint8_t, PictureAllocator<uint8_t>>;
