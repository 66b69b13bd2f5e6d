#include "recording/folderretention.h"

#include "recording/retention.h"

#include "foundation/log.h"

#include <QDateTime>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct FolderRetention::State {
    void Run();

    QString folder;
    int64_t keepBytes = 0;
    int keepDays = 0;
    std::function<QStringList()> writing;
    std::mutex lock;
    std::condition_variable changed;
    bool stopping = false; // guarded by lock
    bool done = false;     // guarded by lock
};

void FolderRetention::State::Run() {
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        guard.unlock();
        KeepWithinLimits(folder, keepBytes, keepDays, writing(), QDateTime::currentDateTime());
        guard.lock();
        changed.wait_for(guard, std::chrono::milliseconds(kEveryMs), [this] { return stopping; });
    }
    done = true;
    changed.notify_all();
}

FolderRetention::FolderRetention(const QString& folder, int64_t keepBytes, int keepDays,
                                 std::function<QStringList()> writing)
    : state(std::make_shared<State>()) {
    state->folder = folder;
    state->keepBytes = keepBytes;
    state->keepDays = keepDays;
    state->writing = std::move(writing);
    std::thread([shared = state] { shared->Run(); }).detach(); // its end is waited for on `changed`
}

FolderRetention::~FolderRetention() {
    std::unique_lock<std::mutex> guard(state->lock);
    state->stopping = true;
    state->changed.notify_all();
    if (!state->changed.wait_for(guard, std::chrono::milliseconds(kStopWaitMs),
                                 [this] { return state->done; }))
        LogWarning(u"FolderRetention", "The old recordings of '%S' are still being deleted",
                   Wide(state->folder));
}
