#pragma once
// Keeps a recorded camera's folder within its limits (KeepWithinLimits) while the camera is
// recorded: at once, then every kEveryMs, on a thread of its own. A recording keeps its folder so
// each time a file begins too, but a camera that records on motion begins one only at a motion and
// a camera that is offline begins none: their old recordings still go in time.
//
// Threads: made and destroyed on the owner's. The thread shares the state with it (a shared_ptr,
// so that a thread that outlives the destructor's bounded wait touches nothing freed); writing is
// called on that thread, and must hold what it asks.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class FolderRetention {
  public:
    static constexpr uint32_t kEveryMs = 3600 * 1000;
    static constexpr uint32_t kStopWaitMs = 5000;

    // writing: the files being written, which stay.
    FolderRetention(const QString& folder, int64_t keepBytes, int keepDays,
                    std::function<QStringList()> writing);
    // Stops it, waiting for a pass under way with kStopWaitMs as bound.
    ~FolderRetention();
    FolderRetention(const FolderRetention&) = delete;
    FolderRetention& operator=(const FolderRetention&) = delete;

    struct State;

  private:
    std::shared_ptr<State> state;
};
