#pragma once
// An identification run to its end the way the camera pages run it, without their dialogs:
// a first wait, then a poll every interval until a time limit, then cancel.

#include <QString>

#include <cstdint>

class CameraTypeLookup;

struct IdentifyTimes {
    uint32_t firstWaitMs;
    uint32_t pollIntervalMs;
    uint32_t timeLimitMs; // counted from the end of the first wait
};

// The waits of the camera pages and their progress dialog.
inline constexpr IdentifyTimes kIdentifyTimes{1000, 500, 7000};

// The times in use: kIdentifyTimes unless a test has shortened them.
IdentifyTimes GetIdentifyTimes();
void SetIdentifyTimesForTest(const IdentifyTimes& times);

struct IdentifyRequest {
    QString address;
    int port = 80;
    QString userName;
    QString password;
};

// True, with model and firmware set, when the camera was identified in time; otherwise the
// identification has been cancelled and both are untouched.
bool IdentifyCamera(CameraTypeLookup& lookup, const IdentifyRequest& request, QString& model,
                    QString& firmware);
