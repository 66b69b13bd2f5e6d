// What keeping a camera's last seconds costs its read thread for each picture: while the replay
// memory fills (fresh pages), and once it is full (each picture coming in the place of the oldest),
// beside the copy of the picture's bytes alone, the least any keeping costs, in the same run.
// Pictures of a 640x480 and of a 1280x960 camera's sizes, a little different each.
//   build/bench/control/replay_bench [pictures]     (default 100000)

#include "control/replaymemory.h"

#include "bench/control/controlbench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Microseconds of CPU a call of `add` takes, over `count` calls with the sizes in turn.
template <typename Add> double MicrosecondsEach(const std::vector<size_t>& sizes, int count, Add add) {
    const double before = CpuSeconds();
    for (int i = 0; i < count; ++i)
        add(sizes[static_cast<size_t>(i) % sizes.size()]);
    return (CpuSeconds() - before) / count * 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 100000;
    std::printf("keeping the last pictures, %d a round; microseconds of CPU a picture\n", count);
    for (const size_t typical : {size_t{10000}, size_t{38000}}) {
        std::vector<size_t> sizes;
        for (size_t i = 0; i < 97; ++i)
            sizes.push_back(typical - typical / 20 + i * (typical / 10) / 97);
        const std::vector<uint8_t> picture(typical * 2, 0x5A);
        std::vector<uint8_t> copy(picture.size());
        const double copied = MicrosecondsEach(sizes, count, [&](size_t n) {
            std::memcpy(copy.data(), picture.data(), n);
            asm volatile("" : : "r"(copy.data()) : "memory");
        });

        ReplayMemory memory;
        const int asker = 0;
        // Trimmed by its bytes, so that one picture goes for each that comes once it is full.
        const size_t capacity = size_t{16} << 20;
        memory.Keep(&asker, 3600, capacity);
        const int filling = static_cast<int>(capacity / typical) - 1;
        const double fresh =
            MicrosecondsEach(sizes, filling, [&](size_t n) { memory.Add(picture.data(), n); });
        const double full = MicrosecondsEach(sizes, count, [&](size_t n) { memory.Add(picture.data(), n); });
        std::printf(
            "%6zu bytes: filling %6.2f, full %6.2f, the copy alone %5.2f; full against the copy %.1f\n",
            typical, fresh, full, copied, full / copied);
    }
    return 0;
}
