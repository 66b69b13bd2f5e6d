#pragma once
// The network side of the stream control: opens the HTTP connection to the URL the host set,
// sends one GET, runs the read thread that cuts the multipart answer into pictures and keeps
// the newest one, runs the repaint, picture-timeout and connection-timeout timers, stops from
// any thread, sends tap-to-centre commands, and reports what happens through its host.
//
// Threads and ownership:
//   - UI thread (the host's): OpenURL, Stop, OnTimer, OnPictureArrived, TakeFrame,
//     PictureConverted, SendCameraCommand.
//   - read thread: one per OpenURL (ReadThread); it fires most events and may call Stop. It has
//     the UI thread told of each picture it stores, so that the picture is drawn without waiting
//     for the repaint timer's next tick; and when a picture's frame header shows a size not yet
//     reported, it waits (a bounded time) until the UI thread has converted that picture, so that
//     OnSize follows the conversion at once.
//   - command thread: at most one, the CommandSender's; sends one camera command.
// The session is shared with its threads (shared_ptr), so a thread that outlives the 5 s wait
// of Stop never touches freed memory. Calls into the host (events, timers) run without any lock
// held: a host whose event sink hands the event to its UI thread and waits for it cannot
// deadlock a UI thread that is stopping the session; Stop then waits its bounded time and goes
// on. The host is detached before it goes; DetachHost waits, bounded, for the calls under way.

#include "control/framebuffer.h"
#include "control/frameratestats.h"
#include "control/repaintpacer.h"

#include "platform/http/commandsender.h"
#include "platform/http/wininet.h"
#include "platform/kernel/event.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// What the session needs of the control that owns it.
class SessionHost {
  public:
    virtual void FireOnConnectionFailed(int status) = 0;
    virtual void FireOnConnectionBroken(int status) = 0;
    virtual void FireOnStreamStarted() = 0;
    virtual void FireOnSize(int width, int height) = 0;
    virtual void FireOnStreamStopped() = 0;
    // Timers of the control's window; safe from any thread.
    virtual void SetWindowTimer(int id, uint32_t periodMs) = 0;
    virtual void KillWindowTimer(int id) = 0;
    // Repaints the control's window now, if it is shown (UI thread, outside a paint).
    virtual void RequestRepaint() = 0;
    // Has the window's thread call OnPictureArrived soon; safe from any thread.
    virtual void PostPictureArrived() = 0;

  protected:
    ~SessionHost() = default;
};

class StreamSession : public std::enable_shared_from_this<StreamSession> {
  public:
    static constexpr int kRepaintTimer = 1;
    static constexpr int kPictureTimeoutTimer = 2;
    static constexpr int kConnectionTimeoutTimer = 3;
    static constexpr size_t kMaxCommandLength = 256;

    explicit StreamSession(SessionHost* host);
    ~StreamSession();
    StreamSession(const StreamSession&) = delete;
    StreamSession& operator=(const StreamSession&) = delete;

    // Opens the connection and starts the read thread; false after firing OnConnectionFailed(0).
    bool OpenURL(const QString& url, const QString& user, const QString& password);
    // Ends the stream and closes every handle; any thread, any number of times.
    void Stop();
    // The control is going away: no more calls into the host.
    void DetachHost();

    void SetFps(float fps);
    bool HasRequest() const;
    void StartTimers();
    void StopTimers();
    void OnTimer(int id);
    void ClearRepaintPending() { repaintPending = false; }
    // The read thread stored a picture (posted by it through the host). UI thread.
    void OnPictureArrived();

    // The newest picture, if one arrived since the last call (counted as used), swapped into
    // work. UI thread.
    bool TakeFrame(FrameBuffer& work);
    // The display side is done with the picture it took last: converted (a picture of this size)
    // or not. UI thread.
    void PictureConverted(bool converted, int width, int height);

    // A tap at (x, y) in a client area of width by height, with the control's rotation and
    // command template. Dropped while the previous command is being sent.
    void SendCameraCommand(int x, int y, int width, int height, int rotate, const QString& ptzTemplate);

    int64_t PicturesRead() const { return picturesRead; }
    int64_t BytesRead() const { return bytesRead; }

  private:
    // One stream's read thread. generation tells a thread that outlived its stream (after the
    // bounded wait of Stop gave up on it) from the current one: such a thread fires no events
    // and stops nothing.
    void ReadThread(uint64_t generation);
    bool IsCurrent(uint64_t generation) const { return generation == currentGeneration.load(); }
    template <typename Call> void FireIfCurrent(uint64_t generation, Call call);
    bool SendRequest(int& status);
    // Hands a picture to the display side; its number in the stream.
    uint64_t StoreFrame(const uint8_t* bytes, uint32_t n);
    // When the picture's frame header shows a size that was neither reported nor waited for,
    // waits until the display side has converted picture `number` (or a later one), the session
    // stops, or the display wait has passed. Read thread.
    void WaitForNewSize(const uint8_t* bytes, uint32_t n, uint64_t number);
    // A repaint for a picture that waits, unless one is pending. A picture that arrives is drawn
    // at once when the last repaint is a whole repaint period old; else the repaint timer is set
    // to draw it when the period is over (once: its tick kills it). UI thread.
    void RepaintForNewPicture(bool timerTick);
    // The repaint timer's period for the FPS property; 0 when it does not run.
    uint32_t RepaintPeriod() const;
    HINTERNET CurrentRequest() const;
    bool OnReadThread() const;
    // A thread with the event it sets when it ends.
    struct OwnedThread {
        std::thread thread;
        std::shared_ptr<ManualResetEvent> done;
    };
    // Waits a bounded time for the thread, then joins it or gives it up. No lock may be held.
    static void WaitForThread(OwnedThread thread);
    OwnedThread Take(OwnedThread& thread);
    template <typename Call> void WithHost(Call call);

    std::mutex hostLock;
    std::condition_variable hostCallEnded;
    SessionHost* host;                        // guarded by hostLock
    std::vector<std::thread::id> hostCallers; // guarded by hostLock: threads inside a call to host

    mutable std::mutex handleLock;
    HINTERNET internet = nullptr;   // guarded by handleLock
    HINTERNET connection = nullptr; // guarded by handleLock
    HINTERNET request = nullptr;    // guarded by handleLock

    std::mutex threadLock;  // the thread objects below; never held while waiting
    OwnedThread readThread; // created by OpenURL, joined by Stop
    std::atomic<std::thread::id> readThreadId{};
    std::atomic<uint64_t> currentGeneration{0};

    std::atomic<bool> stopping{false};
    std::atomic<bool> timersRunning{false};
    std::atomic<bool> repaintPending{false};
    std::atomic<bool> frameArrived{false};
    std::atomic<bool> pictureWaiting{false};  // incoming holds a picture not yet taken
    std::atomic<bool> arrivalPosted{false};   // an OnPictureArrived call is on its way
    std::atomic<bool> repaintDeferred{false}; // the repaint timer is set for a waiting picture
    std::atomic<bool> imageReady{false};
    std::atomic<uint32_t> pictureSize{0}; // width in the high half, height in the low half
    std::atomic<float> fps{25.0f};
    RepaintPacer pacer;          // UI thread: when a new picture may be painted
    int16_t announcedWidth = 0;  // read thread (reset before it starts)
    int16_t announcedHeight = 0; // read thread
    uint32_t awaitedSize = 0;    // read thread: the size last waited for, packed like pictureSize
    bool timeoutRunning = false; // UI thread (timer 2)
    uint32_t timeoutStart = 0;   // UI thread

    std::mutex frameLock;
    FrameBuffer incoming;         // guarded by frameLock
    uint64_t storedPictures = 0;  // guarded by frameLock: pictures stored in this stream
    uint64_t takenPicture = 0;    // guarded by frameLock: the number of the picture taken last
    uint64_t finishedPicture = 0; // guarded by frameLock: the number of the last one converted or not
    std::condition_variable pictureFinished; // with frameLock: finishedPicture changed, or a stop
    FrameRateStats stats;
    std::atomic<int64_t> picturesRead{0};
    std::atomic<int64_t> bytesRead{0};
    CommandSender commands;               // opened with the stream's connection, closed by Stop
    ManualResetEvent requestClosed{true}; // set when the stream request is closed (ends retry waits)
};
