#include "recording/recordingwriter.h"

#include "recording/matroskafile.h"
#include "recording/retention.h"

#include "foundation/jpegsize.h"
#include "foundation/log.h"
#include "platform/fs/newfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Picture {
    std::vector<uint8_t> bytes;
    int64_t arrivalMs;
};

} // namespace

struct RecordingWriter::State {
    explicit State(RecordingTarget t) : target(std::move(t)) {
        if (target.name.isEmpty())
            target.name = QFileInfo(target.folder).fileName();
    }

    void Run();
    // The next file's path in the folder, its date folder made.
    QString NextFile();
    bool Begin(const Picture& first);

    RecordingTarget target;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Picture> queue; // guarded by lock
    size_t queuedBytes = 0;    // guarded by lock
    bool ending = false;       // guarded by lock
    bool done = false;         // guarded by lock: the writer thread has ended
    std::condition_variable finished;
    QString error;        // guarded by lock
    QString currentFile;  // guarded by lock
    bool stopped = false; // guarded by lock: a write failed, nothing more is taken
    int64_t written = 0;  // guarded by lock
    int64_t leftOut = 0;  // guarded by lock

    MatroskaFile file; // writer thread
    int64_t fileStartMs = 0;
    QString failure;      // writer thread: why it stopped
    QString filePath;     // writer thread: of the file begun last
    bool unsized = false; // writer thread: a picture was left out, its size unknown, before any file
};

QString RecordingWriter::State::NextFile() {
    const QDateTime now = QDateTime::currentDateTime();
    const QString day = target.folder + QLatin1Char('/') + now.toString(QStringLiteral("yyyy-MM-dd"));
    errno = 0;
    if (!QDir().mkpath(day)) {
        failure = QStringLiteral("Cannot create the folder %1: %2")
                      .arg(day, QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    }
    const QString base =
        day + QLatin1Char('/') + target.name + QLatin1Char('-') + now.toString(QStringLiteral("hhmmss"));
    // The name is claimed by making the file here: another writer of the camera (another viewer
    // recording it) that chose the same name in the same second goes on to the next one.
    int error = 0;
    const QString path = CreateNewFile(base, QStringLiteral(".mkv"), error);
    if (path.isEmpty())
        failure = QStringLiteral("Cannot create %1.mkv: %2")
                      .arg(base, QString::fromLocal8Bit(std::strerror(error)));
    return path;
}

bool RecordingWriter::State::Begin(const Picture& first) {
    int width = 0;
    int height = 0;
    ReadJpegSize(first.bytes.data(), static_cast<uint32_t>(first.bytes.size()), width, height);
    const bool inFolder = target.file.isEmpty();
    const QString path = inFolder ? NextFile() : target.file;
    if (path.isEmpty())
        return false;
    if (!file.Open(path, width, height)) {
        failure = file.Error();
        if (inFolder)
            QFile::remove(path); // the name claimed, with nothing playable in it
        return false;
    }
    LogInfo(u"RecordingWriter", "Recording to '%S'", Wide(path));
    fileStartMs = first.arrivalMs;
    filePath = path;
    {
        std::lock_guard<std::mutex> guard(lock);
        currentFile = path;
    }
    if (inFolder && (target.keepBytes > 0 || target.keepDays > 0))
        KeepWithinLimits(target.folder, target.keepBytes, target.keepDays, {path, target.alsoWriting},
                         QDateTime::currentDateTime());
    return true;
}

void RecordingWriter::State::Run() {
    for (bool end = false; !end && failure.isEmpty();) {
        std::deque<Picture> batch;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait_for(guard, std::chrono::milliseconds(kBatchMs),
                             [this] { return ending || queuedBytes >= kWakeBytes; });
            end = ending;
            batch.swap(queue);
            queuedBytes = 0;
        }
        int64_t writtenNow = 0;
        for (const Picture& picture : batch) {
            int width = 0;
            int height = 0;
            const bool due =
                file.IsOpen() && target.file.isEmpty() && picture.arrivalMs - fileStartMs >= target.newFileMs;
            // A file begins with a picture whose size it can declare: until one comes, the file
            // open goes on.
            const bool sized = (file.IsOpen() && !due) ||
                               ReadJpegSize(picture.bytes.data(), static_cast<uint32_t>(picture.bytes.size()),
                                            width, height);
            if (!file.IsOpen() && !sized) {
                unsized = unsized || filePath.isEmpty();
                continue;
            }
            if (due && sized && !file.Close()) {
                failure = file.Error();
                break;
            }
            if (!file.IsOpen() && !Begin(picture))
                break;
            if (!file.Write(picture.bytes.data(), picture.bytes.size(), picture.arrivalMs)) {
                failure = file.Error();
                break;
            }
            ++writtenNow;
        }
        if (failure.isEmpty() && file.IsOpen() && !file.Flush())
            failure = file.Error();
        std::lock_guard<std::mutex> guard(lock);
        written += writtenNow;
    }
    if (!file.Close() && failure.isEmpty())
        failure = file.Error();
    // A file of the folder that a full disk left empty is no recording: removed, so that the tries
    // that follow leave no row of empty files.
    if (!failure.isEmpty() && target.file.isEmpty() && !filePath.isEmpty() && QFileInfo(filePath).size() == 0)
        QFile::remove(filePath);
    if (failure.isEmpty() && filePath.isEmpty() && unsized)
        failure = QStringLiteral("No picture of the stream tells its size: nothing was recorded");
    std::lock_guard<std::mutex> guard(lock);
    if (!failure.isEmpty()) {
        error = failure;
        stopped = true;
        queue.clear();
        queuedBytes = 0;
        LogError(u"RecordingWriter", "Recording stopped: %S", Wide(error));
    }
    currentFile.clear();
    done = true;
    finished.notify_all();
}

RecordingWriter::RecordingWriter(RecordingTarget target) : state(std::make_shared<State>(std::move(target))) {
    std::thread([shared = state] { shared->Run(); }).detach(); // the end is waited for on `finished`
}

RecordingWriter::~RecordingWriter() {
    bool asked;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        asked = state->ending;
    }
    if (!asked)
        End();
}

void RecordingWriter::Finish() {
    std::lock_guard<std::mutex> guard(state->lock);
    state->ending = true;
    state->changed.notify_all();
}

void RecordingWriter::End() {
    Finish();
    std::unique_lock<std::mutex> guard(state->lock);
    if (state->finished.wait_for(guard, std::chrono::milliseconds(kStopWaitMs),
                                 [this] { return state->done; }))
        return;
    LogWarning(u"RecordingWriter", "The recording's last pictures are still being written");
    // Not reported as written: what is not written by now may never be (the program ends).
    if (state->error.isEmpty())
        state->error =
            QStringLiteral("the last pictures were still being written after %1 s").arg(kStopWaitMs / 1000);
}

int64_t RecordingWriter::Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RecordingWriter::Add(const uint8_t* jpeg, size_t length) {
    Add(jpeg, length, Now());
}

void RecordingWriter::Add(const uint8_t* jpeg, size_t length, int64_t arrival) {
    Queue(jpeg, length, arrival, true);
}

void RecordingWriter::AddKept(const uint8_t* jpeg, size_t length, int64_t arrival) {
    Queue(jpeg, length, arrival, false);
}

void RecordingWriter::Queue(const uint8_t* jpeg, size_t length, int64_t arrival, bool counted) {
    std::lock_guard<std::mutex> guard(state->lock);
    if (state->stopped || state->done || state->ending)
        return;
    if (counted && state->queuedBytes + length > kMaxQueuedBytes) {
        if (state->leftOut++ == 0)
            LogWarning(u"RecordingWriter", "The disk is too slow for the recording: pictures are left out");
        return;
    }
    state->queue.push_back(Picture{std::vector<uint8_t>(jpeg, jpeg + length), arrival});
    if (counted)
        state->queuedBytes += length;
    if (state->queuedBytes >= kWakeBytes)
        state->changed.notify_one();
}

QString RecordingWriter::Error() const {
    std::lock_guard<std::mutex> guard(state->lock);
    return state->error;
}

QString RecordingWriter::CurrentFile() const {
    std::lock_guard<std::mutex> guard(state->lock);
    return state->currentFile;
}

int64_t RecordingWriter::PicturesWritten() const {
    std::lock_guard<std::mutex> guard(state->lock);
    return state->written;
}

int64_t RecordingWriter::PicturesLeftOut() const {
    std::lock_guard<std::mutex> guard(state->lock);
    return state->leftOut;
}
