#include "control/displayslot.h"

#include "control/motionrecording.h"
#include "control/streamtimings.h"

#include "foundation/jpegsize.h"
#include "foundation/log.h"
#include "recording/recordingwriter.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

// A picture size in one word: the width in the high half, the height in the low half.
uint32_t PackSize(int width, int height) {
    return (static_cast<uint32_t>(static_cast<uint16_t>(width)) << 16) | static_cast<uint16_t>(height);
}

} // namespace

DisplaySlot::DisplaySlot(StreamEvents* outlet, std::function<void()> wakeUp, SizeTeller sizeTeller)
    : teller(sizeTeller), events(outlet), wake(std::move(wakeUp)) {}

template <typename Call> void DisplaySlot::WithEvents(Call call) {
    WithEvents(call, [] { return true; });
}

template <typename Call, typename Claim> void DisplaySlot::WithEvents(Call call, Claim claim) {
    StreamEvents* current;
    {
        std::lock_guard<std::mutex> guard(eventLock);
        if (!claim())
            return;
        current = events;
        if (!current)
            return;
        callers.push_back(std::this_thread::get_id());
    }
    call(*current);
    {
        std::lock_guard<std::mutex> guard(eventLock);
        callers.erase(std::find(callers.begin(), callers.end(), std::this_thread::get_id()));
    }
    callEnded.notify_all();
}

void DisplaySlot::Detach(bool waitForCalls) {
    std::unique_lock<std::mutex> guard(eventLock);
    events = nullptr;
    if (waitForCalls)
        WaitForCalls(guard);
}

void DisplaySlot::WaitForOtherCalls() {
    std::unique_lock<std::mutex> guard(eventLock);
    WaitForCalls(guard);
}

void DisplaySlot::WaitForCalls(std::unique_lock<std::mutex>& guard) {
    // A call made on this thread (the host going away from inside one of its own events) has
    // not ended yet and is not waited for.
    const std::thread::id self = std::this_thread::get_id();
    const auto othersEnded = [&] {
        return std::all_of(callers.begin(), callers.end(), [&](std::thread::id id) { return id == self; });
    };
    const bool ended = callEnded.wait_for(
        guard, std::chrono::milliseconds(StreamTimings::Current().stopWaitMs), othersEnded);
    guard.unlock();
    if (!ended)
        LogWarning(u"CCamImage::DetachHost", "Wait timeout");
}

// ---- pictures

void DisplaySlot::Deliver(const uint8_t* bytes, uint32_t n, bool moving) {
    {
        std::lock_guard<std::mutex> guard(frameLock);
        incoming.Clear();
        incoming.Append(bytes, n);
        pictureWaiting = true;
        ++storedPictures;
    }
    ++picturesRead;
    bytesRead += n;
    {
        // Under the lock: the recordings are never ended (nor freed) on this thread.
        std::lock_guard<std::mutex> guard(recordingLock);
        if (recording)
            recording->Add(bytes, n);
        if (motionRecording)
            motionRecording->Add(bytes, n, moving);
    }
    if (!wakePosted.exchange(true)) {
        WithEvents([this](StreamEvents&) { wake(); });
    }
}

void DisplaySlot::SetRecording(std::shared_ptr<RecordingWriter> writer) {
    std::lock_guard<std::mutex> guard(recordingLock);
    recording = std::move(writer);
}

void DisplaySlot::SetMotionRecording(std::shared_ptr<MotionRecording> value) {
    std::lock_guard<std::mutex> guard(recordingLock);
    motionRecording = std::move(value);
}

bool DisplaySlot::Take(FrameBuffer& work) {
    std::lock_guard<std::mutex> guard(frameLock);
    if (incoming.Size() == 0)
        return false;
    work.Swap(incoming);
    incoming.Clear();
    pictureWaiting = false;
    takenPicture = storedPictures;
    ++usedCount;
    return true;
}

int DisplaySlot::TakeUsedCount() {
    return usedCount.exchange(0);
}

void DisplaySlot::SetRepainting(bool value) {
    repainting = value;
}

void DisplaySlot::Converted(bool converted, int width, int height) {
    if (converted) {
        pictureSize = PackSize(width, height);
        imageReady = true;
    }
    {
        std::lock_guard<std::mutex> guard(frameLock);
        finishedPicture = takenPicture;
    }
    pictureFinished.notify_all();
    if (converted && teller == SizeTeller::Display && !HasEnded()) // nothing follows OnStreamStopped
        AnnounceIfNew(width, height, u"CCamImage::OnDraw");
}

void DisplaySlot::ReleaseWaits() {
    {
        std::lock_guard<std::mutex> guard(frameLock);
        waitsReleased = true;
    }
    pictureFinished.notify_all();
}

void DisplaySlot::TellSize(const uint8_t* bytes, uint32_t n) {
    if (teller != SizeTeller::ReadThread)
        return;
    int width = 0;
    int height = 0;
    uint32_t told;
    {
        std::lock_guard<std::mutex> guard(announceLock);
        told = announcedSize;
    }
    // Without repaints (FPS 0) no conversion is coming; the size is told after one that comes.
    if (repainting && ReadJpegSize(bytes, n, width, height)) {
        const uint32_t size = PackSize(width, height);
        if (size != told && size != awaitedSize) {
            awaitedSize = size; // a picture of that size that does not convert is waited for once
            std::unique_lock<std::mutex> guard(frameLock);
            const uint64_t number = storedPictures;
            pictureFinished.wait_for(guard, std::chrono::milliseconds(StreamTimings::Current().displayWaitMs),
                                     [&] { return finishedPicture >= number || waitsReleased; });
        }
    }
    if (!imageReady)
        return;
    const uint32_t size = pictureSize;
    AnnounceIfNew(static_cast<int16_t>(size >> 16), static_cast<int16_t>(size & 0xFFFF),
                  u"CCamImage::ReadThread");
}

void DisplaySlot::AnnounceIfNew(int width, int height, const char16_t* function) {
    {
        std::lock_guard<std::mutex> guard(announceLock);
        const uint32_t size = PackSize(width, height);
        if (size == announcedSize)
            return;
        announcedSize = size;
    }
    LogTrace(function, "Fire_OnSize %d, %d", width, height);
    WithEvents([width, height](StreamEvents& e) { e.FireOnSize(width, height); });
}

// ---- the stream's events

template <typename Claim> bool DisplaySlot::ClaimState(Claim claim) {
    std::lock_guard<std::mutex> guard(stateLock);
    return claim();
}

void DisplaySlot::FireStarted() {
    WithEvents([](StreamEvents& e) { e.FireOnStreamStarted(); },
               [this] {
                   return ClaimState(
                       [this] { return !started && !failed && !stopped ? (started = true) : false; });
               });
}

void DisplaySlot::FireFailed(int status) {
    WithEvents([status](StreamEvents& e) { e.FireOnConnectionFailed(status); },
               [this] {
                   return ClaimState(
                       [this] { return !started && !failed && !stopped ? (failed = true) : false; });
               });
}

void DisplaySlot::FireBroken(int status) {
    WithEvents([status](StreamEvents& e) { e.FireOnConnectionBroken(status); },
               [this] {
                   return ClaimState(
                       [this] { return started && !broken && !stopped ? (broken = true) : false; });
               });
}

void DisplaySlot::FireStopped() {
    WithEvents([](StreamEvents& e) { e.FireOnStreamStopped(); },
               [this] {
                   return ClaimState(
                       [this] { return (started || failed) && !stopped ? (stopped = true) : false; });
               });
}

void DisplaySlot::FireMotion(bool started, int picture) {
    WithEvents([started, picture](StreamEvents& e) { e.FireOnMotion(started, picture); });
}

bool DisplaySlot::HasStarted() const {
    std::lock_guard<std::mutex> guard(stateLock);
    return started;
}

bool DisplaySlot::HasEnded() const {
    std::lock_guard<std::mutex> guard(stateLock);
    return failed || stopped;
}
