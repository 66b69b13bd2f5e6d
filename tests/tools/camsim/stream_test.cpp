// The stream camsim sends, byte for byte, and the pictures in it.

#include "tests/support/camsimfixture.h"
#include "tests/support/rawconnection.h"
#include "tests/tools/camsim/streamparts.h"
#include "tools/camsim/testpattern.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using camsim::Faults;
using camsim::TestPattern;

constexpr char kStream[] = "/vexo-cgi/mjpg/video.cgi";

// The answer to one stream request that ends after a few pictures.
std::string StreamAnswer(InProcessCamsim& camera, const std::string& target, Faults faults,
                         int pictures = 2) {
    faults.closeAfter = pictures;
    camera.Server().QueueFaults(faults);
    RawConnection connection(camera.Port());
    connection.SendGet(target);
    return connection.ReadUntilClosed();
}

std::string FirstPicture(InProcessCamsim& camera, const std::string& target,
                         const Faults& faults = Faults()) {
    const std::vector<std::string> parts =
        SplitAtBoundaries(SplitAnswer(StreamAnswer(camera, target, faults, 1)).body);
    return parts.empty() ? std::string() : PictureOf(parts[0]);
}

// Chunked transfer coding taken off; false when the framing is broken or has no last chunk.
bool Dechunk(const std::string& body, std::string& payload) {
    size_t at = 0;
    for (;;) {
        const size_t lineEnd = body.find("\r\n", at);
        if (lineEnd == std::string::npos)
            return false;
        const size_t size = std::stoul(body.substr(at, lineEnd - at), nullptr, 16);
        if (size == 0)
            return body.substr(lineEnd) == "\r\n\r\n";
        if (body.compare(lineEnd + 2 + size, 2, "\r\n") != 0)
            return false;
        payload += body.substr(lineEnd + 2, size);
        at = lineEnd + 2 + size + 2;
    }
}

void ExpectWholePart(const std::string& part, const std::string& trailer) {
    const std::string picture = PictureOf(part);
    ASSERT_GT(picture.size(), 4u);
    EXPECT_EQ(part, "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                        std::to_string(picture.size()) + "\r\n\r\n" + picture + trailer);
    EXPECT_EQ(picture.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(picture.substr(picture.size() - 2), "\xFF\xD9");
}

bool Near(const std::vector<int>& channels, camsim::Rgb colour) {
    const int expected[] = {colour.red, colour.green, colour.blue};
    for (size_t i = 0; i < channels.size(); ++i) {
        if (std::abs(channels[i] - expected[i]) > 8)
            return false;
    }
    return channels.size() == 3;
}

TEST(CamsimStreamTest, PartsAreBoundaryHeadersPictureAndFourByteTrailer) {
    InProcessCamsim camera(FastCamera());
    const RawAnswer answer = SplitAnswer(StreamAnswer(camera, kStream, Faults()));
    EXPECT_EQ(answer.statusLine, "HTTP/1.1 200 OK");
    EXPECT_NE(answer.head.find("Content-Type: multipart/x-mixed-replace; boundary=myboundary\r\n"),
              std::string::npos);
    EXPECT_EQ(answer.head.find("Transfer-Encoding"), std::string::npos);
    EXPECT_EQ(answer.head.find("Content-Length"), std::string::npos);
    EXPECT_EQ(answer.body.find("--myboundary"), 0u);

    const std::vector<std::string> parts = SplitAtBoundaries(answer.body);
    ASSERT_EQ(parts.size(), 3u);
    ExpectWholePart(parts[0], "\r\n\r\n");
    ExpectWholePart(parts[1], "\r\n\r\n");
    // After the last picture comes the boundary of the next one, so a reader that cuts at
    // boundaries gets every picture sent.
    EXPECT_EQ(parts[2], "--myboundary\r\n");
}

TEST(CamsimStreamTest, TwoByteTrailerAndChunkedCodingAreOptions) {
    InProcessCamsim camera(FastCamera());
    Faults shortTrailer;
    shortTrailer.trailerBytes = 2;
    const std::vector<std::string> parts =
        SplitAtBoundaries(SplitAnswer(StreamAnswer(camera, kStream, shortTrailer)).body);
    ASSERT_EQ(parts.size(), 3u);
    ExpectWholePart(parts[0], "\r\n");

    Faults chunked;
    chunked.chunked = true;
    const RawAnswer answer = SplitAnswer(StreamAnswer(camera, kStream, chunked));
    EXPECT_NE(answer.head.find("Transfer-Encoding: chunked\r\n"), std::string::npos);
    std::string payload;
    ASSERT_TRUE(Dechunk(answer.body, payload));
    const std::vector<std::string> chunkedParts = SplitAtBoundaries(payload);
    ASSERT_EQ(chunkedParts.size(), 3u);
    ExpectWholePart(chunkedParts[1], "\r\n\r\n");
}

TEST(CamsimStreamTest, ResolutionParameterChoosesThePictureSize) {
    InProcessCamsim camera(FastCamera());
    const struct {
        const char* query;
        int width;
        int height;
    } cases[] = {
        {"", 640, 480},
        {"?resolution=320x240", 320, 240},
        {"?resolution=halfsize", 320, 240},
        {"?resolution=CIF", 352, 288},
        {"?camera=1&resolution=176x112", 176, 112},
    };
    for (const auto& each : cases) {
        const DecodedPicture picture = DecodeJpeg(FirstPicture(camera, std::string(kStream) + each.query));
        ASSERT_TRUE(picture.ok) << each.query << ": " << picture.error;
        EXPECT_EQ(picture.width, each.width) << each.query;
        EXPECT_EQ(picture.height, each.height) << each.query;
    }
}

TEST(CamsimStreamTest, UnknownResolutionOrVideoSourceIsABadRequest) {
    InProcessCamsim camera(FastCamera());
    for (const char* query : {"?resolution=0x10", "?resolution=big", "?resolution=9000x10", "?camera=2",
                              "?camera=x", "?camera=1x"}) {
        RawConnection connection(camera.Port());
        connection.SendGet(std::string(kStream) + query);
        EXPECT_EQ(SplitAnswer(connection.ReadUntilClosed()).statusLine, "HTTP/1.1 400 Bad Request") << query;
    }
}

TEST(CamsimStreamTest, PicturesShowTheFourFieldsAboveTheTextBand) {
    InProcessCamsim camera(FastCamera());
    const DecodedPicture picture = DecodeJpeg(FirstPicture(camera, kStream));
    ASSERT_TRUE(picture.ok) << picture.error;
    const TestPattern pattern(picture.width, picture.height, camsim::Scene());
    for (const auto field : {TestPattern::Field::TopLeft, TestPattern::Field::TopRight,
                             TestPattern::Field::BottomLeft, TestPattern::Field::BottomRight}) {
        const camsim::Point at = pattern.SamplePoint(field);
        EXPECT_TRUE(Near(picture.At(at.x, at.y), TestPattern::FieldColour(field))) << at.x << "," << at.y;
    }
    // The corners tell the orientation: red top left, green top right, blue above the band on the left.
    EXPECT_TRUE(Near(picture.At(16, 16), TestPattern::kTopLeft));
    EXPECT_TRUE(Near(picture.At(picture.width - 17, 16), TestPattern::kTopRight));
    EXPECT_TRUE(Near(picture.At(16, pattern.BandTop() - 17), TestPattern::kBottomLeft));
    EXPECT_TRUE(Near(picture.At(picture.width - 3, picture.height - 3), TestPattern::kBand));
}

TEST(CamsimStreamTest, TextShowsVideoSourceAndFrameCounter) {
    camsim::CameraConfig config = FastCamera();
    config.sources = 2;
    InProcessCamsim camera(config);
    const std::vector<std::string> parts =
        SplitAtBoundaries(SplitAnswer(StreamAnswer(camera, kStream, Faults())).body);
    ASSERT_GE(parts.size(), 2u);
    const std::string secondSource = FirstPicture(camera, std::string(kStream) + "?camera=2");
    EXPECT_NE(PictureOf(parts[0]), PictureOf(parts[1])) << "the frame counter changes";
    EXPECT_NE(PictureOf(parts[0]), secondSource) << "the camera number differs";
    EXPECT_EQ(PictureOf(parts[0]), FirstPicture(camera, kStream)) << "a new stream starts at frame 0";
}

TEST(CamsimStreamTest, FrameRateSpacesThePictures) {
    camsim::CameraConfig config;
    config.fps = 20;
    InProcessCamsim camera(config);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> parts =
        SplitAtBoundaries(SplitAnswer(StreamAnswer(camera, kStream, Faults(), 6)).body);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(parts.size(), 7u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(250)); // five gaps of 50 ms at the least
}

TEST(CamsimStreamTest, OtherServersFormatsAreOptions) {
    InProcessCamsim camera(FastCamera());
    Faults faults;
    faults.boundary = "frame";
    faults.boundaryInType = false;
    faults.boundaryFirst = true;
    faults.lfLineEnds = true;
    faults.partContentLength = false;
    faults.partHeaderBytes = 150;
    const RawAnswer answer = SplitAnswer(StreamAnswer(camera, kStream, faults));
    EXPECT_NE(answer.head.find("Content-Type: application/octet-stream\r\n"), std::string::npos);
    const std::string head = "--frame\nContent-Type: image/jpeg\n";
    ASSERT_EQ(answer.body.rfind(head, 0), 0u);
    const size_t blank = answer.body.find("\n\n");
    ASSERT_NE(blank, std::string::npos);
    const std::string padding = answer.body.substr(head.size(), blank + 1 - head.size());
    EXPECT_EQ(padding.size(), 150u);
    EXPECT_EQ(padding.rfind("X-Camsim-Padding: ", 0), 0u);
    const size_t next = answer.body.find("--frame\n", 1);
    ASSERT_NE(next, std::string::npos);
    const std::string picture = answer.body.substr(blank + 2, next - 1 - (blank + 2));
    EXPECT_EQ(answer.body.substr(next - 3, 3), "\xFF\xD9\n") << "one line end after the picture";
    EXPECT_TRUE(DecodeJpeg(picture).ok);
}

TEST(CamsimStreamTest, BoundaryFirstSendsNothingAfterAPictureUntilTheNextOne) {
    camsim::CameraConfig config;
    config.fps = 0.5; // two seconds between pictures
    for (const bool boundaryFirst : {true, false}) {
        config.faults.boundaryFirst = boundaryFirst;
        InProcessCamsim camera(config);
        RawConnection connection(camera.Port());
        connection.SendGet(kStream);
        const std::string end = boundaryFirst ? "\xFF\xD9\r\n" : "\xFF\xD9\r\n\r\n--myboundary\r\n";
        const std::string& received = connection.ReadUntil(end);
        ASSERT_GE(received.size(), end.size());
        EXPECT_EQ(received.substr(received.size() - end.size()), end);
        EXPECT_TRUE(connection.StaysSilent(300)) << boundaryFirst;
    }
}

} // namespace
