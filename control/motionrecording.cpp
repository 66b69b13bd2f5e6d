#include "control/motionrecording.h"

#include "foundation/log.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>
#include <vector>

MotionRecording::MotionRecording(RecordingTarget recordingTarget, const ReplayMemory& memory,
                                 int secondsBefore, int secondsAfter)
    : target(std::move(recordingTarget)), replay(memory),
      beforeMs(int64_t{std::max(0, secondsBefore)} * 1000),
      afterMs(int64_t{std::max(0, secondsAfter)} * 1000) {}

MotionRecording::~MotionRecording() {
    End();
}

void MotionRecording::Add(const uint8_t* jpeg, size_t length, bool moving) {
    const int64_t now = RecordingWriter::Now();
    std::lock_guard<std::mutex> guard(lock);
    if (!writing) {
        if (!moving || stopped || ended)
            return;
        if (writer && !writer->Error().isEmpty()) { // the last file could not be written
            stopped = true;
            return;
        }
        Begin(jpeg, length, now);
    }
    if (moving) {
        stillSince = -1;
    } else if (stillSince < 0) {
        stillSince = now;
    }
    if (stillSince >= 0 && now - stillSince >= afterMs) {
        writer->Finish(); // its thread ends the file; the writer stays for its Error()
        writing = false;
        return;
    }
    writer->Add(jpeg, length, now);
}

void MotionRecording::Begin(const uint8_t* jpeg, size_t length, int64_t now) {
    ++files;
    previous = std::move(writer); // finished: waited for only at the end
    RecordingTarget next = NextTarget();
    if (previous)
        next.alsoWriting = previous->CurrentFile(); // still ending, perhaps: kept by the limits
    writer = std::make_shared<RecordingWriter>(next);
    writing = true;
    stillSince = -1;
    const std::vector<ReplayMemory::Picture> kept = replay.Pictures();
    // The newest kept is this picture, which goes in after them as every picture does.
    const bool newestIsThis = !kept.empty() && kept.back().bytes->size() == length &&
                              std::equal(kept.back().bytes->begin(), kept.back().bytes->end(), jpeg);
    const size_t before = kept.size() - (newestIsThis ? 1 : 0);
    // The replay memory's arrivals are on the writer's clock.
    int taken = 0;
    for (size_t i = 0; i < before; ++i) {
        if (now - kept[i].arrivalMs > beforeMs)
            continue;
        writer->AddKept(kept[i].bytes->data(), kept[i].bytes->size(), kept[i].arrivalMs);
        ++taken;
    }
    LogInfo(u"MotionRecording", "Motion: a recording begins with %d pictures from before it", taken);
}

RecordingTarget MotionRecording::NextTarget() const {
    RecordingTarget next = target;
    if (!target.file.isEmpty() && files > 1) {
        const QString suffix = QFileInfo(target.file).suffix();
        const QString extension = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
        next.file =
            target.file.chopped(extension.size()) + QLatin1Char('-') + QString::number(files) + extension;
    }
    return next;
}

void MotionRecording::End() {
    std::shared_ptr<RecordingWriter> last[2];
    {
        std::lock_guard<std::mutex> guard(lock);
        if (ended)
            return; // waited for once
        ended = true;
        writing = false;
        last[0] = previous;
        last[1] = writer;
    }
    for (const std::shared_ptr<RecordingWriter>& file : last) {
        if (file)
            file->End();
    }
}

bool MotionRecording::Recording() const {
    return !CurrentFile().isEmpty();
}

QString MotionRecording::CurrentFile() const {
    std::lock_guard<std::mutex> guard(lock);
    return writer ? writer->CurrentFile() : QString();
}

QStringList MotionRecording::FilesWritten() const {
    std::lock_guard<std::mutex> guard(lock);
    QStringList files;
    for (const std::shared_ptr<RecordingWriter>& file : {writer, previous}) {
        if (file && !file->CurrentFile().isEmpty())
            files.append(file->CurrentFile());
    }
    return files;
}

QString MotionRecording::Error() const {
    std::lock_guard<std::mutex> guard(lock);
    return writer ? writer->Error() : QString();
}
