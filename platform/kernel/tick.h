#pragma once
#include <cstdint>

// Milliseconds since an arbitrary start, in 32 bits: wraps after about 49.7 days, like the
// handheld's tick counter. Taken from the monotonic clock.
uint32_t GetTickCount();

// Blocks the calling thread for at least the given milliseconds.
void Sleep(uint32_t milliseconds);

// Shifts every tick count of the process by an amount, so that tests can watch the counter wrap.
void SetTickCountOffsetForTest(uint32_t offset);
