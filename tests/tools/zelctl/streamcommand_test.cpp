// zelctl stream against a simulated camera: the events as lines, the summary, the exit status
// and the snapshot.

#include "tests/support/camsimfixture.h"
#include "tests/support/qtprinters.h"
#include "tests/support/temporarydataroot.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QStringList lines;
    QString errors; // standard error
};

Outcome Stream(const QStringList& arguments, bool debug = false) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LUMENFOLD_DEBUG");
    if (debug)
        environment.insert("LUMENFOLD_DEBUG", "1");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZELCTL_PATH), QStringList{"stream"} + arguments);
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

} // namespace
