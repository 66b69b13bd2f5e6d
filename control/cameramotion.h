#pragma once
// The motion detection of one camera's stream: one detector for each set of settings its displays
// ask for. Displays of one camera item (a tile and the camera view opened from it) share a
// detector; another item of the same stream with other settings (another mask) has its own, and
// hears only of its own motion. A detector no display asks for any more is dropped.
//
// Threads: Add and End on the source's read thread, the others on the displays' UI thread; lock
// guards everything. No call raises an event: each returns what to tell which display, for the
// caller to tell with no lock held.

#include "control/framebuffer.h"
#include "control/motiondetector.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class DisplaySlot;

class CameraMotion {
  public:
    // Motion started or ended at that picture, for that display.
    struct Tell {
        std::shared_ptr<DisplaySlot> slot;
        bool started;
        int picture;
    };
    using Tells = std::vector<Tell>;

    // The display looks for motion with these settings from now on. Motion under way with its old
    // settings ends for it; motion under way with the new ones (another display's) starts for it.
    Tells Watch(const std::shared_ptr<DisplaySlot>& slot, const MotionSettings& settings);
    // The display no longer looks for motion: motion under way ends for it.
    Tells Unwatch(const DisplaySlot* slot);
    // The display has left the stream: nothing more is told to it.
    void Forget(const DisplaySlot* slot);
    // The stream's next picture (numbered from 0), at that time on a clock that only moves on.
    Tells Add(const uint8_t* bytes, uint32_t n, int64_t nowMs);
    // The stream ended: motion under way ends at its last picture.
    Tells End();

    // Whether motion is under way for the display, and the picture it started at.
    bool MotionSince(const DisplaySlot* slot, int& picture) const;
    bool InMotion(const DisplaySlot* slot) const;
    // The picture the display's last motion started at, as the camera sent it; empty before any.
    FrameBuffer MotionPicture(const DisplaySlot* slot) const;

  private:
    struct Watcher {
        explicit Watcher(const MotionSettings& settings) : detector(settings) {}
        MotionDetector detector;
        std::vector<std::shared_ptr<DisplaySlot>> displays;
        int start = 0;       // the picture the motion under way began at
        FrameBuffer picture; // and its bytes
    };
    Watcher* WatcherOf(const DisplaySlot* slot) const;
    // Takes the display off its detector (dropped when no display is left on it); the end of the
    // motion under way to tell it, if any.
    Tells Remove(const DisplaySlot* slot);
    static void TellAll(Tells& tells, const Watcher& watcher, bool started, int picture);

    mutable std::mutex lock;
    std::vector<std::unique_ptr<Watcher>> watchers; // guarded by lock
    int pictures = 0;                               // guarded by lock: of the stream so far
    bool ended = false;                             // guarded by lock: the stream has ended
};
