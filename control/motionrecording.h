#pragma once
// A recording of a camera from some seconds before motion to some seconds after. Nothing is
// written while the camera's pictures are still. When motion starts, a file begins with the
// pictures the camera's replay memory kept of the seconds before, at the times they arrived, and
// goes on with every picture; it ends the seconds after the motion ended, and motion that starts
// again before then goes on in the same file. The next motion begins a new file: in a camera's
// folder as a recording of its own, or for one file named exactly, the name with "-2", "-3", ...
// before its extension. A file that cannot be written stops the recording (Error() says why).
//
// Threads: Add on the camera source's read thread, which is the one that fills the replay memory
// (so the memory is there for every Add); the rest on the control's (UI) thread, End only once
// Add is no longer called. lock guards the writers; the read thread never waits for one to end.

#include "control/replaymemory.h"

#include "recording/recordingwriter.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

class MotionRecording {
  public:
    MotionRecording(RecordingTarget target, const ReplayMemory& replay, int secondsBefore, int secondsAfter);
    ~MotionRecording(); // as End
    MotionRecording(const MotionRecording&) = delete;
    MotionRecording& operator=(const MotionRecording&) = delete;

    // The picture that has just arrived (the newest in the replay memory), and whether the camera
    // is in motion at it.
    void Add(const uint8_t* jpeg, size_t length, bool moving);
    // Ends the file being written, and waits for it (and for the one before it) with the writer's
    // bound, once; nothing is recorded after.
    void End();

    // A file is being written.
    bool Recording() const;
    // The file being written (empty while none is). From any thread.
    QString CurrentFile() const;
    // The files being written: the current one, and the one before it while it is still ending.
    QStringList FilesWritten() const;
    // Why the recording stopped; empty while it goes on.
    QString Error() const;

  private:
    // A new file, which begins with the pictures kept from the seconds before this one. Under lock.
    void Begin(const uint8_t* jpeg, size_t length, int64_t now);
    RecordingTarget NextTarget() const;

    const RecordingTarget target;
    const ReplayMemory& replay;
    const int64_t beforeMs;
    const int64_t afterMs;

    mutable std::mutex lock;
    std::shared_ptr<RecordingWriter> writer;   // guarded by lock: the file being written, or the last one
    std::shared_ptr<RecordingWriter> previous; // guarded by lock: the one before, perhaps still ending
    bool ended = false;                        // guarded by lock: End was called
    bool writing = false;                      // guarded by lock: writer is taking pictures
    bool stopped = false;                      // guarded by lock: a file could not be written
    int files = 0;                             // guarded by lock: files begun
    int64_t stillSince = -1; // guarded by lock: the writer's time motion ended; -1 while it goes on
};
