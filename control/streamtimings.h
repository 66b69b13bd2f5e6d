#pragma once
// The long waits of a stream, in one place. Tests shorten them; the shipped values never change.

#include <cstdint>

struct StreamTimings {
    uint32_t connectionTimeoutMs = 20000; // sending the request, with retries (and timer 3)
    uint32_t retryDelayMs = 1000;         // between attempts while the camera cannot be reached
    uint32_t stopWaitMs = 5000;           // for the read and command threads to end
    uint32_t pictureCheckMs = 5000;       // timer 2: the picture timeout check
    uint32_t pictureTimeoutMs = 9999;     // a stream without pictures for longer than this stops
    uint32_t displayWaitMs = 1000;        // for the display to convert a picture of a new size

    static const StreamTimings& Current();
    static void SetForTest(const StreamTimings& timings);
};
