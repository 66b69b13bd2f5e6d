// Recording without re-encoding: what ffmpeg reads back from the files, a file cut by a full
// disk, a camera's folder and its limits.

#include "recording/matroskafile.h"
#include "recording/recordingwriter.h"
#include "recording/retention.h"

#include "tests/support/filesystemfaults.h"
#include "tests/support/temporarydataroot.h"
#include "tools/camsim/jpegencoder.h"
#include "tools/camsim/testpattern.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <utime.h>

namespace {

// Camera picture n: the test pattern with its number in the band.
std::string Picture(int n) {
    camsim::Scene scene;
    scene.frame = n;
    const std::vector<uint8_t> rgb = camsim::TestPattern(320, 240, scene).Render();
    return camsim::EncodeJpeg(rgb.data(), 320, 240, false);
}

// What a program printed on standard output, and whether it ended well.
QStringList Output(const QString& program, const QStringList& arguments, bool* ok = nullptr) {
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(20000);
    if (ok)
        *ok = finished && process.exitCode() == 0 && process.readAllStandardError().isEmpty();
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// The file's stream as ffprobe sees it, and its pictures' timestamps in milliseconds.
QStringList Probe(const QString& file) {
    return Output("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                              "format=format_name:stream=codec_name", "-of", "default=nw=1:nk=1", file});
}
QStringList Timestamps(const QString& file) {
    return Output("ffprobe", {"-v", "error", "-show_entries", "packet=pts", "-of", "csv=p=0", file});
}
// How many pictures ffprobe reads from the file.
int Frames(const QString& file) {
    const QStringList frames = Output("ffprobe", {"-v", "quiet", "-count_frames", "-show_entries",
                                                  "stream=nb_read_frames", "-of", "csv=p=0", file});
    return frames.size() == 1 ? frames[0].toInt() : -1;
}

TEST(MatroskaFileTest, PicturesGoInByteForByteWithTheirArrivalTimes) {
    TemporaryDataRoot root;
    const QString file = root.File("camera.mkv");
    const int64_t arrivals[] = {5000, 5040, 5093, 5120, 5200};
    MatroskaFile mkv;
    ASSERT_TRUE(mkv.Open(file, 320, 240)) << mkv.Error().toStdString();
    for (int n = 0; n < 5; ++n) {
        const std::string jpeg = Picture(n);
        ASSERT_TRUE(mkv.Write(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), arrivals[n]));
    }
    // What a crash would leave once the pictures are flushed: all of them.
    ASSERT_TRUE(mkv.Flush());
    ASSERT_TRUE(QFile::copy(file, root.File("crashed.mkv")));
    EXPECT_EQ(Frames(root.File("crashed.mkv")), 5);
    ASSERT_TRUE(mkv.Close());
    EXPECT_EQ(Probe(file), QStringList({"mjpeg", "matroska,webm"})); // the stream, then the file
    EXPECT_EQ(Timestamps(file), QStringList({"0", "40", "93", "120", "200"}));
    bool played = false;
    Output("ffmpeg", {"-v", "error", "-i", file, "-c", "copy", "-f", "image2", root.File("%d.jpg")}, &played);
    ASSERT_TRUE(played);
    for (int n = 0; n < 5; ++n) {
        QFile taken(root.File(QString::number(n + 1) + ".jpg"));
        ASSERT_TRUE(taken.open(QIODevice::ReadOnly)) << n;
        EXPECT_EQ(taken.readAll().toStdString(), Picture(n)) << n;
    }
}

TEST(MatroskaFileTest, AFileCutByAFullDiskPlaysUpToItsLastWholePicture) {
    TemporaryDataRoot root;
    const QString file = root.File("full.mkv");
    MatroskaFile mkv;
    int written = 0;
    {
        const FileSizeLimit disk(100 * 1024);
        ASSERT_TRUE(mkv.Open(file, 320, 240));
        for (const std::string jpeg = Picture(1);
             written < 1000 &&
             mkv.Write(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), written * 40) &&
             mkv.Flush();)
            ++written;
    }
    EXPECT_GT(written, 3);
    EXPECT_LT(written, 1000);
    EXPECT_FALSE(mkv.IsOpen());
    EXPECT_TRUE(mkv.Error().endsWith("File too large")) << mkv.Error().toStdString();
    // Every picture written before the disk was full is there; the one cut short is not.
    EXPECT_GE(Frames(file), written - 1);
    EXPECT_LE(Frames(file), written);
}

TEST(RetentionTest, TheOldestGoFirstUntilTheFolderIsWithinItsLimits) {
    const QDateTime now = QDateTime::currentDateTime();
    const struct {
        const char* what;
        int64_t keepBytes;
        int keepDays;
        QStringList left; // of a, b, c, d: 1000 bytes each, 20, 10, 2 and 0 days old; c, d are being written
    } cases[] = {
        {"no limits", 0, 0, {"a-clip-103000", "b", "c", "d"}},
        {"by space", 2500, 0, {"c", "d"}},
        {"by age", 0, 14, {"b", "c", "d"}},
        {"by both", 2500, 5, {"c", "d"}},
        {"the files written stay", 1, 1, {"c", "d"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryDataRoot root;
        const int ages[] = {20, 10, 2, 0};
        for (int i = 0; i < 4; ++i) {
            const QString day = root.File(now.addDays(-ages[i]).toString("yyyy-MM-dd"));
            QDir().mkpath(day);
            // a: a recording of a camera named "a-clip", which is no clip
            QFile file(day + "/" + (i == 0 ? QString("a-clip-103000") : QString(QChar('a' + i))) + ".mkv");
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(1000, 'x'));
            file.close();
            const time_t when = now.addDays(-ages[i]).toSecsSinceEpoch();
            const utimbuf times{when, when};
            utime(QFile::encodeName(file.fileName()).constData(), &times);
        }
        // Beside them, old videos of the user's own, a clip the user saved as old as a, and a day
        // folder that leads elsewhere.
        TemporaryDataRoot elsewhere;
        const QString own = root.File("archive/own.mkv");
        const QString far = elsewhere.File("far.mkv");
        const QString clip = root.File(now.addDays(-20).toString("yyyy-MM-dd") + "/a-103000-clip-2.mkv");
        for (const QString& path : {own, far, clip})
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()) && QFile(path).open(QIODevice::WriteOnly));
        const time_t clipped = now.addDays(-20).toSecsSinceEpoch();
        const utimbuf clipTimes{clipped, clipped};
        utime(QFile::encodeName(clip).constData(), &clipTimes);
        ASSERT_TRUE(QFile::link(elsewhere.Path(), root.File("2000-01-01")));
        const QStringList writing = {root.File(now.addDays(-2).toString("yyyy-MM-dd") + "/c.mkv"),
                                     root.File(now.toString("yyyy-MM-dd") + "/d.mkv")};
        KeepWithinLimits(root.Path(), c.keepBytes, c.keepDays, writing, now);
        EXPECT_TRUE(QFile::exists(own) && QFile::exists(far) && QFile::exists(clip));
        QFile::remove(clip);
        QDir().rmdir(QFileInfo(clip).path()); // kept only by the clip
        QFile::remove(root.File("2000-01-01"));
        QDir(root.File("archive")).removeRecursively();
        QStringList left;
        for (const QFileInfo& day :
             QDir(root.Path()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            EXPECT_FALSE(QDir(day.filePath()).isEmpty()) << "an emptied day's folder goes";
            for (const QFileInfo& file : QDir(day.filePath()).entryInfoList({"*.mkv"}, QDir::Files))
                left.append(file.baseName());
        }
        EXPECT_EQ(left, c.left);
    }
}

TEST(RecordingWriterTest, AFolderGetsDatedFilesAndOneThatCannotBeWrittenSaysWhy) {
    TemporaryDataRoot root;
    const std::string jpeg = Picture(7);
    const auto add = [&jpeg](RecordingWriter& writer) {
        writer.Add(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
    };
    // First, before any ffprobe runs: under the thread sanitizer, a child process started from
    // this one hides this thread's locks from it for the rest of the test.
    QDir().mkpath(root.File("Shut"));
    const ReadOnlyFolder shut(root.File("Shut"));
    RecordingWriter refused(RecordingTarget{{}, root.File("Shut"), {}, 0, 0});
    add(refused);
    for (int wait = 0; wait < 200 && refused.Error().isEmpty(); ++wait)
        QThread::msleep(10);
    EXPECT_TRUE(refused.Error().contains("Permission denied")) << refused.Error().toStdString();
    {
        const FileSizeLimit full(0); // a full disk: the file begun holds nothing and goes
        RecordingWriter writer(RecordingTarget{{}, root.File("Full"), {}, 0, 0});
        add(writer);
        writer.End();
        EXPECT_FALSE(writer.Error().isEmpty());
    }
    EXPECT_EQ(QDir(root.File("Full/" + QDate::currentDate().toString("yyyy-MM-dd"))).entryList(QDir::Files),
              QStringList());
    RecordingWriter unsized(RecordingTarget{root.File("none.mkv"), {}, {}, 0, 0});
    unsized.Add(reinterpret_cast<const uint8_t*>("not a picture"), 13);
    unsized.End();
    EXPECT_TRUE(unsized.Error().startsWith("No picture")) << "nothing recorded is not a success";

    {
        RecordingTarget target{{}, root.File("Gate"), {}, 0, 0};
        target.newFileMs = 100;
        RecordingWriter writer(target);
        add(writer);
        add(writer);
        QThread::msleep(150); // the fourth picture goes in a new file; the third, of no size, not
        writer.Add(reinterpret_cast<const uint8_t*>("not a picture"), 13);
        add(writer);
        for (int wait = 0; wait < 200 && writer.PicturesWritten() < 4; ++wait)
            QThread::msleep(10);
    }
    const QString day = root.File("Gate/" + QDate::currentDate().toString("yyyy-MM-dd"));
    const QStringList files = QDir(day).entryList({"*.mkv"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    QList<qsizetype> pictures;
    for (const QString& name : files) {
        EXPECT_TRUE(QRegularExpression("^Gate-[0-9]{6}(-2)?\\.mkv$").match(name).hasMatch())
            << name.toStdString();
        pictures << Timestamps(day + '/' + name).size();
    }
    std::sort(pictures.begin(), pictures.end());
    EXPECT_EQ(pictures, (QList<qsizetype>{1, 3}));
}

// The seconds before a motion, handed over at once as the file begins, all go in, however many
// bytes they hold: those left out would be the ones nearest the motion.
TEST(RecordingWriterTest, PicturesKeptFromBeforeTheRecordingAreNeverLeftOut) {
    TemporaryDataRoot root;
    std::string jpeg = Picture(7);
    const int count = RecordingWriter::kMaxQueuedBytes / (1 << 20) + 2;
    jpeg.resize(1 << 20); // a picture with a megabyte of bytes after its end, as the file holds it
    RecordingWriter writer(RecordingTarget{root.File("kept.mkv"), {}, {}, 0, 0});
    for (int i = 0; i < count; ++i)
        writer.AddKept(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), RecordingWriter::Now());
    writer.End();
    EXPECT_TRUE(writer.Error().isEmpty()) << writer.Error().toStdString();
    EXPECT_EQ(writer.PicturesLeftOut(), 0);
    EXPECT_EQ(writer.PicturesWritten(), count);
}

// An end not written within the bound (a file nobody reads: a FIFO) is not reported as written.
TEST(RecordingWriterTest, AnEndNotWrittenInTimeIsNotReportedAsWritten) {
    TemporaryDataRoot root;
    const std::string jpeg = Picture(7);
    const QString stuck = root.File("stuck.mkv");
    ASSERT_TRUE(MakeFifo(stuck));
    RecordingWriter slow(RecordingTarget{stuck, {}, {}, 0, 0});
    slow.AddKept(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), RecordingWriter::Now());
    slow.End();
    EXPECT_TRUE(slow.Error().startsWith("the last pictures were still being written"))
        << slow.Error().toStdString();
    QFile reader(stuck); // lets the writer go
    reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    while (reader.read(1 << 20).size() > 0) {
    }
}

} // namespace
