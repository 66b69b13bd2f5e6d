#pragma once
// One connection to one camera: opens the HTTP connection to the stream's URL, sends one GET,
// runs the read thread that cuts the multipart answer into pictures, keeps the newest picture's
// bytes, hands each picture to the displays that subscribed to it (a slot each), enforces the
// connection and picture timeouts, counts the stream, and stops from any thread. A source serves
// one stream: once it has ended it is not opened again.
//
// A private source belongs to one control. A shared source is found by its camera (URL, user name
// and password) by every control that shares connections, so that one camera is read once in the
// process however many displays show it; when its last display has gone it lingers a while for
// a display that comes back (a change of view), then stops.
//
// Threads and ownership, by rule:
//   - The UI thread (a control's): Create, Find, Open, Join, Leave.
//   - The read thread: one per source; it raises the displays' events and may call Stop.
//   - The watch thread: one per source while it runs; the connection and picture timeouts and
//     the end of a linger, each of which calls Stop.
//   - Stop: any thread, any number of times; a caller other than the read thread waits for the
//     stop under way (an event), with a bound.
//   - handleLock guards the handles; slotLock the displays' slots, the newest picture and the
//     stream's state as displays join and leave; watchLock the watch's deadlines. No lock is held
//     while an event is raised, a request is sent, or a thread is joined.
// The source is shared with its threads (shared_ptr), so a thread that outlives the bounded wait
// of Stop never touches freed memory.

#include "control/cameramotion.h"
#include "control/displayslot.h"
#include "control/framebuffer.h"
#include "control/frameratestats.h"
#include "control/replaymemory.h"

#include "platform/http/wininet.h"
#include "platform/kernel/event.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct CameraKey {
    QString url;
    QString user;
    QString password;

    bool operator<(const CameraKey& other) const;
    bool operator==(const CameraKey& other) const = default;
};

class CameraSource : public std::enable_shared_from_this<CameraSource> {
  public:
    static constexpr uint32_t kLingerMs = 2000;

    // A new source that has not been opened; a shared one replaces any source of that camera
    // that other controls would find.
    static std::shared_ptr<CameraSource> Create(const CameraKey& camera, bool shared);
    // The shared source of the camera while its stream runs or is being opened; null otherwise.
    static std::shared_ptr<CameraSource> Find(const CameraKey& camera);
    // Stops every shared source (those that linger with no display), for a module whose last
    // control has gone: no read or watch thread runs on after it.
    static void StopAllShared();
    ~CameraSource();
    CameraSource(const CameraSource&) = delete;
    CameraSource& operator=(const CameraSource&) = delete;

    // For a source of its own (not shared) opened by the display whose stream `ended` was of the
    // same camera: it keeps the seconds that stream kept, and the ask of that stream's display
    // `leftAsker` is taken back after a while, as a shared source's. Before Open.
    void KeepReplayOf(CameraSource& ended, const void* leftAsker);
    // Opens the connection for the first display and starts the read thread. False after the
    // display's OnConnectionFailed (0), fired on the calling thread.
    bool Open(std::shared_ptr<DisplaySlot> first);
    // Another display of a running source: it is told at once that the stream has started, and
    // given the newest picture. False when the stream has ended meanwhile.
    bool Join(std::shared_ptr<DisplaySlot> slot);
    // The display no longer shows the stream. A private source stops, and its read thread's last
    // events reach the display before this returns. A shared one goes on for the others; the
    // leaving display is told that its stream ended, on the calling thread.
    void Leave(const std::shared_ptr<DisplaySlot>& slot);
    // Ends the stream and closes every handle.
    void Stop();

    bool WasOpened() const { return opened; }
    // Where camera commands go (set by Open).
    const QString& Host() const { return host; }
    uint16_t Port() const { return port; }
    bool Secure() const { return secure; } // its stream is an https one
    // How long the camera has been sending the same picture, bytes for bytes, while pictures
    // still arrive; 0 while they change.
    uint32_t SamePictureMs() const;
    // How many times in a row the camera could not be reached while the request is being sent
    // (it is tried again every second up to the connection timeout); 0 when no such try runs.
    int FailedConnectAttempts() const { return failedConnectAttempts; }
    // The last seconds of the camera's pictures, for the displays that ask (Keep) and read them.
    ReplayMemory& Replay() { return *replay; }
    // Motion detection in the camera's pictures for the display, from now on, with these
    // settings: a detector for each set of settings its displays ask for (see CameraMotion); its
    // starts and ends go to the displays that asked for them, as events. UI thread.
    void DetectMotion(const std::shared_ptr<DisplaySlot>& slot, const MotionSettings& settings);
    // The display no longer looks for motion; motion under way ends for it.
    void StopDetectingMotion(const DisplaySlot* slot);
    bool InMotion(const DisplaySlot* slot) const { return motion.InMotion(slot); }
    // The picture the display's last motion started at, as the camera sent it; empty before any.
    FrameBuffer MotionPicture(const DisplaySlot* slot) const { return motion.MotionPicture(slot); }

  private:
    CameraSource(const CameraKey& camera, bool shared);

    void ReadThread();
    void WatchThread();
    bool SendRequest(int& status);
    void Keep(const uint8_t* bytes, uint32_t n);
    static void Tell(const CameraMotion::Tells& tells);
    std::vector<std::shared_ptr<DisplaySlot>> Slots() const;
    template <typename Call> void ForEachSlot(Call call);
    HINTERNET CurrentRequest() const;
    bool OnReadThread() const;
    // A thread with the event it sets when it ends.
    struct OwnedThread {
        std::thread thread;
        std::shared_ptr<ManualResetEvent> done;
    };
    OwnedThread Take(OwnedThread& thread);
    // Waits a bounded time for the thread, then joins it or gives it up. No lock may be held.
    static void WaitForThread(OwnedThread thread);
    void SetConnectionDeadline(bool armed);
    void StartPictureChecks();

    const CameraKey camera;
    const bool shared;
    QString host;
    uint16_t port = 0;
    bool secure = false;
    bool opened = false; // UI thread

    mutable std::mutex handleLock;
    HINTERNET internet = nullptr;   // guarded by handleLock
    HINTERNET connection = nullptr; // guarded by handleLock
    HINTERNET request = nullptr;    // guarded by handleLock

    std::mutex threadLock;   // the thread objects below; never held while waiting
    OwnedThread readThread;  // started by Open, joined by Stop
    OwnedThread watchThread; // started by Open, joined by Stop
    std::atomic<std::thread::id> readThreadId{};
    std::atomic<std::thread::id> watchThreadId{};

    std::mutex stopLock;
    bool stopping = false;                 // guarded by stopLock
    ManualResetEvent stopEnded{true};      // reset while a stop runs
    ManualResetEvent requestClosed{false}; // ends the send loop's retry waits
    std::atomic<int> failedConnectAttempts{0};

    mutable std::mutex slotLock;
    std::vector<std::shared_ptr<DisplaySlot>> displaySlots; // guarded by slotLock
    bool streamStarted = false;                             // guarded by slotLock: the first picture came
    bool streamEnded = false; // guarded by slotLock: the read thread ended, or a stop began
    FrameBuffer newest; // guarded by slotLock, written by the read thread alone: the newest picture's bytes
    std::chrono::steady_clock::time_point sameSince; // guarded by slotLock: when the newest bytes first came
    std::chrono::steady_clock::time_point lastPicture; // guarded by slotLock

    std::mutex watchLock;
    std::condition_variable watchChanged;
    bool watchEnds = false;                                     // guarded by watchLock
    std::chrono::steady_clock::time_point connectionDeadline{}; // guarded by watchLock; zero: none
    std::chrono::steady_clock::time_point nextPictureCheck{};   // guarded by watchLock; zero: none
    std::chrono::steady_clock::time_point lingerEnd{};          // guarded by watchLock; zero: none
    bool timeoutRunning = false;                                // watch thread
    std::chrono::steady_clock::time_point timeoutStart;         // watch thread
    std::atomic<bool> frameArrived{false};

    FrameRateStats stats;
    // Its own lock; the read thread adds to it. A shared source that follows one of the same
    // camera whose stream has ended (a reconnect) takes it over, with the seconds before the loss.
    std::shared_ptr<ReplayMemory> replay = std::make_shared<ReplayMemory>();
    CameraMotion motion; // its own lock; the read thread adds to it
};
