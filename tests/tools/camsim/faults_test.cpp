// Each fault camsim can inject does what it says, and only for the requests it is meant for.

#include "tests/support/camsimfixture.h"
#include "tests/support/rawconnection.h"
#include "tests/tools/camsim/streamparts.h"
#include "tools/camsim/testpattern.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

using camsim::Faults;
using Clock = std::chrono::steady_clock;
using namespace std::string_literals;

constexpr char kStream[] = "/vexo-cgi/mjpg/video.cgi";

class CamsimFaultTest : public ::testing::Test {
  protected:
    // The whole answer to a stream request with these faults, ended after `pictures` pictures
    // unless the faults end it otherwise.
    std::string Answer(Faults faults, int pictures = 2, const std::string& target = kStream) {
        if (faults.closeMidPicture < 0 && faults.stallAfter < 0)
            faults.closeAfter = pictures;
        camera.Server().QueueFaults(faults);
        RawConnection connection(camera.Port());
        connection.SendGet(target);
        return connection.ReadUntilClosed();
    }
    std::vector<std::string> Parts(const Faults& faults, int pictures = 2) {
        return SplitAtBoundaries(SplitAnswer(Answer(faults, pictures)).body);
    }
    std::string FirstPicture(const Faults& faults) {
        const std::vector<std::string> parts = Parts(faults, 1);
        return parts.empty() ? std::string() : PictureOf(parts[0]);
    }

    InProcessCamsim camera{FastCamera()};
};

TEST_F(CamsimFaultTest, CloseMidPictureSendsHalfThePictureThenCloses) {
    Faults faults;
    faults.closeMidPicture = 1;
    const std::vector<std::string> parts = Parts(faults);
    ASSERT_EQ(parts.size(), 2u);
    const std::string& cut = parts[1];
    const size_t headEnd = cut.find("\r\n\r\n") + 4;
    const size_t announced = std::stoul(cut.substr(cut.find("Content-Length: ") + 16));
    EXPECT_EQ(cut.size() - headEnd, announced / 2);
}

TEST_F(CamsimFaultTest, StallKeepsTheConnectionOpenAndSilentUntilTheServerStops) {
    Faults faults;
    faults.stallAfter = 2;
    camera.Server().QueueFaults(faults);
    RawConnection connection(camera.Port());
    connection.SendGet(kStream);
    // Two pictures and the boundary of the third arrive, then nothing.
    ASSERT_TRUE(camera.Server().Requests().WaitFor(
        [](const auto& all) { return !all.empty() && SplitAtBoundaries(all[0].body).size() == 3; },
        kCamsimWaitMs));
    const uint64_t sent = camera.Server().Requests().All()[0].bodyBytes;
    const size_t headEnd = connection.ReadUntil("\r\n\r\n").find("\r\n\r\n") + 4;
    connection.ReadAtLeast(headEnd + sent);
    EXPECT_FALSE(connection.PeerClosed());
    EXPECT_EQ(SplitAnswer(connection.Received()).body.size(), sent);
    EXPECT_TRUE(connection.StaysSilent(200));

    const auto start = Clock::now();
    camera.Server().Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    connection.ReadUntilClosed(1000);
    EXPECT_TRUE(connection.PeerClosed());
}

TEST_F(CamsimFaultTest, StatusFaultAnswersThatStatusAndKeepsTheConnection) {
    RawConnection connection(camera.Port());
    for (const int status : {404, 500, 503}) {
        Faults faults;
        faults.status = status;
        camera.Server().QueueFaults(faults);
        connection.SendGet(kStream);
        const std::string answer = connection.TakeAnswer();
        EXPECT_EQ(answer.rfind("HTTP/1.1 " + std::to_string(status) + " ", 0), 0u) << answer;
    }
    EXPECT_FALSE(connection.PeerClosed());
    EXPECT_EQ(camera.Server().Requests().All().back().status, 503);
}

TEST_F(CamsimFaultTest, DelayHoldsBackTheStatusLine) {
    Faults faults;
    faults.delayMs = 300;
    camera.Server().QueueFaults(faults);
    RawConnection connection(camera.Port());
    const auto start = Clock::now();
    connection.SendGet("/vexo-cgi/view/param.cgi?action=list");
    connection.ReadAtLeast(1);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(connection.Received().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
}

TEST_F(CamsimFaultTest, CloseBeforeHeadSendsNothing) {
    Faults faults;
    faults.closeBeforeHead = true;
    EXPECT_EQ(Answer(faults), "");
    ASSERT_TRUE(camera.Server().Requests().WaitFinished(0, kCamsimWaitMs));
    EXPECT_EQ(camera.Server().Requests().All()[0].status, 0);
}

TEST_F(CamsimFaultTest, JunkComesBeforeTheFirstBoundary) {
    Faults faults;
    faults.junkBytes = 150;
    const std::string body = SplitAnswer(Answer(faults)).body;
    EXPECT_EQ(body.find("--myboundary"), 150u);
    EXPECT_EQ(body.substr(0, 150).find('\xFF'), std::string::npos);
}

TEST_F(CamsimFaultTest, HeaderLengthSetsTheBytesFromBoundaryToPicture) {
    for (const int length : {199, 200, 1000}) {
        Faults faults;
        faults.headerLength = length;
        const std::vector<std::string> parts = Parts(faults);
        ASSERT_EQ(parts.size(), 3u);
        EXPECT_EQ(parts[0].find('\xFF'), static_cast<size_t>(length));
        EXPECT_EQ(parts[1].find('\xFF'), static_cast<size_t>(length));
        EXPECT_EQ(PictureOf(parts[0]).substr(0, 2), "\xFF\xD8");
    }
    Faults tooShort;
    tooShort.headerLength = 10;
    const std::string natural = "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: ";
    EXPECT_EQ(Parts(tooShort)[0].substr(0, natural.size()), natural)
        << "never shorter than the natural headers";
}

TEST_F(CamsimFaultTest, PictureSizePadsOrCutsEveryPicture) {
    for (const int size : {500000, 1000}) {
        Faults faults;
        faults.pictureSize = size;
        const std::vector<std::string> parts = Parts(faults);
        ASSERT_EQ(parts.size(), 3u);
        const std::string picture = PictureOf(parts[1]);
        EXPECT_EQ(picture.size(), static_cast<size_t>(size));
        EXPECT_EQ(parts[1].substr(parts[1].size() - 4), "\r\n\r\n");
        EXPECT_EQ(picture.substr(0, 2), "\xFF\xD8");
    }
    Faults large;
    large.pictureSize = 500000;
    EXPECT_TRUE(DecodeJpeg(FirstPicture(large)).ok) << "the padding follows the end marker";
}

TEST_F(CamsimFaultTest, TruncatedAndCorruptPicturesAreDamagedAsSaid) {
    const std::string whole = FirstPicture(Faults());
    Faults truncated;
    truncated.truncated = true;
    EXPECT_EQ(FirstPicture(truncated), whole.substr(0, whole.size() / 2));

    Faults corrupt;
    corrupt.corrupt = true;
    const std::string damaged = FirstPicture(corrupt);
    EXPECT_EQ(damaged.size(), whole.size());
    EXPECT_EQ(damaged.substr(0, 2), "\xFF\xD8");
    const DecodedPicture decoded = DecodeJpeg(damaged);
    EXPECT_FALSE(decoded.ok);
    EXPECT_NE(decoded.error.find("precision"), std::string::npos) << decoded.error;
}

TEST_F(CamsimFaultTest, ContentLengthCanLie) {
    Faults faults;
    faults.contentLength = 1234;
    const std::vector<std::string> parts = Parts(faults);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_NE(parts[0].find("Content-Length: 1234\r\n"), std::string::npos);
    const size_t pictureBytes = parts[0].size() - parts[0].find("\r\n\r\n") - 4 - 4;
    EXPECT_NE(pictureBytes, 1234u);
    EXPECT_EQ(parts[0].substr(parts[0].size() - 6), "\xFF\xD9\r\n\r\n");
}

TEST_F(CamsimFaultTest, GreyAndOddWidthPicturesDecodeAsSaid) {
    Faults faults;
    faults.grey = true;
    faults.width = 321;
    const DecodedPicture picture = DecodeJpeg(FirstPicture(faults));
    ASSERT_TRUE(picture.ok) << picture.error;
    EXPECT_EQ(picture.components, 1);
    EXPECT_EQ(picture.width, 321);
    EXPECT_EQ(picture.height, 480);
    const camsim::TestPattern pattern(321, 480, camsim::Scene());
    for (const auto field : {camsim::TestPattern::Field::TopLeft, camsim::TestPattern::Field::BottomRight}) {
        const camsim::Point at = pattern.SamplePoint(field);
        EXPECT_NEAR(picture.At(at.x, at.y)[0],
                    camsim::TestPattern::Grey(camsim::TestPattern::FieldColour(field)), 8);
    }
}

TEST_F(CamsimFaultTest, QueuedFaultsGoToTheNextMatchingRequestOnly) {
    Faults unavailable;
    unavailable.status = 503;
    camera.Server().QueueFaults(unavailable, kStream);
    RawConnection connection(camera.Port());
    connection.SendGet("/vexo-cgi/view/param.cgi?action=list");
    EXPECT_EQ(SplitAnswer(connection.TakeAnswer()).statusLine, "HTTP/1.1 200 OK") << "another path";
    RawConnection stream(camera.Port());
    stream.SendGet(kStream);
    EXPECT_EQ(SplitAnswer(stream.ReadUntil("\r\n\r\n")).statusLine, "HTTP/1.1 503 Service Unavailable");
    RawConnection after(camera.Port());
    after.SendGet(kStream);
    EXPECT_EQ(SplitAnswer(after.ReadUntil("\r\n\r\n")).statusLine, "HTTP/1.1 200 OK");
}

TEST_F(CamsimFaultTest, SilentAfterHeadSendsTheHeadAndThatManyBodyBytes) {
    Faults faults;
    faults.silentAfterHead = 150;
    camera.Server().QueueFaults(faults);
    RawConnection connection(camera.Port());
    connection.SendGet(kStream);
    connection.ReadAtLeast(connection.ReadUntil("\r\n\r\n").find("\r\n\r\n") + 4 + 150);
    EXPECT_TRUE(connection.StaysSilent(200));
    EXPECT_EQ(SplitAnswer(connection.Received()).body, SplitAnswer(Answer(Faults())).body.substr(0, 150));
}

// The bytes of another server's habit, within what the part's Content-Length declares.
TEST_F(CamsimFaultTest, OtherServersHabitsAreSentAsTheyDeclare) {
    using Kind = Faults::CountedTrailer;
    const struct {
        void (*set)(Faults&);
        std::string declared; // bytes the first part holds up to the end its Content-Length declares
    } cases[] = {
        {[](Faults& f) { f.headerByte = true; }, "X-Name: Caf\xFF\r\n\r\n\xFF\xD8"},
        {[](Faults& f) { f.boundaryInPicture = true; }, "\xFF\xD8\xFF\xFE\x00\x12\r\n--myboundary\r\n"s},
        {[](Faults& f) { f.lengthCountsTrailer = Kind::LineEnd; }, "\xFF\xD9\r\n"},
        {[](Faults& f) { f.lengthCountsTrailer = Kind::Zeros; }, "\xFF\xD9\0\0"s},
        {[](Faults& f) { f.lengthCountsTrailer = Kind::Ff; }, "\xFF\xD9\xFF\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declared);
        Faults faults;
        c.set(faults);
        const std::string body = SplitAnswer(Answer(faults, 3)).body;
        const size_t length = std::stoul(body.substr(body.find("Content-Length: ") + 16));
        EXPECT_NE(body.substr(0, body.find("\r\n\r\n") + 4 + length).find(c.declared), std::string::npos);
    }
}

TEST(CamsimServerFaultTest, ACameraOfOneClientTurnsAwayTheNextStreamOnly) {
    camsim::CameraConfig config;
    config.maxStreamClients = 1;
    InProcessCamsim camera(config);
    auto first = std::make_unique<RawConnection>(camera.Port());
    first->SendGet(kStream);
    EXPECT_EQ(SplitAnswer(first->ReadUntil("\r\n\r\n")).statusLine, "HTTP/1.1 200 OK");
    RawConnection second(camera.Port());
    second.SendGet("/vexo-cgi/view/param.cgi?action=list");
    EXPECT_EQ(SplitAnswer(second.TakeAnswer()).statusLine, "HTTP/1.1 200 OK") << "not a stream";
    second.SendGet(kStream);
    const RawAnswer refused = SplitAnswer(second.ReadUntilClosed());
    EXPECT_EQ(refused.statusLine + " " + refused.body,
              "HTTP/1.1 503 Service Unavailable 503 Service Unavailable\r\n");
    EXPECT_TRUE(second.PeerClosed());
    first.reset();
    ASSERT_TRUE(camera.Server().Requests().WaitFinished(0, kCamsimWaitMs));
    RawConnection third(camera.Port());
    third.SendGet(kStream);
    EXPECT_EQ(SplitAnswer(third.ReadUntil("\r\n\r\n")).statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(camera.Server().Requests().CountStreams(camsim::StreamAnswer::Served), 2u);
    EXPECT_EQ(camera.Server().Requests().CountStreams(camsim::StreamAnswer::Refused), 1u);
}

TEST(CamsimServerFaultTest, AFrozenCameraRepeatsItsLastPictureUntilUnfrozen) {
    camsim::CameraConfig config;
    config.fps = 100;
    config.faults.repeatAfter = 2;
    InProcessCamsim camera(config);
    RawConnection connection(camera.Port());
    connection.SendGet(kStream);
    const auto whole = [](const camsim::RequestLog::Records& all) { // the parts sent whole so far
        std::vector<std::string> parts = SplitAtBoundaries(all.empty() ? std::string() : all[0].body);
        parts.resize(parts.empty() ? 0 : parts.size() - 1);
        return parts;
    };
    const camsim::RequestLog& log = camera.Server().Requests();
    ASSERT_TRUE(log.WaitFor([&](const auto& all) { return whole(all).size() >= 5; }, kCamsimWaitMs));
    const std::vector<std::string> frozen = whole(log.All());
    EXPECT_NE(frozen[0], frozen[1]);
    for (size_t i = 2; i < frozen.size(); ++i)
        EXPECT_EQ(frozen[i], frozen[1]) << i;
    camera.Server().Unfreeze();
    EXPECT_TRUE(log.WaitFor([&](const auto& all) { return whole(all).back() != frozen[1]; }, kCamsimWaitMs));
}

TEST(CamsimServerFaultTest, ServerWideFaultsApplyToEveryRequest) {
    camsim::CameraConfig config = FastCamera();
    config.faults.status = 500;
    InProcessCamsim camera(config);
    for (int i = 0; i < 2; ++i) {
        RawConnection connection(camera.Port());
        connection.SendGet(kStream);
        EXPECT_EQ(SplitAnswer(connection.ReadUntil("\r\n\r\n")).statusLine,
                  "HTTP/1.1 500 Internal Server Error");
    }
}

} // namespace
