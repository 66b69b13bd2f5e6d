// zelctl stream against a simulated camera: the events as lines, the summary, the exit status
// and the snapshot.

#include "tests/support/camsimfixture.h"
#include "tests/support/ffmpegserver.h"
#include "tests/support/freeport.h"
#include "tests/support/qtprinters.h"
#include "tests/support/temporarydataroot.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QStringList lines;
    QString errors; // standard error
};

Outcome Stream(const QStringList& arguments, bool debug = false, const QString& command = "stream") {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LUMENFOLD_DEBUG");
    if (debug)
        environment.insert("LUMENFOLD_DEBUG", "1");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZELCTL_PATH), QStringList{command} + arguments);
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(ZelctlStreamTest, PrintsTheEventsAndWritesASnapshot) {
    TemporaryDataRoot root;
    InProcessCamsim camera;
    const QString snapshot = root.File("snapshot.png");
    const Outcome run = Stream({QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi")), "--seconds",
                                "1", "--rotate", "180", "--snapshot", snapshot});
    ASSERT_EQ(run.status, 0);
    ASSERT_EQ(run.lines.size(), 4);
    EXPECT_EQ(run.lines.mid(0, 3), QStringList({"OnStreamStarted 0 0", "OnSize 640 480", "OnStreamStopped"}))
        << "ended by the command: no lost connection";
    EXPECT_TRUE(run.lines.back().startsWith("pictures read ")) << run.lines.back().toStdString();

    const QImage picture(snapshot);
    ASSERT_EQ(picture.size(), QSize(640, 480));
    // Turned half round: the white field (bottom right) is now top left.
    EXPECT_EQ(QColor(picture.pixel(100, 100)).lightness(), 255);
    EXPECT_FALSE(run.errors.contains(":T:")) << "the log on standard error only when asked";

    const QString nowhere = root.File("no such folder/snapshot.png");
    const Outcome unwritten = Stream({QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi")),
                                      "--seconds", "1", "--snapshot", nowhere});
    EXPECT_EQ(unwritten.status, 2);
    EXPECT_TRUE(unwritten.errors.contains(nowhere + ": cannot be written"));
}

TEST(ZelctlStreamTest, TheLogGoesToStandardErrorWhenAsked) {
    InProcessCamsim camera;
    const Outcome run =
        Stream({QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi")), "--seconds", "1"}, true);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.errors.contains(":T:CCamImage::ReadThread - Begin")) << run.errors.toStdString();
}

TEST(ZelctlStreamTest, ReconnectStartsAStreamThatEndedAgainUntilTheTimeIsUp) {
    camsim::CameraConfig config = FastCamera();
    config.faults.closeAfter = 3;
    InProcessCamsim camera(config);
    const Outcome run = Stream(
        {QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi")), "--seconds", "3", "--reconnect"});
    EXPECT_EQ(run.status, 0);
    EXPECT_GE(run.lines.count("OnStreamStarted 0 0"), 2) << run.lines.join('|').toStdString();
    EXPECT_GE(camera.Server().Requests().All().size(), 2u);
}

TEST(ZelctlStreamTest, AFailedStreamEndsAtOnceWithStatusOne) {
    camsim::CameraConfig config;
    config.auth = camsim::AuthMode::Basic;
    config.user = "root";
    config.password = "pass";
    InProcessCamsim camera(config);
    const QString url = QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi"));
    Outcome run = Stream({url, "--seconds", "30"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.lines.value(0), "OnConnectionFailed 401");

    run = Stream({url, "--seconds", "1", "--user", "root", "--password", "pass"});
    EXPECT_EQ(run.status, 0);
    for (const char* bad : {"2147484", "4294968", "0", "-1"})
        EXPECT_EQ(Stream({url, "--seconds", bad}).status, 2) << bad;
    EXPECT_EQ(Stream({url, "--rotate", "45"}).status, 2);
    EXPECT_EQ(Stream({}).status, 2);
}

// zelctl stream --motion: a box crossing camsim's still scene starts motion within two pictures and
// ends it; the still scene alone gives none; ffmpeg's moving test picture gives motion.
TEST(ZelctlStreamTest, MotionStartsAndEndsAreLinesWithTheirPictures) {
    const QRegularExpression started("^motion started at [0-9:.]{12}, picture ([0-9]+)$");
    for (const char* scene : {"box:20:45", "still"}) {
        SCOPED_TRACE(scene);
        camsim::CameraConfig config;
        config.scene = *camsim::MotionScene::Parse(scene);
        InProcessCamsim camera(config);
        const Outcome run =
            Stream({QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi")), "--seconds",
                    QString(scene) == "still" ? "2" : "5", "--fps", "0", "--motion"});
        const QStringList motion = run.lines.filter(QRegularExpression("^motion "));
        if (QString(scene) == "still") {
            EXPECT_TRUE(motion.isEmpty()) << motion.join('|').toStdString();
            continue;
        }
        ASSERT_EQ(motion.size(), 2) << run.lines.join('|').toStdString();
        const int first = started.match(motion[0]).captured(1).toInt();
        EXPECT_GE(first, 20);
        EXPECT_LE(first, 22);
        EXPECT_TRUE(motion[1].startsWith("motion ended at "));
    }
    FfmpegServer server(25);
    ASSERT_TRUE(server.Listening()) << server.Error();
    const Outcome run =
        Stream({QString::fromStdString(server.Url()), "--seconds", "3", "--fps", "0", "--motion"});
    EXPECT_TRUE(run.lines.filter(started).size() >= 1) << run.lines.join('|').toStdString();
}

// zelctl record of ffmpeg's own Motion-JPEG server: a file that ffmpeg plays back without an
// error; and its exit statuses.
TEST(ZelctlRecordTest, RecordsARealServerIntoAFileFfmpegPlaysAndSaysWhatWentWrong) {
    TemporaryDataRoot root;
    FfmpegServer server(25);
    ASSERT_TRUE(server.Listening()) << server.Error();
    const QString file = root.File("ffmpeg.mkv");
    const auto record = [](const QStringList& arguments) { return Stream(arguments, false, "record"); };
    const Outcome run = record({QString::fromStdString(server.Url()), "--seconds", "2", "--out", file});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    QProcess play;
    // Timestamps as recorded (pictures may arrive a millisecond apart), not resampled to a rate.
    play.start("ffmpeg", {"-v", "error", "-i", file, "-fps_mode", "passthrough", "-enc_time_base", "-1", "-f",
                          "null", "-"});
    ASSERT_TRUE(play.waitForFinished(20000));
    EXPECT_EQ(play.exitCode(), 0);
    EXPECT_EQ(play.readAllStandardError(), "");
    EXPECT_GT(QFileInfo(file).size(), 10000);

    InProcessCamsim camera;
    const QString url = QString::fromStdString(camera.Url("/vexo-cgi/mjpg/video.cgi"));
    const struct {
        QStringList arguments;
        int status;
    } runs[] = {
        {{"http://127.0.0.1:" + QString::number(UnusedLoopbackPort()) + "/", "--seconds", "1", "--out", file},
         1},
        {{url, "--seconds", "1", "--out", root.File("no/such/folder/a.mkv")}, 2},
        {{url, "--seconds", "1"}, 2},
        {{"http://127.0.0.1:" + QString::number(UnusedLoopbackPort()) + "/", "--seconds", "1", "--out",
          root.File("b.mkv")},
         1},
        {{url, "--out", file}, 2},
        {{url, "--seconds", "1", "--out", file, "--rotate", "90"}, 2},
    };
    for (const auto& r : runs)
        EXPECT_EQ(record(r.arguments).status, r.status) << r.arguments.join(' ').toStdString();
    EXPECT_GT(QFileInfo(file).size(), 10000) << "a camera out of reach leaves the file as it was";
    EXPECT_FALSE(QFile::exists(root.File("b.mkv")));
}

} // namespace
