// camsim's parameter query, PTZ commands, access check, connections and stopping.

#include "tests/support/camsimfixture.h"
#include "tests/support/rawconnection.h"
#include "tests/tools/camsim/streamparts.h"
#include "tools/camsim/ftpgreeter.h"
#include "tools/camsim/testpattern.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

// The group list the identification probe asks for.
constexpr char kProbeQuery[] =
    "/vexo-cgi/view/"
    "param.cgi?action=list&group=root.Properties.Image.Resolution,root.ImageSource.NbrOfSources,"
    "root.Brand.ProdShortName,root.Properties.Firmware.Version,root.Properties.PTZ.PTZ";

RawAnswer Get(InProcessCamsim& camera, const std::string& target,
              const std::string& headers = std::string()) {
    RawConnection connection(camera.Port());
    connection.SendGet(target, headers);
    return SplitAnswer(connection.TakeAnswer());
}

camsim::CameraConfig PtzCamera() {
    camsim::CameraConfig config = FastCamera();
    config.model = "Elm";
    config.firmware = "2.12";
    config.resolutions = "176x144,352x288,704x576";
    config.sources = 4;
    config.ptz = true;
    return config;
}

// A camera that lets in user "root" with password "pass".
camsim::CameraConfig Guarded(camsim::AuthMode mode) {
    camsim::CameraConfig config;
    config.auth = mode;
    config.user = "root";
    config.password = "pass";
    return config;
}

TEST(CamsimServerTest, ParameterQueryAnswersTheFiveKeysInTheOrderAsked) {
    InProcessCamsim camera(PtzCamera());
    const RawAnswer answer = Get(camera, kProbeQuery);
    EXPECT_EQ(answer.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(answer.body, "root.Properties.Image.Resolution=176x144,352x288,704x576\n"
                           "root.ImageSource.NbrOfSources=4\n"
                           "root.Brand.ProdShortName=VEXO Elm\n"
                           "root.Properties.Firmware.Version=2.12\n"
                           "root.Properties.PTZ.PTZ=yes\n");
    EXPECT_EQ(Get(camera, "/vexo-cgi/view/param.cgi?action=list&group=root.Brand").body,
              "root.Brand.ProdShortName=VEXO Elm\n");
    EXPECT_EQ(Get(camera, "/vexo-cgi/view/param.cgi?action=list&group=root.Nothing").body, "");
    EXPECT_EQ(Get(camera, "/vexo-cgi/view/param.cgi?group=root.Brand").statusLine,
              "HTTP/1.1 400 Bad Request");
}

TEST(CamsimServerTest, CameraWithoutParameterQueryAnswers404) {
    camsim::CameraConfig config;
    config.parameterQuery = false;
    InProcessCamsim camera(config);
    EXPECT_EQ(Get(camera, kProbeQuery).statusLine, "HTTP/1.1 404 Not Found");
}

TEST(CamsimServerTest, PtzCommandsAreRecordedAsReceivedAndMoveTheCamera) {
    InProcessCamsim camera(PtzCamera());
    const std::vector<std::string> commands = {
        "/vexo-cgi/com/ptz.cgi?camera=2&rzoom=2500",
        "/vexo-cgi/com/ptz.cgi?camera=2&rzoom=-1000",
        "/vexo-cgi/com/ptz.cgi?autofocus=on&autoiris=on",
        "/vexo-cgi/com/ptz.cgi?imagewidth=640&imageheight=480&center=480,360",
        "/vexo-cgi/com/ptz.cgi?camera=3&zoom=2147483647&rzoom=1",
    };
    for (const std::string& command : commands)
        EXPECT_EQ(Get(camera, command).statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(Get(camera, "/vexo-cgi/com/ptz.cgi?camera=5&rzoom=1").statusLine, "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(Get(camera, "/vexo-cgi/com/ptz.cgi?center=1").statusLine, "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(camera.Server().PtzCommands(), commands);

    EXPECT_EQ(camera.Server().Position(2).zoom, 1501);
    EXPECT_EQ(camera.Server().Position(3).zoom, camsim::PtzControl::kMaxZoom);
    EXPECT_EQ(camera.Server().Position(1).zoom, 1);
    // The tapped point (three quarters across and down) becomes the middle.
    const camsim::PtzPosition moved = camera.Server().Position(1);
    EXPECT_DOUBLE_EQ(moved.crossX, 0.25);
    EXPECT_DOUBLE_EQ(moved.crossY, 0.25);
}

TEST(CamsimServerTest, CentreCommandMovesTheFieldsInThePictures) {
    InProcessCamsim camera(PtzCamera());
    Get(camera, "/vexo-cgi/com/ptz.cgi?imagewidth=640&imageheight=480&center=480,360");
    camsim::Faults one;
    one.closeAfter = 1;
    camera.Server().QueueFaults(one);
    RawConnection connection(camera.Port());
    connection.SendGet("/vexo-cgi/mjpg/video.cgi?resolution=640x480");
    const std::vector<std::string> parts = SplitAtBoundaries(SplitAnswer(connection.ReadUntilClosed()).body);
    ASSERT_FALSE(parts.empty());
    const DecodedPicture picture = DecodeJpeg(PictureOf(parts[0]));
    ASSERT_TRUE(picture.ok) << picture.error;

    const camsim::PtzPosition position = camera.Server().Position(1);
    camsim::Scene scene;
    scene.crossX = position.crossX;
    scene.crossY = position.crossY;
    const camsim::TestPattern pattern(640, 480, scene);
    EXPECT_EQ(pattern.CrossX(), 160);
    EXPECT_EQ(pattern.CrossY(), 120);
    // Where the middle of the picture was red before, it is now white.
    const std::vector<int> middle = picture.At(400, 300);
    EXPECT_GT(middle[0], 240);
    EXPECT_GT(middle[1], 240);
    EXPECT_GT(middle[2], 240);
}

TEST(CamsimServerTest, CameraWithoutPtzAnswers404ToCommands) {
    InProcessCamsim camera;
    EXPECT_EQ(Get(camera, "/vexo-cgi/com/ptz.cgi?rzoom=2500").statusLine, "HTTP/1.1 404 Not Found");
    EXPECT_TRUE(camera.Server().PtzCommands().empty());
}

TEST(CamsimServerTest, BasicAccessCheckWantsTheRightCredentials) {
    InProcessCamsim camera(Guarded(camsim::AuthMode::Basic));
    const RawAnswer refused = Get(camera, "/vexo-cgi/view/param.cgi?action=list");
    EXPECT_EQ(refused.statusLine, "HTTP/1.1 401 Unauthorized");
    EXPECT_NE(refused.head.find("WWW-Authenticate: Basic realm=\"VEXO Alder\"\r\n"), std::string::npos);
    EXPECT_EQ(Get(camera, "/", "Authorization: Basic cm9vdDpwYXNz\r\n").statusLine, "HTTP/1.1 404 Not Found")
        << "root:pass is let in";
    EXPECT_EQ(Get(camera, "/", "Authorization: Basic cm9vdDpwYXN6\r\n").statusLine,
              "HTTP/1.1 401 Unauthorized");
}

TEST(CamsimServerTest, DigestChallengeCarriesAFreshNonce) {
    InProcessCamsim camera(Guarded(camsim::AuthMode::Digest));
    const RawAnswer first = Get(camera, "/vexo-cgi/mjpg/video.cgi");
    const RawAnswer second = Get(camera, "/vexo-cgi/mjpg/video.cgi");
    EXPECT_EQ(first.statusLine, "HTTP/1.1 401 Unauthorized");
    EXPECT_NE(first.head.find("WWW-Authenticate: Digest realm=\"VEXO Alder\", nonce=\""), std::string::npos);
    EXPECT_NE(first.head.find("qop=\"auth\""), std::string::npos);
    EXPECT_NE(first.head, second.head);
    // A made-up answer to the challenge is refused.
    EXPECT_EQ(Get(camera, "/",
                  "Authorization: Digest username=\"root\", realm=\"VEXO Alder\", nonce=\"1\", "
                  "uri=\"/\", response=\"0\"\r\n")
                  .statusLine,
              "HTTP/1.1 401 Unauthorized");
}

TEST(CamsimServerTest, RecordsEachRequestAndKeepsTheConnectionForTheNext) {
    InProcessCamsim camera;
    RawConnection connection(camera.Port());
    connection.SendGet("/vexo-cgi/view/param.cgi?action=list&group=root.Brand", "User-Agent: probe\r\n");
    EXPECT_EQ(SplitAnswer(connection.TakeAnswer()).statusLine, "HTTP/1.1 200 OK");
    connection.SendGet("/missing?a=1&b=%20");
    EXPECT_EQ(SplitAnswer(connection.TakeAnswer()).statusLine, "HTTP/1.1 404 Not Found");
    EXPECT_FALSE(connection.PeerClosed());

    const auto records = camera.Server().Requests().All();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].target, "/vexo-cgi/view/param.cgi?action=list&group=root.Brand");
    EXPECT_EQ(records[0].Header("user-agent"), "probe");
    EXPECT_EQ(records[1].target, "/missing?a=1&b=%20");
    EXPECT_EQ(records[0].connection, records[1].connection);
    EXPECT_EQ(records[0].body, "root.Brand.ProdShortName=VEXO Alder\n");
}

TEST(CamsimServerTest, Http10AndGarbageEndTheConnection) {
    InProcessCamsim camera;
    RawConnection old(camera.Port());
    old.Send("GET /vexo-cgi/view/param.cgi?action=list HTTP/1.0\r\n\r\n");
    EXPECT_EQ(SplitAnswer(old.ReadUntilClosed()).statusLine, "HTTP/1.1 200 OK");
    EXPECT_TRUE(old.PeerClosed());

    RawConnection garbage(camera.Port());
    garbage.Send("HELLO\r\n\r\n");
    EXPECT_EQ(SplitAnswer(garbage.ReadUntilClosed()).statusLine, "HTTP/1.1 400 Bad Request");
    EXPECT_TRUE(garbage.PeerClosed());

    RawConnection endless(camera.Port());
    endless.Send("GET /" + std::string(20000, 'a'));
    EXPECT_EQ(SplitAnswer(endless.ReadUntilClosed()).statusLine, "HTTP/1.1 400 Bad Request");
}

TEST(CamsimServerTest, StopEndsEveryClientWithinASecond) {
    InProcessCamsim camera;
    camsim::Faults stall;
    stall.stallAfter = 1;
    camera.Server().QueueFaults(stall);
    camsim::Faults slow;
    slow.delayMs = 60000;
    camera.Server().QueueFaults(slow);
    RawConnection stalled(camera.Port());
    stalled.SendGet("/vexo-cgi/mjpg/video.cgi");
    RawConnection waiting(camera.Port());
    waiting.SendGet("/vexo-cgi/mjpg/video.cgi");
    RawConnection streaming(camera.Port());
    streaming.SendGet("/vexo-cgi/mjpg/video.cgi");
    RawConnection idle(camera.Port());
    ASSERT_TRUE(
        camera.Server().Requests().WaitFor([](const auto& all) { return all.size() == 3; }, kCamsimWaitMs));

    const auto start = Clock::now();
    camera.Server().Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    for (RawConnection* connection : {&stalled, &waiting, &streaming, &idle}) {
        connection->ReadUntilClosed(1000);
        EXPECT_TRUE(connection->PeerClosed());
    }
    EXPECT_FALSE(RawConnection(camera.Port()).IsConnected()) << "no longer listening";
}

TEST(CamsimFtpTest, GreetsWaitsForQuitAndSaysGoodbye) {
    camsim::FtpGreeting greeting;
    greeting.line = camsim::DefaultGreeting("Alder", "2.31");
    camsim::FtpGreeter greeter(greeting);
    std::string error;
    ASSERT_TRUE(greeter.Start(0, error)) << error;
    RawConnection client(greeter.Port());
    EXPECT_EQ(client.ReadUntil("\r\n"), "220 VEXO Alder Network Camera 2.31 (Jan 12 2004) ready.\r\n");
    client.Clear();
    client.Send("USER x\r\n");
    EXPECT_EQ(client.ReadUntil("\r\n"), "530 Please login with USER and PASS.\r\n");
    client.Clear();
    client.Send("QUIT\r\n");
    EXPECT_EQ(client.ReadUntilClosed(), "221 Goodbye.\r\n");
    EXPECT_TRUE(client.PeerClosed());
}

TEST(CamsimFtpTest, MultiLineGreetingComesAsOneAnswer) {
    camsim::FtpGreeting greeting;
    greeting.line = "220 VEXO Hazel Video Server V3.02 (Mar 01 2005) ready.";
    greeting.multiLine = true;
    camsim::FtpGreeter greeter(greeting);
    std::string error;
    ASSERT_TRUE(greeter.Start(0, error)) << error;
    RawConnection client(greeter.Port());
    EXPECT_EQ(client.ReadUntil("ready.\r\n"), "220-Welcome to the camera's FTP server.\r\n220 VEXO Hazel "
                                              "Video Server V3.02 (Mar 01 2005) ready.\r\n");
}

TEST(CamsimFtpTest, SplitGreetingSendsTheRestWhenTheClientSpeaksOrLater) {
    camsim::FtpGreeting greeting;
    greeting.line = "220 VEXO Alder Network Camera 2.10 (Jan 12 2004) ready.";
    greeting.split = true;
    greeting.splitDelayMs = 60000;
    const std::string whole = greeting.line + "\r\n";
    camsim::FtpGreeter waitsForClient(greeting);
    greeting.splitDelayMs = 100;
    camsim::FtpGreeter waitsBriefly(greeting);
    std::string error;
    ASSERT_TRUE(waitsForClient.Start(0, error) && waitsBriefly.Start(0, error)) << error;

    RawConnection client(waitsForClient.Port());
    EXPECT_EQ(client.ReadAtLeast(whole.size() / 2), whole.substr(0, whole.size() / 2));
    EXPECT_TRUE(client.StaysSilent(100));
    client.Send("QUIT\r\n");
    EXPECT_EQ(client.ReadUntilClosed(), whole + "221 Goodbye.\r\n");

    RawConnection patient(waitsBriefly.Port());
    EXPECT_EQ(patient.ReadUntil("\r\n"), whole);
}

TEST(CamsimFtpTest, SilentListenerAcceptsAndNeverSendsUntilStopped) {
    camsim::FtpGreeting greeting;
    greeting.silent = true;
    camsim::FtpGreeter greeter(greeting);
    std::string error;
    ASSERT_TRUE(greeter.Start(0, error)) << error;
    RawConnection client(greeter.Port());
    ASSERT_TRUE(client.IsConnected());
    client.Send("QUIT\r\n");
    EXPECT_TRUE(client.StaysSilent(200));
    const auto start = Clock::now();
    greeter.Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(client.ReadUntilClosed(1000), "");
    EXPECT_TRUE(client.PeerClosed());
}

// A camera of the command line, whose log nobody reads, keeps only its newest requests.
TEST(RequestLogTest, ALogThatKeepsNoBodyKeepsOnlyItsNewestRequests) {
    constexpr size_t kKept = camsim::RequestLog::kUnreadRecords;
    camsim::RequestLog log(0);
    camsim::RequestHead head;
    size_t last = 0;
    for (size_t i = 0; i < 3 * kKept; ++i)
        last = log.Add(1, head);
    log.SetStatus(0, 200); // let go: nothing to change
    log.SetStatus(last, 200);
    EXPECT_EQ(last, 3 * kKept - 1);
    EXPECT_LT(log.All().size(), 2 * kKept);
    EXPECT_EQ(log.All().back().status, 200);
}

} // namespace
