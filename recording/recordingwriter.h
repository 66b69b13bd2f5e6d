#pragma once
// The recording of one stream: the camera's pictures, handed over by the stream's read thread as
// they arrive, written on a thread of the recording's own into Matroska files (MatroskaFile).
// Either one file named exactly, or a camera's folder: <folder>/<yyyy-MM-dd>/<name>-<hhmmss>.mkv,
// a new file every hour, the folder kept within its limits (Retention) each time a file begins.
//
// A slow disk never holds the read thread: pictures beyond kMaxQueuedBytes waiting to be written
// are left out (counted, and logged once). The writer takes the pictures that came every
// kBatchMs and hands them to the file together, which costs a camera a few wake-ups a second
// instead of one a picture; a crash loses at most those. When a file cannot be written (a full disk, a folder
// that cannot be written to), the recording stops: the file so far is closed and stays playable,
// and Error() says why. Nothing else stops.
//
// Threads: Add from any one thread (the read thread); the rest from the owner's, which may be that
// thread too when it ends the recording with Finish, which never waits. The writer thread shares
// the state below with them (a shared_ptr, so that a writer that outlives the bounded wait of the
// destructor, or that nobody waits for, touches nothing freed); its lock guards the queue and the
// words.

#include <QString>

#include <cstdint>
#include <memory>

struct RecordingTarget {
    QString file;          // one file, exactly this one; or
    QString folder;        // a camera's folder, with a new file every hour
    QString name;          // the files' name in the folder (the folder's own name when empty)
    int64_t keepBytes = 0; // the folder's limits; 0: none
    int keepDays = 0;
    int64_t newFileMs = 3600 * 1000; // in a folder, a new file after this long
    QString alsoWriting;             // another file of the folder still being finished, which the limits keep
};

class RecordingWriter {
  public:
    static constexpr size_t kMaxQueuedBytes = 32u << 20;
    static constexpr size_t kWakeBytes = 4u << 20; // a batch this large is written at once
    static constexpr uint32_t kBatchMs = 250;
    static constexpr uint32_t kStopWaitMs = 5000;

    explicit RecordingWriter(RecordingTarget target);
    // Writes what was handed over, ends the file, and waits for it (with kStopWaitMs as bound),
    // unless its end was asked for already.
    ~RecordingWriter();
    // The same, now: afterwards Error() says whether the end was written (also when it was not
    // written within the bound). Any number of times.
    void End();
    // The same without waiting: the writer thread writes what was handed over and ends the file
    // on its own; once it has, CurrentFile() is empty and Error() says whether the end was written.
    void Finish();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // A picture that has just arrived; or one that arrived earlier, at arrivalMs on the writer's
    // clock (Now). They go into the file in the order handed over; none once the end is asked.
    void Add(const uint8_t* jpeg, size_t length);
    void Add(const uint8_t* jpeg, size_t length, int64_t arrivalMs);
    // One that was kept before the recording began (the seconds before a motion, handed over all
    // at once as the file begins): it goes in however much waits, and is not counted against
    // kMaxQueuedBytes, which is for the pictures that come while a slow disk holds the writer.
    void AddKept(const uint8_t* jpeg, size_t length, int64_t arrivalMs);
    // The writer's clock: milliseconds that only go on.
    static int64_t Now();

    // Why the recording stopped; empty while it goes on.
    QString Error() const;
    // The file being written (empty before the first picture and after a stop).
    QString CurrentFile() const;
    int64_t PicturesWritten() const;
    int64_t PicturesLeftOut() const;

    struct State;

  private:
    void Queue(const uint8_t* jpeg, size_t length, int64_t arrivalMs, bool counted);

    std::shared_ptr<State> state;
};
