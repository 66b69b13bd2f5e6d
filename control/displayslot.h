#pragma once
// The hand-off between a camera source and one display, for one stream: the newest picture
// (a slow display skips pictures, never queues them), the display's events as the source
// raises them, and the telling of a new picture size once the display has converted it.
//
// A slot serves one stream: a display that opens another stream takes a new slot, so that a
// read thread that outlives its stream's stop reaches only a slot that was let go.
//
// Threads and ownership, by rule:
//   - The source's read thread (and a thread that stops the source): Deliver, TellSize,
//     ReleaseWaits and the Fire calls. Deliver wakes the display through `wake`, which posts to
//     the display's thread; the Fire calls and `wake` run under the guard of Detach, with
//     no lock held, so a host that hands an event to its UI thread and waits cannot deadlock a
//     UI thread that is stopping the source.
//   - The display's thread (the host's UI thread): Take, Converted, SetRepainting, SetRecording,
//     SetMotionRecording, Detach, and
//     the Fire calls that follow a call of the host (joining and leaving a shared source).
//   - frameLock guards the picture and its numbers; recordingLock the recordings; eventLock the event outlet
//   and the calls
//     under way; the stream's state (started, broken, ...) is claimed under stateLock, inside
//     eventLock, so that each event fires once whichever thread raises it, and is a call under
//     way from its claim on.

#include "control/framebuffer.h"
#include "control/streamevents.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class MotionRecording;
class RecordingWriter;

class DisplaySlot {
  public:
    // Who tells the host a picture's new size: the read thread, after waiting (bounded) for the
    // display to convert the picture, so that OnSize comes from the stream's thread; or the
    // display itself, as soon as it has converted it (a display that shares its source must
    // not hold the other displays' pictures back).
    enum class SizeTeller { ReadThread, Display };

    DisplaySlot(StreamEvents* events, std::function<void()> wake, SizeTeller teller);
    DisplaySlot(const DisplaySlot&) = delete;
    DisplaySlot& operator=(const DisplaySlot&) = delete;

    // ---- the source's side
    // A new picture: the display's, and the recordings' when it has them; moving: the camera is
    // in motion at it.
    void Deliver(const uint8_t* bytes, uint32_t n, bool moving);
    // For a picture just delivered whose frame header shows a size not yet told: waits until the
    // display has converted it (or a later one), the source stops, or the display wait is over;
    // then fires OnSize when the converted size is new. Read thread.
    void TellSize(const uint8_t* bytes, uint32_t n);
    // The source stops: a wait for the display ends now.
    void ReleaseWaits();
    // Pictures the display has taken since the last call.
    int TakeUsedCount();

    // The stream's events, each fired at most once in this order: started, then broken, then
    // stopped; or failed, then stopped.
    void FireStarted();
    void FireFailed(int status);
    void FireBroken(int status);
    void FireStopped();
    // Motion started or ended at that picture; any number of times, while the stream runs.
    void FireMotion(bool started, int picture);
    // What the host has heard of the stream.
    bool HasStarted() const;
    bool HasEnded() const; // failed or stopped

    // ---- the display's side
    // The newest picture, if one came since the last call, swapped into work.
    bool Take(FrameBuffer& work);
    // Every picture delivered from now on also goes to this recording (none: null).
    void SetRecording(std::shared_ptr<RecordingWriter> writer);
    // The same for a recording around motion (none: null).
    void SetMotionRecording(std::shared_ptr<MotionRecording> recording);
    // The display is done with the picture it took last: converted (a picture of this size) or not.
    void Converted(bool converted, int width, int height);
    // Whether the display repaints by itself (FPS above 0); without, no conversion is waited for.
    void SetRepainting(bool repainting);
    bool PictureWaiting() const { return pictureWaiting; }
    // The wake-up for the last picture has come: the next picture wakes the display again.
    void WakeTaken() { wakePosted = false; }
    int64_t PicturesRead() const { return picturesRead; }
    int64_t BytesRead() const { return bytesRead; }
    // No event and no wake-up after this returns. A display that goes away waits, with a bound,
    // for the calls under way on other threads; one that only opens another stream need not.
    void Detach(bool waitForCalls);
    // Waits, with a bound, for the calls under way on other threads: an event they claimed
    // reaches the host before those this thread fires next.
    void WaitForOtherCalls();

  private:
    template <typename Call> void WithEvents(Call call);
    // The call, when the claim holds: an event claimed is a call under way at once.
    template <typename Call, typename Claim> void WithEvents(Call call, Claim claim);
    // Claims an event under stateLock: false when it was fired already or does not fit.
    template <typename Claim> bool ClaimState(Claim claim);
    void WaitForCalls(std::unique_lock<std::mutex>& eventGuard);
    void AnnounceIfNew(int width, int height, const char16_t* function);

    const SizeTeller teller;

    std::mutex eventLock;
    std::condition_variable callEnded;
    StreamEvents* events;                 // guarded by eventLock; null once detached
    const std::function<void()> wake;     // called only while events is set
    std::vector<std::thread::id> callers; // guarded by eventLock: threads inside an event or wake

    mutable std::mutex stateLock;
    bool started = false; // guarded by stateLock
    bool broken = false;  // guarded by stateLock
    bool failed = false;  // guarded by stateLock
    bool stopped = false; // guarded by stateLock

    std::mutex frameLock;
    std::condition_variable pictureFinished; // with frameLock: finishedPicture changed, or a stop
    FrameBuffer incoming;                    // guarded by frameLock
    uint64_t storedPictures = 0;             // guarded by frameLock: pictures delivered
    uint64_t takenPicture = 0;               // guarded by frameLock: the number of the picture taken last
    uint64_t finishedPicture = 0; // guarded by frameLock: the number of the last one converted or not
    bool waitsReleased = false;   // guarded by frameLock

    std::atomic<bool> pictureWaiting{false}; // incoming holds a picture not yet taken
    std::atomic<bool> wakePosted{false};     // a wake-up is on its way
    std::atomic<bool> repainting{true};
    std::atomic<bool> imageReady{false};  // a picture was converted
    std::atomic<uint32_t> pictureSize{0}; // of the picture converted last: width high, height low
    std::atomic<int> usedCount{0};
    std::atomic<int64_t> picturesRead{0};
    std::atomic<int64_t> bytesRead{0};
    std::mutex recordingLock;
    std::shared_ptr<RecordingWriter> recording;       // guarded by recordingLock
    std::shared_ptr<MotionRecording> motionRecording; // guarded by recordingLock
    std::mutex announceLock;
    uint32_t announcedSize = 0; // guarded by announceLock: the size last told
    uint32_t awaitedSize = 0;   // read thread: the size last waited for
};
