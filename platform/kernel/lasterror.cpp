#include "platform/kernel/lasterror.h"

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t GetLastError() {
    return lastError;
}

void SetLastError(uint32_t error) {
    lastError = error;
}
