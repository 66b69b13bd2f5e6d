#include "control/streamtimings.h"

namespace {
StreamTimings current;
}

const StreamTimings& StreamTimings::Current() {
    return current;
}

void StreamTimings::SetForTest(const StreamTimings& timings) {
    current = timings;
}
