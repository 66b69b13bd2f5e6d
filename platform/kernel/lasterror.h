#pragma once
#include <cstdint>

// The calling thread's last-error value: set by the platform calls that fail (the HTTP layer
// sets 12029 when a server cannot be reached) and read right after them.
uint32_t GetLastError();
void SetLastError(uint32_t error);
