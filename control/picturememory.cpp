#include "control/picturememory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace {

constexpr size_t kHugePage = 2 * 1024 * 1024;

size_t Rounded(size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

void* picturememory::Allocate(size_t bytes) {
    if (bytes < kHugePage)
        return ::operator new(bytes);
    void* memory = std::aligned_alloc(kHugePage, Rounded(bytes));
    if (!memory)
        throw std::bad_alloc();
    madvise(memory, Rounded(bytes), MADV_HUGEPAGE); // a hint: without huge pages, plain ones
    return memory;
}

void picturememory::Free(void* memory, size_t bytes) {
    if (bytes < kHugePage) {
        ::operator delete(memory);
    } else {
        std::free(memory);
    }
}
