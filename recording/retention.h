#pragma once
// Keeps a camera's recording folder (<folder>/<yyyy-MM-dd>/*.mkv) within its limits: recordings
// of at most keepBytes together and none older than keepDays, the oldest deleted first, each
// deletion logged, and date folders left empty removed. The files being written are never
// deleted, nor a clip the user saved beside the recordings (its name ends in "-clip"). A limit of
// 0 is none.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

// How many files were deleted.
int KeepWithinLimits(const QString& folder, int64_t keepBytes, int keepDays, const QStringList& writing,
                     const QDateTime& now);
