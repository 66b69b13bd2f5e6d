#include "platform/kernel/tick.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<uint32_t> tickOffset{0};
}

uint32_t GetTickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms)) + tickOffset.load(std::memory_order_relaxed);
}

void Sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetTickCountOffsetForTest(uint32_t offset) {
    tickOffset.store(offset, std::memory_order_relaxed);
}
