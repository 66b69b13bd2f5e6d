// zelctl identify against cameras on loopback, with what it writes to standard output and
// standard error. The command runs inside the test process, beside the simulated cameras.

#include "tools/zelctl/identifycommand.h"

#include "tests/support/camsimfixture.h"
#include "tests/support/qtprinters.h"
#include "tests/support/temporarydataroot.h"
#include "tools/camsim/ftpgreeter.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

namespace {

struct Outcome {
    int status;
    QStringList lines;
    QString err;
};

// Sends one of the process's standard streams into a file while it lives.
class StreamCapture {
  public:
    StreamCapture(FILE* stream) : stream(stream), fd(fileno(stream)) {
        EXPECT_TRUE(file.open());
        std::fflush(stream);
        saved = dup(fd);
        dup2(file.handle(), fd);
    }
    ~StreamCapture() { Restore(); }
    QString Text() {
        Restore();
        QFile read(file.fileName());
        EXPECT_TRUE(read.open(QIODevice::ReadOnly));
        return QString::fromUtf8(read.readAll());
    }

  private:
    void Restore() {
        if (saved < 0)
            return;
        std::fflush(stream);
        dup2(saved, fd);
        close(saved);
        saved = -1;
    }

    FILE* const stream;
    const int fd;
    QTemporaryFile file;
    int saved = -1;
};

Outcome Identify(const QStringList& arguments) {
    StreamCapture out(stdout);
    StreamCapture err(stderr);
    const int status = RunIdentifyCommand(arguments);
    QStringList lines = out.Text().split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return {status, lines, err.Text()};
}

QString Port(uint16_t port) {
    return QString::number(port);
}

class IdentifyCommandTest : public ::testing::Test {
  protected:
    TemporaryDataRoot root;
};

TEST_F(IdentifyCommandTest, CameraThatAnswersTheParameterQuery) {
    camsim::CameraConfig config;
    config.model = "Juniper";
    config.firmware = "1.00";
    config.resolutions = "320x240,640x480";
    config.ptz = true;
    InProcessCamsim camera(config);
    const Outcome outcome =
        Identify({"127.0.0.1", "--port", Port(camera.Port()), "--ftp-port", Port(UnusedLoopbackPort())});
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    // A model the table did not know is learned with the camera's own lists.
    EXPECT_EQ(outcome.lines,
              QStringList({"model Juniper", "firmware 1.00", "unauthorized 0",
                           "Resolution\tdefault,320x240,640x480", "CameraNumber\tdefault,1", "PTZ\ttrue"}));
    EXPECT_TRUE(QFileInfo::exists(root.File("ZelPPCCameraTypes.arc")));
}

TEST_F(IdentifyCommandTest, CameraKnownByItsGreeting) {
    camsim::CameraConfig config;
    config.parameterQuery = false;
    InProcessCamsim camera(config);
    camsim::FtpGreeting greeting;
    greeting.line = camsim::DefaultGreeting("Hazel", "2.11");
    camsim::FtpGreeter ftp(greeting);
    std::string error;
    ASSERT_TRUE(ftp.Start(0, error)) << error;
    const Outcome outcome =
        Identify({"127.0.0.1", "--port", Port(camera.Port()), "--ftp-port", Port(ftp.Port())});
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    ASSERT_EQ(outcome.lines.size(), 6);
    EXPECT_EQ(outcome.lines.mid(0, 3), QStringList({"model Hazel", "firmware 2.11", "unauthorized 0"}));
    EXPECT_EQ(outcome.lines[5], "PTZ\tfalse"); // the table's entry for 2.10 serves 2.11
    EXPECT_FALSE(QFileInfo::exists(root.File("ZelPPCCameraTypes.arc")));
}

TEST_F(IdentifyCommandTest, CameraThatWantsCredentials) {
    camsim::CameraConfig config;
    config.auth = camsim::AuthMode::Basic;
    config.user = "root";
    config.password = "pass";
    InProcessCamsim camera(config);
    const QStringList address{"127.0.0.1", "--port", Port(camera.Port()), "--ftp-port",
                              Port(UnusedLoopbackPort())};

    const Outcome refused = Identify(address);
    EXPECT_EQ(refused.status, 1);
    ASSERT_GE(refused.lines.size(), 3);
    EXPECT_EQ(refused.lines.mid(0, 3), QStringList({"model unknown", "firmware ", "unauthorized 1"}));
    EXPECT_EQ(refused.lines.value(4), "CameraNumber\tdefault,1,2,3,4"); // the "unknown" entry

    const Outcome admitted = Identify(address + QStringList{"--user", "root", "--password", "pass"});
    EXPECT_EQ(admitted.status, 0);
    EXPECT_EQ(admitted.lines.mid(0, 3), QStringList({"model Alder", "firmware 2.10", "unauthorized 0"}));
}

TEST_F(IdentifyCommandTest, BadArguments) {
    const QStringList bad[] = {
        {},
        {"--port", "80"},
        {"cam", "other"},
        {"cam", "--port", "0"},
        {"cam", "--port", "65536"},
        {"cam", "--ftp-port", "x"},
        {"cam", "--user"},
        {"cam", "--colour", "red"},
    };
    for (const QStringList& arguments : bad) {
        const Outcome outcome = Identify(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.lines.isEmpty());
        EXPECT_TRUE(outcome.err.contains("zelctl identify ADDRESS"));
    }
}

} // namespace
