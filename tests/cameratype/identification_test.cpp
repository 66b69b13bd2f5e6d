// Identification of cameras simulated on loopback: the parameter query, the FTP greeting,
// cancellation, and learning what the cameras report.

#include "cameratype/cameratypelookup.h"
#include "cameratype/identification.h"
#include "cameratype/lookupthread.h"
#include "cameratype/parameterquery.h"

#include "foundation/log.h"
#include "platform/kernel/tick.h"
#include "settings/settingsstore.h"
#include "tests/support/camsimfixture.h"
#include "tests/support/nginxserver.h"
#include "tests/support/temporarydataroot.h"
#include "tools/camsim/ftpgreeter.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

namespace {

const QString kLoopback = QStringLiteral("127.0.0.1");
const char kParameterObject[] =
    "/vexo-cgi/view/"
    "param.cgi?action=list&group=root.Properties.Image.Resolution,root.ImageSource.NbrOfSources,"
    "root.Brand.ProdShortName,root.Properties.Firmware.Version,root.Properties.PTZ.PTZ";

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kCamsimWaitMs) {
    const uint32_t start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > static_cast<uint32_t>(timeoutMs))
            return false;
        Sleep(5);
    }
    return true;
}

camsim::CameraConfig Camera(const std::string& model, const std::string& firmware) {
    camsim::CameraConfig config;
    config.model = model;
    config.firmware = firmware;
    return config;
}

// A camera without the parameter query, identified only by its FTP greeting.
camsim::CameraConfig FtpOnlyCamera() {
    camsim::CameraConfig config;
    config.parameterQuery = false;
    return config;
}

class FtpServer {
  public:
    explicit FtpServer(const camsim::FtpGreeting& greeting) : greeter(greeting) {
        std::string error;
        EXPECT_TRUE(greeter.Start(0, error)) << error;
    }
    static camsim::FtpGreeting Greeting(const std::string& line) {
        camsim::FtpGreeting greeting;
        greeting.line = line;
        return greeting;
    }
    uint16_t Port() const { return greeter.Port(); }

  private:
    camsim::FtpGreeter greeter;
};

// An FTP port that counts its clients and keeps them waiting without a greeting.
class SilentFtpListener {
  public:
    SilentFtpListener() {
        std::string error;
        EXPECT_TRUE(listener.Start(0, error)) << error;
    }
    uint16_t Port() const { return listener.Port(); }
    int Connections() const { return connections; }

  private:
    std::atomic<int> connections{0};
    camsim::Listener listener{[this](camsim::Socket& socket) {
        ++connections;
        socket.WaitUntilGone();
    }};
};

// An HTTP server whose answer arrives in two writes, the second well after the first, as it
// often does on a real network.
class SplitAnswerServer {
  public:
    explicit SplitAnswerServer(const std::string& body) : body(body) {
        std::string error;
        EXPECT_TRUE(listener.Start(0, error)) << error;
    }
    uint16_t Port() const { return listener.Port(); }

  private:
    static constexpr int kPauseMs = 300;

    void Serve(camsim::Socket& socket) {
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            if (socket.Receive(request, kCamsimWaitMs) != camsim::Socket::Wait::Data)
                return;
        }
        const size_t half = body.size() / 2;
        socket.Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body.substr(0, half));
        if (socket.Pause(kPauseMs))
            socket.Send(body.substr(half));
    }

    const std::string body;
    camsim::Listener listener{[this](camsim::Socket& socket) { Serve(socket); }};
};

// An HTTP server that gives every request the same raw answer (head and body as written), then
// closes the connection, or keeps it open until the client goes.
class RawAnswerServer {
  public:
    enum class Then { Close, KeepOpen };
    RawAnswerServer(const std::string& answer, Then then) : answer(answer), then(then) {
        std::string error;
        EXPECT_TRUE(listener.Start(0, error)) << error;
    }
    uint16_t Port() const { return listener.Port(); }

  private:
    void Serve(camsim::Socket& socket) {
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            if (socket.Receive(request, kCamsimWaitMs) != camsim::Socket::Wait::Data)
                return;
        }
        socket.Send(answer);
        if (then == Then::KeepOpen)
            socket.WaitUntilGone();
    }

    const std::string answer;
    const Then then;
    camsim::Listener listener{[this](camsim::Socket& socket) { Serve(socket); }};
};

// The five lines of a parameter answer, each ended with CR LF as a server on another system
// sends a file written there.
const std::string kCrLfParameters = "root.Properties.Image.Resolution=320x240,640x480\r\n"
                                    "root.ImageSource.NbrOfSources=1\r\n"
                                    "root.Brand.ProdShortName=VEXO Birch\r\n"
                                    "root.Properties.Firmware.Version=2.34\r\n"
                                    "root.Properties.PTZ.PTZ=yes\r\n";

std::string PlainTextHead(const std::string& extraHeaders) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n" + extraHeaders + "\r\n";
}

class IdentificationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CameraTypes() = Node();
        lookup.emplace();
        DiagLog::Instance().SetConsoleForTest([this](std::string_view text) {
            std::lock_guard<std::mutex> guard(consoleLock);
            console += text;
        });
    }
    void TearDown() override {
        lookup.reset();
        // Every worker, cancelled or not, has finished and deleted itself.
        EXPECT_TRUE(WaitUntil([] { return LookupThread::ExistingCount() == 0; }));
        DiagLog::Instance().SetConsoleForTest(nullptr);
    }

    std::string Console() {
        std::lock_guard<std::mutex> guard(consoleLock);
        return console;
    }
    size_t Count(const std::string& text) {
        const std::string log = Console();
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    bool Identify(uint16_t port, uint16_t ftpPort, const QString& user = QString(),
                  const QString& password = QString()) {
        lookup->SetFtpPort(ftpPort);
        return lookup->Lookup(kLoopback, port, user, password, kCamsimWaitMs, model, firmware);
    }

    TemporaryDataRoot root;
    std::optional<CameraTypeLookup> lookup;
    QString model = QStringLiteral("untouched");
    QString firmware = QStringLiteral("untouched");
    std::mutex consoleLock;
    std::string console;
};

TEST_F(IdentificationTest, ByParameterQueryWithoutTouchingFtp) {
    camsim::CameraConfig config = Camera("Cedar", "2.33");
    config.resolutions = "352x288 (PAL),704x576 (PAL)";
    config.sources = 2;
    config.ptz = true;
    InProcessCamsim camera(config);
    SilentFtpListener ftp;

    ASSERT_TRUE(Identify(camera.Port(), ftp.Port()));
    EXPECT_EQ(model, "Cedar");
    EXPECT_EQ(firmware, "2.33");
    EXPECT_FALSE(lookup->IsUnauthorized());
    EXPECT_FALSE(lookup->IsDone()); // the worker has been handed over
    EXPECT_EQ(ftp.Connections(), 0);

    const auto requests = camera.Server().Requests().All();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, kParameterObject);
    EXPECT_EQ(requests[0].Header("User-Agent"), "ZelPPC");
    EXPECT_NE(Console().find("CameraTypeLookup::Lookup - Lookup '127.0.0.1'"), std::string::npos);
    EXPECT_NE(Console().find("CameraTypeLookup::Lookup - result ready"), std::string::npos);

    // The camera's own lists are learned as a new entry after the built-in ones.
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Cedar/Firmware/4").GetText(), "2.33");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Cedar/Firmware/4/Resolution").GetText(),
              "default,352x288 (PAL),704x576 (PAL)");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Cedar/Firmware/4/CameraNumber").GetText(), "default,1,2");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Cedar/Firmware/4/PTZ").GetText(), "true");
}

TEST_F(IdentificationTest, LearningSavesTheTableOncePerNewFirmware) {
    const QString file = root.File("ZelPPCCameraTypes.arc");
    {
        InProcessCamsim camera(Camera("Juniper", "1.00"));
        ASSERT_TRUE(Identify(camera.Port(), UnusedLoopbackPort()));
        EXPECT_TRUE(QFileInfo::exists(file));
        ASSERT_TRUE(Identify(camera.Port(), UnusedLoopbackPort()));
        EXPECT_EQ(Count("Save Camera Types"), 1u);
    }
    InProcessCamsim newer(Camera("Juniper", "1.10"));
    ASSERT_TRUE(Identify(newer.Port(), UnusedLoopbackPort()));
    EXPECT_EQ(firmware, "1.10");
    EXPECT_EQ(Count("Save Camera Types"), 2u);
    QStringList versions;
    for (int i = 0; CameraTypes().Exists(QString("/CameraType/Juniper/Firmware/%1").arg(i)); ++i) {
        versions.append(CameraTypes().GetValue(QString("/CameraType/Juniper/Firmware/%1").arg(i)).GetText());
    }
    EXPECT_EQ(versions, QStringList({"1.00", "1.10"}));
}

TEST_F(IdentificationTest, AnswerInTwoPiecesIsReadToItsEnd) {
    const std::string answer = "root.Properties.Image.Resolution=320x240,640x480\n"
                               "root.ImageSource.NbrOfSources=1\n"
                               "root.Properties.PTZ.PTZ=no\n"
                               "root.Brand.ProdShortName=VEXO Birch\n"
                               "root.Properties.Firmware.Version=2.31\n";
    SplitAnswerServer camera(answer);
    ASSERT_TRUE(Identify(camera.Port(), UnusedLoopbackPort()));
    EXPECT_EQ(model, "Birch");
    EXPECT_EQ(firmware, "2.31");
}

TEST_F(IdentificationTest, AnswerIsReadUpTo64KiB) {
    camsim::CameraConfig config = Camera("Elm", "2.20");
    // Listed first, so the other values come after the first 64 KiB.
    config.resolutions = std::string(100 * 1024, 'x');
    InProcessCamsim camera(config);
    EXPECT_FALSE(Identify(camera.Port(), UnusedLoopbackPort())); // the model came too late
    ASSERT_TRUE(camera.Server().Requests().WaitFinished(0, kCamsimWaitMs));
    EXPECT_GT(camera.Server().Requests().All()[0].bodyBytes, static_cast<uint64_t>(kMaxParameterAnswerSize));
}

TEST_F(IdentificationTest, UnauthorizedThenFtpGreeting) {
    camsim::CameraConfig config = Camera("Hazel", "2.40");
    config.auth = camsim::AuthMode::Digest;
    config.user = "root";
    config.password = "secret";
    InProcessCamsim camera(config);
    FtpServer ftp(FtpServer::Greeting("220 Vexo Hazel Video Server V3.02 (Mar 01 2005) ready."));

    ASSERT_TRUE(Identify(camera.Port(), ftp.Port(), "root", "wrong"));
    EXPECT_EQ(model, "Hazel");
    EXPECT_EQ(firmware, "3.02");
    EXPECT_TRUE(lookup->IsUnauthorized());
    EXPECT_NE(Console().find("Lookup result 1, '127.0.0.1' has type 'Hazel 3.02' "), std::string::npos)
        << Console();
    // A greeting brings no lists: nothing is learned.
    EXPECT_FALSE(CameraTypes().Exists("/CameraType/Hazel/Firmware/3"));
    EXPECT_FALSE(QFileInfo::exists(root.File("ZelPPCCameraTypes.arc")));

    // With the right credentials the parameter query answers, and the flag is clear again.
    ASSERT_TRUE(Identify(camera.Port(), ftp.Port(), "root", "secret"));
    EXPECT_EQ(firmware, "2.40");
    EXPECT_FALSE(lookup->IsUnauthorized());
}

TEST_F(IdentificationTest, FtpGreetingOnly) {
    InProcessCamsim camera(FtpOnlyCamera());
    FtpServer ftp(FtpServer::Greeting(camsim::DefaultGreeting("Elm+", "3.01.05")));
    ASSERT_TRUE(Identify(camera.Port(), ftp.Port()));
    EXPECT_EQ(model, "Elm+");
    EXPECT_EQ(firmware, "3.01");
    EXPECT_FALSE(lookup->IsUnauthorized());
    EXPECT_EQ(camera.Server().Requests().All().size(), 1u);
}

TEST_F(IdentificationTest, GreetingSplitOverTwoWrites) {
    InProcessCamsim camera(FtpOnlyCamera());
    camsim::FtpGreeting greeting = FtpServer::Greeting(camsim::DefaultGreeting("Gum", "3.02"));
    greeting.split = true;
    greeting.splitDelayMs = 300;
    FtpServer ftp(greeting);
    ASSERT_TRUE(Identify(camera.Port(), ftp.Port()));
    EXPECT_EQ(model, "Gum");
    EXPECT_EQ(firmware, "3.02");
}

TEST_F(IdentificationTest, UnrecognisedGreetingIdentifiesNothing) {
    InProcessCamsim camera(FtpOnlyCamera());
    FtpServer ftp(FtpServer::Greeting("220 ProFTPD Server ready."));
    EXPECT_FALSE(Identify(camera.Port(), ftp.Port()));
    ASSERT_TRUE(WaitUntil([this] { return lookup->IsDone(); }));
    EXPECT_FALSE(lookup->Collect(0, model, firmware));
    EXPECT_EQ(model, "untouched");
    EXPECT_NE(Console().find("Lookup result 0, '127.0.0.1' has type ' ' "), std::string::npos) << Console();
}

TEST_F(IdentificationTest, UnresolvableName) {
    lookup->SetFtpPort(UnusedLoopbackPort());
    EXPECT_FALSE(lookup->Lookup("no-such-host.invalid", 80, "", "", kCamsimWaitMs, model, firmware));
    ASSERT_TRUE(WaitUntil([this] { return lookup->IsDone(); }));
    EXPECT_FALSE(lookup->Collect(0, model, firmware));
    EXPECT_FALSE(lookup->IsDone());
    EXPECT_EQ(model, "untouched");
    EXPECT_EQ(firmware, "untouched");
    EXPECT_NE(Console().find(":E:CameraTypeLookup::GetFTPConnectResponce - Failed to convert address"),
              std::string::npos)
        << Console();
}

TEST_F(IdentificationTest, EmptyAddress) {
    lookup->SetFtpPort(UnusedLoopbackPort());
    EXPECT_FALSE(lookup->Lookup("", 80, "", "", kCamsimWaitMs, model, firmware));
    EXPECT_TRUE(lookup->IsDone());
    EXPECT_NE(Console().find(":W:CameraTypeLookup::GetFTPConnectResponce - Empty host"), std::string::npos);
}

TEST_F(IdentificationTest, SilentFtpServerIsCancelledWithoutBlocking) {
    InProcessCamsim camera(FtpOnlyCamera());
    SilentFtpListener ftp;
    lookup->SetFtpPort(ftp.Port());
    EXPECT_FALSE(lookup->Lookup(kLoopback, camera.Port(), "", "", 0, model, firmware));
    // The worker now waits for a greeting that never comes.
    ASSERT_TRUE(WaitUntil([&ftp] { return ftp.Connections() == 1; }));
    EXPECT_FALSE(lookup->IsDone());

    const uint32_t start = GetTickCount();
    lookup->Cancel();
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_FALSE(lookup->IsDone());
    EXPECT_TRUE(WaitUntil([] { return LookupThread::ExistingCount() == 0; }));
    EXPECT_EQ(model, "untouched");
}

TEST_F(IdentificationTest, ANewLookupOrTheEndOfTheObjectCancelsTheOldOne) {
    InProcessCamsim camera(FtpOnlyCamera());
    SilentFtpListener ftp;
    lookup->SetFtpPort(ftp.Port());
    EXPECT_FALSE(lookup->Lookup(kLoopback, camera.Port(), "", "", 0, model, firmware));
    ASSERT_TRUE(WaitUntil([&ftp] { return ftp.Connections() == 1; }));
    EXPECT_FALSE(lookup->Lookup(kLoopback, camera.Port(), "", "", 0, model, firmware));
    ASSERT_TRUE(WaitUntil([&ftp] { return ftp.Connections() == 2; }));
    EXPECT_TRUE(WaitUntil([] { return LookupThread::ExistingCount() == 1; }));
    lookup.reset();
    EXPECT_TRUE(WaitUntil([] { return LookupThread::ExistingCount() == 0; }));
}

TEST_F(IdentificationTest, CancelEndsAPendingParameterQuery) {
    InProcessCamsim camera;
    camsim::Faults slow;
    slow.delayMs = 60000;
    camera.Server().QueueFaults(slow, "/vexo-cgi/view/param.cgi");
    SilentFtpListener ftp;
    lookup->SetFtpPort(ftp.Port());
    EXPECT_FALSE(lookup->Lookup(kLoopback, camera.Port(), "", "", 0, model, firmware));
    ASSERT_TRUE(camera.Server().Requests().WaitFor([](const auto& records) { return !records.empty(); },
                                                   kCamsimWaitMs));
    lookup->Cancel();
    EXPECT_TRUE(WaitUntil([] { return LookupThread::ExistingCount() == 0; }));
    // A cancelled worker tries no further probe.
    EXPECT_EQ(ftp.Connections(), 0);
}

TEST_F(IdentificationTest, SlowAnswerIsCollectedLater) {
    InProcessCamsim camera(Camera("Damson", "2.35"));
    camsim::Faults slow;
    slow.delayMs = 200;
    camera.Server().QueueFaults(slow, "/vexo-cgi/view/param.cgi");
    lookup->SetFtpPort(UnusedLoopbackPort());
    EXPECT_FALSE(lookup->Lookup(kLoopback, camera.Port(), "", "", 0, model, firmware));
    EXPECT_EQ(model, "untouched");
    ASSERT_TRUE(lookup->Collect(kCamsimWaitMs, model, firmware));
    EXPECT_EQ(model, "Damson");
    EXPECT_EQ(Count("CameraTypeLookup::Lookup - result ready"), 1u);
    EXPECT_FALSE(lookup->IsDone());
    EXPECT_FALSE(lookup->Collect(0, model, firmware)); // nothing runs any more
}

TEST_F(IdentificationTest, LinesEndingInCrLfAreLearnedWithoutCarriageReturns) {
    RawAnswerServer camera(
        PlainTextHead("Content-Length: " + std::to_string(kCrLfParameters.size()) + "\r\n") + kCrLfParameters,
        RawAnswerServer::Then::Close);
    ASSERT_TRUE(Identify(camera.Port(), UnusedLoopbackPort()));
    EXPECT_EQ(model, "Birch");
    EXPECT_EQ(firmware, "2.34");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Birch/Firmware/1").GetText(), "2.34");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Birch/Firmware/1/PTZ").GetText(), "true");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Birch/Firmware/1/CameraNumber").GetText(), "default,1");
    EXPECT_FALSE(root.ReadFile("ZelPPCCameraTypes.arc").contains(QByteArray("\r\0", 2)));
}

TEST_F(IdentificationTest, AnswerFileWrittenWithCrLfAndServedByNginx) {
    NginxServer nginx;
    nginx.AddFile("/vexo-cgi/view/param.cgi", QByteArray::fromStdString(kCrLfParameters));
    ASSERT_TRUE(nginx.Start()) << nginx.Error();
    ASSERT_TRUE(Identify(nginx.Port(), UnusedLoopbackPort()));
    EXPECT_EQ(model, "Birch");
    EXPECT_EQ(firmware, "2.34");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Birch/Firmware/1/PTZ").GetText(), "true");
}

TEST_F(IdentificationTest, SingleByteGreetingGivesTheCamerasOwnName) {
    InProcessCamsim camera(FtpOnlyCamera());
    FtpServer ftp(FtpServer::Greeting("220 VEXO Haz\xE9l Network Camera 2.31 ready."));
    ASSERT_TRUE(Identify(camera.Port(), ftp.Port()));
    EXPECT_EQ(model, QString::fromUtf8("Hazél"));
    EXPECT_EQ(firmware, "2.31");
}

TEST_F(IdentificationTest, AnAnswerCutShortIsTakenAsFarAsItArrived) {
    SilentFtpListener ftp;
    // All five values, then the connection closes long before the announced length.
    RawAnswerServer whole(PlainTextHead("Content-Length: 4000\r\n") + kCrLfParameters,
                          RawAnswerServer::Then::Close);
    ASSERT_TRUE(Identify(whole.Port(), ftp.Port()));
    EXPECT_EQ(model, "Birch");
    EXPECT_EQ(CameraTypes().GetValue("/CameraType/Birch/Firmware/1/Resolution").GetText(),
              "default,320x240,640x480");
    // Three of the five values, then the close.
    RawAnswerServer part(PlainTextHead("Content-Length: 4000\r\n") +
                             kCrLfParameters.substr(kCrLfParameters.find("root.Brand")),
                         RawAnswerServer::Then::Close);
    model.clear();
    ASSERT_TRUE(Identify(part.Port(), ftp.Port()));
    EXPECT_EQ(model, "Birch");
    EXPECT_EQ(firmware, "2.34");
    EXPECT_EQ(ftp.Connections(), 0);
    EXPECT_NE(
        Console().find(":W:LookupThread::QueryParameters - InternetReadFile ended with error 12030 after "),
        std::string::npos)
        << Console();
}

TEST_F(IdentificationTest, AnAnswerThatNeverEndsIsReadUntilAllFiveValuesAreIn) {
    RawAnswerServer camera(PlainTextHead("") + kCrLfParameters, RawAnswerServer::Then::KeepOpen);
    const uint32_t start = GetTickCount();
    ASSERT_TRUE(Identify(camera.Port(), UnusedLoopbackPort()));
    EXPECT_LT(GetTickCount() - start, kParameterIdleMs);
    EXPECT_EQ(model, "Birch");
}

TEST_F(IdentificationTest, AnAnswerThatNeverEndsIsTakenAfterAPause) {
    // Two of the five values, then nothing more on a connection that stays open.
    RawAnswerServer camera(PlainTextHead("") + kCrLfParameters.substr(kCrLfParameters.find("root.Brand")),
                           RawAnswerServer::Then::KeepOpen);
    const uint32_t start = GetTickCount();
    ASSERT_TRUE(Identify(camera.Port(), UnusedLoopbackPort()));
    EXPECT_GE(GetTickCount() - start, kParameterIdleMs);
    EXPECT_EQ(model, "Birch");
    EXPECT_EQ(firmware, "2.34");
}

TEST_F(IdentificationTest, AnAnswerWithoutAByteFallsBackToTheGreeting) {
    RawAnswerServer camera(PlainTextHead(""), RawAnswerServer::Then::KeepOpen);
    FtpServer ftp(FtpServer::Greeting(camsim::DefaultGreeting("Gum", "3.02")));
    ASSERT_TRUE(Identify(camera.Port(), ftp.Port()));
    EXPECT_EQ(model, "Gum");
    EXPECT_NE(Console().find(":E:LookupThread::QueryParameters - InternetReadFile failed"),
              std::string::npos);
}

TEST_F(IdentificationTest, AWebServerThatIsNoCameraFallsBackToTheGreeting) {
    FtpServer ftp(FtpServer::Greeting(camsim::DefaultGreeting("Gum", "3.02")));
    for (const char* page : {"", "<html><body>It works!</body></html>\n"}) {
        NginxServer nginx;
        nginx.AddFile("/vexo-cgi/view/param.cgi", page);
        ASSERT_TRUE(nginx.Start()) << nginx.Error();
        ASSERT_TRUE(Identify(nginx.Port(), ftp.Port()));
        EXPECT_EQ(model, "Gum");
    }
}

class IdentifyCameraTest : public IdentificationTest {
  protected:
    void TearDown() override {
        SetIdentifyTimesForTest(kIdentifyTimes);
        IdentificationTest::TearDown();
    }
};

TEST_F(IdentifyCameraTest, PollsUntilTheResultIsIn) {
    SetIdentifyTimesForTest({20, 10, kCamsimWaitMs});
    InProcessCamsim camera(Camera("Ivy", "2.12"));
    camsim::Faults slow;
    slow.delayMs = 200;
    camera.Server().QueueFaults(slow, "/vexo-cgi/view/param.cgi");
    lookup->SetFtpPort(UnusedLoopbackPort());
    ASSERT_TRUE(IdentifyCamera(*lookup, {kLoopback, camera.Port(), "", ""}, model, firmware));
    EXPECT_EQ(model, "Ivy");
}

TEST_F(IdentifyCameraTest, GivesUpAtTheTimeLimit) {
    SetIdentifyTimesForTest({20, 10, 150});
    InProcessCamsim camera(FtpOnlyCamera());
    SilentFtpListener ftp;
    lookup->SetFtpPort(ftp.Port());
    const uint32_t start = GetTickCount();
    EXPECT_FALSE(IdentifyCamera(*lookup, {kLoopback, camera.Port(), "", ""}, model, firmware));
    EXPECT_GE(GetTickCount() - start, 170u);
    EXPECT_LT(GetTickCount() - start, static_cast<uint32_t>(kCamsimWaitMs));
    EXPECT_EQ(model, "untouched");
    EXPECT_TRUE(WaitUntil([] { return LookupThread::ExistingCount() == 0; }));
}

} // namespace
