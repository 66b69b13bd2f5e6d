// Recording on motion against camsim's scenes: a moving box is one file, RecordBeforeMotion seconds before
// the motion to RecordOnMotion seconds after, each picture once; a still scene is none; a full disk stops it;
// and recordings older than the days kept go, whether or not anything moves.

#include "tests/control/controlfixture.h"

#include "platform/com/bstring.h"
#include "tests/support/filesystemfaults.h"
#include "tools/camsim/jpegencoder.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QProcess>

#include <utime.h>

#include <optional>

namespace {

// The picture number of the control's first OnMotion of that kind (1: a start, 0: an end); -1: none.
int MotionAt(const QStringList& events, int started) {
    const QStringList found = events.filter(QString("OnMotion %1 ").arg(started));
    return found.isEmpty() ? -1 : found.first().section(' ', 2).toInt();
}

TEST_F(ControlTest, RecordingOnMotionWritesAFileFromSecondsBeforeTheMotionToSecondsAfter) {
    AllowLatePictures();
    const struct {
        const char* scene;
        qint64 diskBytes; // 0: no limit
        int files;
        const char* error; // the end of RecordingError
    } cases[] = {{"box:65:75", 0, 1, ""}, {"still", 0, 0, ""}, {"box:65:75", 100000, 1, "File too large"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        camsim::CameraConfig config;
        config.fps = 50;
        config.scene = *camsim::MotionScene::Parse(c.scene);
        InProcessCamsim camera(config);
        std::optional<FileSizeLimit> disk;
        if (c.diskBytes)
            disk.emplace(c.diskBytes);
        const QString folder = root.File(QString("Yard%1").arg(&c - cases));
        // A recording 20 days old, which goes whether or not anything moves.
        const QString old =
            folder + "/" + QDate::currentDate().addDays(-20).toString("yyyy-MM-dd") + "/Yard-000000.mkv";
        ASSERT_TRUE(QDir().mkpath(QFileInfo(old).path()) && QFile(old).open(QIODevice::WriteOnly));
        const time_t aged = QDateTime::currentDateTime().addDays(-20).toSecsSinceEpoch();
        const utimbuf times{aged, aged};
        utime(QFile::encodeName(old).constData(), &times);
        MakeControl();
        control->put_RecordKeepDays(14);
        control->put_MotionDetection(1);
        control->put_RecordOnMotion(1);
        control->put_RecordBeforeMotion(1);
        ASSERT_EQ(PutText(&ICamImage::put_RecordFolder, folder), S_OK);
        ASSERT_EQ(PutUrl(camera.Url("/vexo-cgi/mjpg/video.cgi?resolution=320x240")), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return PicturesRead() >= 80; }, 20000)); // past the box's first pictures
        // Until its file has ended: after the motion, or at the error; at once when nothing moved.
        int32_t recording = 0;
        BString error;
        EXPECT_TRUE(PumpUntil(
            [&] {
                control->get_Recording(&recording);
                control->get_RecordingError(error.Receive());
                return recording == 0 && (MotionAt(events->Texts(), 0) >= 0 || !error.ToQString().isEmpty() ||
                                          MotionAt(events->Texts(), 1) < 0);
            },
            20000)); // a sanitizer build under load is slow
        EXPECT_EQ(error.ToQString().section(": ", -1), c.error);
        const QDir day(folder + "/" + QDate::currentDate().toString("yyyy-MM-dd"));
        const QStringList files = day.entryList({"*.mkv"}, QDir::Files);
        ASSERT_EQ(files.size(), c.files);
        EXPECT_FALSE(QFile::exists(old)) << "older than the days kept";
        const int start = MotionAt(events->Texts(), 1), end = MotionAt(events->Texts(), 0);
        ReleaseControl();
        if (c.files == 0 || *c.error)
            continue;
        // Each picture's timestamp and the hash of its bytes.
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-show_data_hash", "md5", "-show_entries",
                                "packet=pts,data_hash", "-of", "csv=p=0", day.filePath(files[0])});
        ASSERT_TRUE(probe.waitForFinished(10000));
        QList<int> pts;
        QStringList hashes;
        for (const QString& line :
             QString::fromLatin1(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
            pts.append(line.section(',', 0, 0).toInt());
            hashes.append(line.section(':', 1));
        }
        // The pictures that started and ended the motion, found by their bytes: each of the
        // scene's is its own (a slow reader may miss some of the camera's pictures).
        const auto timeOf = [&](int picture) {
            const std::string jpeg = camsim::EncodeJpeg(
                camsim::RenderMotionScene(config.scene, 320, 240, picture).data(), 320, 240, false);
            return pts.value(static_cast<int>(hashes.indexOf(
                QCryptographicHash::hash(QByteArray::fromStdString(jpeg), QCryptographicHash::Md5).toHex())));
        };
        EXPECT_EQ(QStringList(hashes).removeDuplicates(), 0);
        // A second, less the time since the last picture, never more. The seconds are those of
        // the pictures' arrival: a sanitizer build on a loaded machine reads none for most of a
        // second at times.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
        const auto aboutASecond = [](int ms) { return ms > 0 && ms <= 1050; };
#else
        const auto aboutASecond = [](int ms) { return ms > 750 && ms <= 1050; };
#endif
        EXPECT_PRED1(aboutASecond, timeOf(start)) << "a second before the motion started";
        EXPECT_PRED1(aboutASecond, pts.last() - timeOf(end)) << "to a second after it ended";
    }
}

} // namespace
