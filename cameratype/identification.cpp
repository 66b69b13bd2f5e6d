#include "cameratype/identification.h"

#include "cameratype/cameratypelookup.h"

#include "platform/kernel/tick.h"

#include <atomic>

namespace {

std::atomic<uint32_t> firstWaitMs{kIdentifyTimes.firstWaitMs};
std::atomic<uint32_t> pollIntervalMs{kIdentifyTimes.pollIntervalMs};
std::atomic<uint32_t> timeLimitMs{kIdentifyTimes.timeLimitMs};

} // namespace

IdentifyTimes GetIdentifyTimes() {
    return IdentifyTimes{firstWaitMs, pollIntervalMs, timeLimitMs};
}

void SetIdentifyTimesForTest(const IdentifyTimes& times) {
    firstWaitMs = times.firstWaitMs;
    pollIntervalMs = times.pollIntervalMs;
    timeLimitMs = times.timeLimitMs;
}

bool IdentifyCamera(CameraTypeLookup& lookup, const IdentifyRequest& request, QString& model,
                    QString& firmware) {
    const IdentifyTimes times = GetIdentifyTimes();
    if (lookup.Lookup(request.address, request.port, request.userName, request.password, times.firstWaitMs,
                      model, firmware)) {
        return true;
    }
    const uint32_t start = GetTickCount();
    for (;;) {
        Sleep(times.pollIntervalMs);
        if (GetTickCount() - start >= times.timeLimitMs)
            break;
        if (lookup.IsDone())
            return lookup.Collect(0, model, firmware);
    }
    lookup.Cancel();
    return false;
}
