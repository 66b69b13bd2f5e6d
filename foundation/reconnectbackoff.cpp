#include "foundation/reconnectbackoff.h"

#include <algorithm>

uint32_t ReconnectBackoff::AfterConnection(int64_t pictures) {
    if (pictures >= kHandfulOfPictures) {
        shortConnections = 0;
        return 0;
    }
    const int before = shortConnections;
    shortConnections = std::min(before + 1, 32);
    if (before == 0)
        return 0;
    const uint64_t wait = static_cast<uint64_t>(kFirstWaitMs) << std::min(before - 1, 16);
    return static_cast<uint32_t>(std::min<uint64_t>(wait, kLongestWaitMs));
}
