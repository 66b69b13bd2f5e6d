// The HTTP calls against a simulated camera on loopback.

#include "platform/http/wininet.h"
#include "platform/kernel/lasterror.h"
#include "tests/platform/httpclient.h"
#include "tests/support/camsimfixture.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using camsim::Faults;
using camsim::RequestRecord;
using Clock = std::chrono::steady_clock;

constexpr char kParameters[] = "/vexo-cgi/view/param.cgi?action=list&group=root.Brand";
constexpr char kStream[] = "/vexo-cgi/mjpg/video.cgi";

Faults Ending(int pictures) {
    Faults faults;
    faults.closeAfter = pictures;
    return faults;
}

// Sends a stream request that gets these faults and reads its body in pieces of that size.
bool ReadStream(InProcessCamsim& camera, const Faults& faults, uint32_t pieceSize, std::string& body) {
    camera.Server().QueueFaults(faults);
    OpenedRequest opened(camera.Port(), kStream);
    return opened.Send() && ReadBody(
                                opened.request.Get(), [pieceSize](int) { return pieceSize; }, body);
}

RequestRecord FinishedRecord(InProcessCamsim& camera, size_t index) {
    EXPECT_TRUE(camera.Server().Requests().WaitFinished(index, kCamsimWaitMs));
    const auto all = camera.Server().Requests().All();
    return index < all.size() ? all[index] : RequestRecord();
}

TEST(HttpRequestTest, StatusComesFromTheCamerasAnswer) {
    InProcessCamsim camera;
    for (const int status : {404, 500, 503}) {
        Faults faults;
        faults.status = status;
        camera.Server().QueueFaults(faults);
        OpenedRequest opened(camera.Port(), kParameters);
        ASSERT_TRUE(opened.Send());
        EXPECT_EQ(opened.Status(), static_cast<uint32_t>(status));
    }
    OpenedRequest found(camera.Port(), kParameters);
    ASSERT_TRUE(found.Send());
    EXPECT_EQ(found.Status(), 200u);
    OpenedRequest missing(camera.Port(), "/no/such/page");
    ASSERT_TRUE(missing.Send());
    EXPECT_EQ(missing.Status(), 404u);
}

class HttpCredentialsTest : public ::testing::TestWithParam<camsim::AuthMode> {
  protected:
    static camsim::CameraConfig Guarded(camsim::AuthMode mode) {
        camsim::CameraConfig config;
        config.auth = mode;
        config.user = "operator";
        config.password = "s3cret";
        return config;
    }
    InProcessCamsim camera{Guarded(GetParam())};
};

TEST_P(HttpCredentialsTest, RightCredentialsAnswerTheChallenge) {
    OpenedRequest opened(camera.Port(), kParameters, u"operator", u"s3cret");
    ASSERT_TRUE(opened.Send());
    EXPECT_EQ(opened.Status(), 200u);
    std::string body;
    ASSERT_TRUE(ReadBody(
        opened.request.Get(), [](int) { return 4096u; }, body));
    EXPECT_EQ(body, "root.Brand.ProdShortName=VEXO Alder\n");
    const auto records = camera.Server().Requests().All();
    ASSERT_EQ(records.size(), 2u) << "one challenge, one answer";
    EXPECT_EQ(records[0].status, 401);
    EXPECT_EQ(records[1].status, 200);
    const std::string scheme = GetParam() == camsim::AuthMode::Basic ? "Basic " : "Digest ";
    EXPECT_EQ(records[1].Header("Authorization").rfind(scheme, 0), 0u) << records[1].Header("Authorization");
}

TEST_P(HttpCredentialsTest, WrongOrMissingCredentialsGive401) {
    for (const char16_t* password : {u"wrong", u""}) {
        OpenedRequest opened(camera.Port(), kParameters, password[0] == 0 ? nullptr : u"operator", password);
        ASSERT_TRUE(opened.Send());
        EXPECT_EQ(opened.Status(), 401u);
    }
}

// A redirection to the same host and port keeps the credentials; one to another port (another
// server of the same machine) does not get them.
TEST_P(HttpCredentialsTest, CredentialsFollowARedirectionOnlyToTheSameHostAndPort) {
    InProcessCamsim other(Guarded(GetParam()));
    Faults moved;
    moved.status = 302;
    moved.location = kParameters;
    camera.Server().QueueFaults(moved, "/moved");
    OpenedRequest here(camera.Port(), "/moved", u"operator", u"s3cret");
    ASSERT_TRUE(here.Send());
    EXPECT_EQ(here.Status(), 200u);

    moved.location = "http://127.0.0.1:" + std::to_string(other.Port()) + kParameters;
    camera.Server().QueueFaults(moved, "/moved");
    OpenedRequest away(camera.Port(), "/moved", u"operator", u"s3cret");
    ASSERT_TRUE(away.Send());
    EXPECT_EQ(away.Status(), 401u);
    ASSERT_FALSE(other.Server().Requests().All().empty());
    for (const RequestRecord& record : other.Server().Requests().All()) {
        EXPECT_EQ(record.Header("Authorization"), "");
    }
}

INSTANTIATE_TEST_SUITE_P(BasicAndDigest, HttpCredentialsTest,
                         ::testing::Values(camsim::AuthMode::Basic, camsim::AuthMode::Digest));

// Redirections of every kind are followed, five in a row; a sixth is the answer.
TEST(HttpRequestTest, UpToFiveRedirectionsAreFollowed) {
    InProcessCamsim camera;
    const int kinds[] = {301, 302, 303, 307, 308, 302};
    auto queueChain = [&](int length) {
        for (int hop = 0; hop < length; ++hop) {
            Faults redirection;
            redirection.status = kinds[hop];
            redirection.location = hop + 1 < length ? "/hop" + std::to_string(hop + 1) + "/" : kParameters;
            camera.Server().QueueFaults(redirection, "/hop" + std::to_string(hop) + "/");
        }
    };
    queueChain(5);
    OpenedRequest five(camera.Port(), "/hop0/");
    ASSERT_TRUE(five.Send());
    EXPECT_EQ(five.Status(), 200u);
    std::string body;
    ASSERT_TRUE(ReadBody(
        five.request.Get(), [](int) { return 4096u; }, body));
    EXPECT_EQ(body, "root.Brand.ProdShortName=VEXO Alder\n");

    queueChain(6);
    OpenedRequest six(camera.Port(), "/hop0/");
    ASSERT_TRUE(six.Send());
    EXPECT_EQ(six.Status(), 302u);
    const auto records = camera.Server().Requests().All();
    EXPECT_EQ(records.back().target, "/hop5/"); // the sixth was asked for, its target never
}

// The answer's Content-Type as HttpQueryInfoW gives it, or the error.
std::u16string ContentType(HINTERNET request, uint32_t bufferBytes, uint32_t& bytes) {
    std::u16string text(bufferBytes / 2, u'?');
    bytes = bufferBytes;
    SetLastError(0);
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_TYPE, text.data(), &bytes, nullptr))
        return u"error";
    return text.substr(0, bytes / 2);
}

TEST(HttpRequestTest, ContentTypeIsTheAnswersOrAMissingHeader) {
    InProcessCamsim camera;
    Faults undeclared = Ending(1);
    undeclared.boundaryInType = false;
    camera.Server().QueueFaults(Ending(1));
    camera.Server().QueueFaults(undeclared);
    const std::u16string declared = u"multipart/x-mixed-replace; boundary=myboundary";
    uint32_t bytes = 0;
    OpenedRequest stream(camera.Port(), kStream);
    EXPECT_EQ(ContentType(stream.request.Get(), 200, bytes), u"error") << "nothing sent yet";
    EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
    ASSERT_TRUE(stream.Send());
    EXPECT_EQ(ContentType(stream.request.Get(), 200, bytes), declared);
    EXPECT_EQ(bytes, declared.size() * 2);
    EXPECT_EQ(ContentType(stream.request.Get(), declared.size() * 2, bytes), u"error")
        << "no room for the zero";
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(bytes, declared.size() * 2 + 2);

    OpenedRequest other(camera.Port(), kStream);
    ASSERT_TRUE(other.Send());
    EXPECT_EQ(ContentType(other.request.Get(), 200, bytes), u"application/octet-stream");
}

TEST(HttpRequestTest, NoListenerMeansCannotConnectAtOnce) {
    OpenedRequest opened(UnusedLoopbackPort(), kStream);
    SetLastError(0);
    const auto start = Clock::now();
    EXPECT_FALSE(opened.Send());
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(opened.Status(), 0u);
    uint32_t read = 0;
    char byte;
    EXPECT_FALSE(InternetReadFile(opened.request.Get(), &byte, 1, &read));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
}

TEST(HttpRequestTest, SendingAgainAfterCannotConnectReachesACameraThatCameUp) {
    uint16_t port = 0;
    {
        InProcessCamsim first;
        port = first.Port();
    }
    OpenedRequest opened(port, kParameters);
    ASSERT_FALSE(opened.Send());
    ASSERT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
    camsim::CameraServer camera{camsim::CameraConfig()};
    std::string error;
    ASSERT_TRUE(camera.Start(port, error)) << error;
    ASSERT_TRUE(opened.Send());
    EXPECT_EQ(opened.Status(), 200u);
}

TEST(HttpRequestTest, BodyReadInPiecesOfAnySizeIsWhatTheCameraSent) {
    InProcessCamsim camera(FastCamera());
    const std::function<uint32_t(int)> pieceSizes[] = {
        [](int) { return 1u; },
        [](int i) { return static_cast<uint32_t>(1 + (i * 7919) % 70000); },
        [](int) { return 1u << 20; },
    };
    const char* queries[] = {"?resolution=160x120", "?resolution=320x240", "?resolution=640x480"};
    for (size_t i = 0; i < std::size(pieceSizes); ++i) {
        camera.Server().QueueFaults(Ending(30));
        OpenedRequest opened(camera.Port(), std::string(kStream) + queries[i]);
        ASSERT_TRUE(opened.Send());
        std::string body;
        ASSERT_TRUE(ReadBody(opened.request.Get(), pieceSizes[i], body));
        const RequestRecord record = FinishedRecord(camera, i);
        EXPECT_EQ(body.size(), record.bodyBytes);
        EXPECT_TRUE(body == record.body) << "pieces " << i;
    }
}

TEST(HttpRequestTest, ChunkedBodyArrivesWithoutItsFraming) {
    InProcessCamsim camera(FastCamera());
    Faults faults = Ending(10);
    faults.chunked = true;
    std::string body;
    EXPECT_TRUE(ReadStream(camera, faults, 5000, body));
    EXPECT_TRUE(body == FinishedRecord(camera, 0).body);
}

TEST(HttpRequestTest, BrokenBodiesFailTheReadOnceTheBytesBeforeTheBreakAreRead) {
    InProcessCamsim camera(FastCamera());
    Faults faults;
    faults.chunked = true;
    faults.closeMidPicture = 2;
    std::string body;
    EXPECT_FALSE(ReadStream(camera, faults, 1000, body));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_TRUE(body == FinishedRecord(camera, 0).body);

    // A body without length that ends with the connection simply ends.
    faults.chunked = false;
    std::string all;
    EXPECT_TRUE(ReadStream(camera, faults, 1000, all));
    EXPECT_TRUE(all == FinishedRecord(camera, 1).body);
}

TEST(HttpRequestTest, CameraClosingWithoutAnAnswerOrAnsweringWithoutAHeadFailsTheSend) {
    InProcessCamsim camera;
    Faults closing;
    closing.closeBeforeHead = true;
    Faults headless;
    headless.headless = true;
    Faults elsewhere;
    elsewhere.status = 302;
    elsewhere.location = "ftp://127.0.0.1/video";
    const struct {
        const char* name;
        Faults faults;
        uint32_t error;
    } cases[] = {
        {"closed", closing, ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"no status line", headless, ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {"sent to another scheme", elsewhere, ERROR_INTERNET_UNRECOGNIZED_SCHEME},
    };
    for (const auto& c : cases) {
        camera.Server().QueueFaults(c.faults);
        OpenedRequest opened(camera.Port(), kParameters);
        EXPECT_FALSE(opened.Send()) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

TEST(HttpRequestTest, UserAgentNoCacheHeadersAndExtraHeadersReachTheCamera) {
    InProcessCamsim camera;
    OpenedRequest opened(camera.Port(), kParameters, nullptr, nullptr, u"ZelPPC");
    const std::u16string extra = u"X-Test: one\r\nX-Other: two\r\n";
    ASSERT_TRUE(HttpSendRequestW(opened.request.Get(), extra.c_str(), 0xFFFFFFFFu, nullptr, 0));
    const RequestRecord record = FinishedRecord(camera, 0);
    EXPECT_EQ(record.Header("User-Agent"), "ZelPPC");
    EXPECT_EQ(record.Header("Pragma"), "no-cache");
    EXPECT_EQ(record.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(record.Header("X-Test"), "one");
    EXPECT_EQ(record.Header("X-Other"), "two");
}

TEST(HttpRequestTest, PathAndQueryAreSentAsGiven) {
    camsim::CameraConfig config;
    config.ptz = true;
    config.sources = 2;
    InProcessCamsim camera(config);
    CrackedUrl parts;
    ASSERT_TRUE(
        InternetCrackUrlW(camera.WideUrl("/vexo-cgi/com/ptz.cgi?camera=2&rzoom=-2500").c_str(), parts));
    EXPECT_EQ(parts.port, camera.Port());
    OpenedRequest opened(parts.port, std::string(parts.path.begin(), parts.path.end()));
    ASSERT_TRUE(opened.Send());
    EXPECT_EQ(opened.Status(), 200u);
    const std::string center = "/vexo-cgi/com/ptz.cgi?imagewidth=640&imageheight=480&center=10,20";
    OpenedRequest tap(camera.Port(), center);
    ASSERT_TRUE(tap.Send());
    EXPECT_EQ(camera.Server().PtzCommands(),
              (std::vector<std::string>{"/vexo-cgi/com/ptz.cgi?camera=2&rzoom=-2500", center}));
}

TEST(HttpRequestTest, RequestsOneAfterTheOtherShareOneConnection) {
    InProcessCamsim camera;
    OpenedRequest opened(camera.Port(), kParameters);
    ASSERT_TRUE(opened.Send());
    std::string first;
    ASSERT_TRUE(ReadBody(
        opened.request.Get(), [](int) { return 4096u; }, first));
    opened.request.Close();
    ScopedHandle second(opened.OpenAnother("/vexo-cgi/view/param.cgi?action=list"));
    ASSERT_TRUE(HttpSendRequestW(second.Get(), nullptr, 0, nullptr, 0));
    std::string body;
    ASSERT_TRUE(ReadBody(
        second.Get(), [](int) { return 4096u; }, body));
    const auto records = camera.Server().Requests().All();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].connection, records[1].connection);
}

TEST(HttpRequestTest, AStreamAndACommandRunAtOnceOnOneConnection) {
    camsim::CameraConfig config;
    config.ptz = true;
    InProcessCamsim camera(config);
    OpenedRequest stream(camera.Port(), kStream);
    ASSERT_TRUE(stream.Send());
    ScopedHandle command(stream.OpenAnother("/vexo-cgi/com/ptz.cgi?rzoom=2500"));
    ASSERT_TRUE(HttpSendRequestW(command.Get(), nullptr, 0, nullptr, 0));
    char bytes[100];
    uint32_t read = 0;
    EXPECT_TRUE(InternetReadFile(stream.request.Get(), bytes, sizeof bytes, &read));
    EXPECT_GT(read, 0u);
    EXPECT_EQ(camera.Server().Position(1).zoom, 2501);
}

TEST(HttpRequestTest, DataAvailableThenOneReadTakesTheWholeShortAnswer) {
    InProcessCamsim camera;
    OpenedRequest opened(camera.Port(), kParameters);
    ASSERT_TRUE(opened.Send());
    uint32_t available = 0;
    ASSERT_TRUE(InternetQueryDataAvailable(opened.request.Get(), &available, 0, 0));
    std::string answer(available, '\0');
    uint32_t read = 0;
    ASSERT_TRUE(InternetReadFile(opened.request.Get(), answer.data(), available, &read));
    EXPECT_EQ(answer, "root.Brand.ProdShortName=VEXO Alder\n");
    ASSERT_TRUE(InternetQueryDataAvailable(opened.request.Get(), &available, 0, 0));
    EXPECT_EQ(available, 0u);
}

TEST(HttpRequestTest, ReadAheadStopsAtItsLimitUntilTheCallerReads) {
    InProcessCamsim camera(FastCamera());
    OpenedRequest opened(camera.Port(), kStream);
    ASSERT_TRUE(opened.Send());
    // Each query takes in what has arrived without reading any of it.
    uint32_t available = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCamsimWaitMs);
    while (available < kReadAheadLimit - 64 * 1024 && Clock::now() < deadline) {
        ASSERT_TRUE(InternetQueryDataAvailable(opened.request.Get(), &available, 0, 0));
    }
    ASSERT_GE(available, kReadAheadLimit - 64 * 1024);
    // The camera goes on sending for a while; what arrives stays in the socket.
    const auto watchUntil = Clock::now() + std::chrono::milliseconds(300);
    while (Clock::now() < watchUntil) {
        ASSERT_TRUE(InternetQueryDataAvailable(opened.request.Get(), &available, 0, 0));
        ASSERT_LE(available, kReadAheadLimit);
    }
    // Reading on resumes the transfer where it paused: no byte lost or doubled.
    std::string body;
    std::vector<char> buffer(64 * 1024);
    while (body.size() < 4 * kReadAheadLimit) {
        uint32_t read = 0;
        ASSERT_TRUE(InternetReadFile(opened.request.Get(), buffer.data(),
                                     static_cast<uint32_t>(buffer.size()), &read));
        ASSERT_GT(read, 0u);
        body.append(buffer.data(), read);
    }
    const RequestRecord record = camera.Server().Requests().All().at(0);
    EXPECT_TRUE(record.body.compare(0, body.size(), body) == 0);
}

TEST(HttpRequestTest, BadHandlesAndArgumentsAreRefusedWithTheirError) {
    InProcessCamsim camera;
    OpenedRequest opened(camera.Port(), kParameters);
    uint32_t value = 0;
    uint32_t length = sizeof value;
    char byte = 0;

    EXPECT_FALSE(InternetReadFile(nullptr, &byte, 1, &value));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(InternetReadFile(opened.connection.Get(), &byte, 1, &value)) << "a connection is no request";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(InternetConnectW(opened.request.Get(), u"127.0.0.1", 80, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(HttpOpenRequestW(opened.connection.Get(), u"POST", u"/", nullptr, nullptr, nullptr, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(HttpSendRequestW(opened.request.Get(), nullptr, 0, "body", 4));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(HttpQueryInfoW(opened.request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value,
                                &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND) << "nothing sent yet";

    ASSERT_TRUE(opened.Send());
    length = 2;
    EXPECT_FALSE(HttpQueryInfoW(opened.request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value,
                                &length, nullptr));
    EXPECT_EQ(length, 4u);
    EXPECT_FALSE(HttpQueryInfoW(opened.request.Get(), HTTP_QUERY_STATUS_CODE, &value, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(opened.Status(), 200u) << "the failed calls changed nothing";
}

} // namespace
