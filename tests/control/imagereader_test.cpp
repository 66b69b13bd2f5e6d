// Cutting multipart bytes into pictures, fed in pieces the way a network delivers them.

#include "control/imagereader.h"

#include "foundation/log.h"
#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_literals;

// Hands out the bytes in pieces of the given sizes (cycled), then the end of the stream.
class PieceSource final : public ByteSource {
  public:
    PieceSource(std::string bytes, std::vector<uint32_t> pieces)
        : bytes(std::move(bytes)), pieces(std::move(pieces)) {}
    bool Read(void* buffer, uint32_t count, uint32_t* read) override {
        const uint32_t piece = pieces.empty() ? count : pieces[next++ % pieces.size()];
        const auto n = static_cast<uint32_t>(std::min<size_t>({count, piece, bytes.size() - position}));
        std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        *read = n;
        return true;
    }

  private:
    std::string bytes;
    std::vector<uint32_t> pieces;
    size_t position = 0;
    size_t next = 0;
};

std::string Picture(size_t size, char fill) {
    std::string picture = "\xFF\xD8";
    picture += std::string(size - 4, fill);
    return picture + "\xFF\xD9";
}

std::string Part(const std::string& picture, const std::string& headers = "Content-Type: image/jpeg\r\n",
                 const std::string& trailer = "\r\n\r\n") {
    return "--myboundary\r\n" + headers + "\r\n" + picture + trailer;
}

// A picture in short: its length and the byte that fills it ("3000:a").
std::string Short(const std::string& picture) {
    return std::to_string(picture.size()) + ":" +
           (picture.size() > 2 ? picture.substr(2, 1) : std::string("?"));
}

std::vector<std::string> ShortAll(const std::vector<std::string>& pictures) {
    std::vector<std::string> out;
    for (const std::string& p : pictures)
        out.push_back(p == "<no stream>" ? p : Short(p));
    return out;
}

std::vector<std::string> CutAll(const std::string& stream, std::vector<uint32_t> pieces = {},
                                std::string_view contentType = {}) {
    PieceSource source(stream, std::move(pieces));
    ImageReader reader;
    std::vector<std::string> pictures;
    if (!reader.InitStream(&source, contentType))
        return {"<no stream>"};
    const uint8_t* picture = nullptr;
    uint32_t length = 0;
    while (reader.Read(picture, length))
        pictures.emplace_back(reinterpret_cast<const char*>(picture), length);
    return ShortAll(pictures);
}

TEST(ImageReaderTest, CutsPicturesWhateverTheReadSizes) {
    const std::string a = Picture(3000, 'a');
    const std::string b = Picture(9000, 'b');
    const std::string c = Picture(100, 'c');
    const std::string stream = Part(a) + Part(b) + Part(c) + "--myboundary\r\n";
    const std::vector<std::string> expected = ShortAll({a, b, c});
    EXPECT_EQ(CutAll(stream), expected);
    EXPECT_EQ(CutAll(stream, {1}), expected);           // byte by byte
    EXPECT_EQ(CutAll(stream, {7, 13, 4096}), expected); // boundaries split across reads
    EXPECT_EQ(CutAll(stream, {5000}), expected);
}

TEST(ImageReaderTest, WrongLengthsDoNoHarmAndTwoByteTrailersKeepTheEnd) {
    const std::string a = Picture(2000, 'a');
    const std::string longHeaders =
        "Content-Type: image/jpeg\r\nContent-Length: 3\r\nX-Pad: " + std::string(120, ' ') + "\r\n";
    EXPECT_EQ(CutAll(Part(a, longHeaders) + Part(a) + "--myboundary"), ShortAll({a, a}));
    // Servers that end a part with one CRLF: that line end is not part of the picture either.
    const std::vector<std::string> cut =
        CutAll(Part(a, "X: y\r\n", "\r\n") + Part(a, "X: y\r\n", "\r\n") + "--myboundary");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], Short(a));
}

TEST(ImageReaderTest, StreamsThatAreNotPictureStreamsFailAtTheStart) {
    EXPECT_EQ(CutAll(std::string(300, 'x') + Part(Picture(500, 'a'))),
              std::vector<std::string>{"<no stream>"});
    EXPECT_EQ(CutAll("HTTP error page without any boundary"), std::vector<std::string>{"<no stream>"});
    EXPECT_EQ(CutAll("--myboundary\r\nContent-Type: text/plain\r\n\r\nno picture here"),
              std::vector<std::string>{"<no stream>"});
}

TEST(ImageReaderTest, OverlongHeadersAndOversizedPicturesEndTheStream) {
    const std::string a = Picture(1000, 'a');
    const std::string headers = "X-Pad: " + std::string(ImageReader::kPartHeadLimit, ' ') + "\r\n";
    EXPECT_EQ(CutAll(Part(a, headers) + Part(a) + "--myboundary"), std::vector<std::string>{"<no stream>"});
    EXPECT_EQ(CutAll(Part(a) + Part(a, headers) + Part(a) + "--myboundary"), ShortAll({a}));
    const std::string huge = Picture(ImageReader::kMaxPictureBytes + 1, 'h');
    EXPECT_EQ(CutAll(Part(a) + Part(huge) + Part(a) + "--myboundary", {65536}), ShortAll({a}));
}

TEST(ImageReaderTest, TheEndOfAStreamIsLoggedOnce) {
    std::vector<std::string> lines;
    DiagLog::Instance().SetConsoleForTest([&](std::string_view line) { lines.emplace_back(line); });
    const std::string a = Picture(1000, 'a');
    const std::vector<std::string> pictures =
        CutAll(Part(a) + Part(a) + "--myboundary\r\n\r\n\xFF\xD8 cut", {700});
    DiagLog::Instance().SetConsoleForTest(nullptr);
    EXPECT_EQ(pictures, ShortAll({a, a}));
    EXPECT_EQ(std::count_if(
                  lines.begin(), lines.end(),
                  [](const std::string& line) { return line.find("end of reading") != std::string::npos; }),
              1);
}

TEST(ImageReaderTest, EmptyPartsAreSkippedAndNeverGiveANegativeLength) {
    const std::string a = Picture(1000, 'a');
    // A part whose "picture" is the single byte 0xFF right before the next boundary.
    const std::string stream = Part(a) + "--myboundary\r\n\r\n\xFF\r\n" + Part(a) + "--myboundary";
    EXPECT_EQ(CutAll(stream), ShortAll({a, a}));
}

// How other servers shape their parts.
struct Format {
    std::string delimiter = "--myboundary";
    std::string lineEnd = "\r\n";
    std::string length = "true"; // the Content-Length value: "true" for the picture's, "" for none
    std::string extraHeaders;
    std::string trailer = "\r\n";
};

std::string FormatPart(const std::string& picture, const Format& f) {
    const std::string length = f.length == "true" ? std::to_string(picture.size()) : f.length;
    return f.delimiter + f.lineEnd + "Content-Type: image/jpeg" + f.lineEnd +
           (length.empty() ? "" : "Content-Length: " + length + f.lineEnd) + f.extraHeaders + f.lineEnd +
           picture + f.trailer;
}

std::string FormatStream(const std::vector<std::string>& pictures, const Format& f) {
    std::string stream;
    for (const std::string& picture : pictures)
        stream += FormatPart(picture, f);
    return stream + f.delimiter + f.lineEnd;
}

// Cut with the pieces of every size the tests use: the pictures must not depend on them.
std::vector<std::string> CutEveryWay(const std::string& stream, std::string_view contentType = {}) {
    const std::vector<std::string> whole = CutAll(stream, {}, contentType);
    EXPECT_EQ(CutAll(stream, {1}, contentType), whole);
    EXPECT_EQ(CutAll(stream, {7, 13, 4096}, contentType), whole);
    return whole;
}

TEST(ImageReaderTest, TheBoundaryIsTheDeclaredOneOrTheBodysFirstDashLine) {
    const std::vector<std::string> pictures = {Picture(3000, 'a'), Picture(500, 'b')};
    const struct {
        const char* contentType;
        const char* sent;     // the delimiter lines in the body
        const char* expected; // the delimiter the reader takes
    } cases[] = {
        {"multipart/x-mixed-replace; boundary=frame", "--frame", "--frame"},
        {"multipart/x-mixed-replace;boundary=\"frame\"", "--frame", "--frame"},
        {"multipart/x-mixed-replace; boundary=--frame", "--frame", "--frame"},
        {"Multipart/Mixed; charset=x; BOUNDARY=\"--frame\"", "----frame", "--frame"},
        {"application/octet-stream", "--ffmpeg", "--ffmpeg"},
        {"", "--BoundaryString", "--BoundaryString"},
        {"image/jpeg", "--myboundary", "--myboundary"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contentType);
        Format format;
        format.delimiter = c.sent;
        const std::string stream = FormatStream(pictures, format);
        EXPECT_EQ(CutEveryWay(stream, c.contentType), ShortAll(pictures));
        PieceSource source(stream, {});
        ImageReader reader;
        ASSERT_TRUE(reader.InitStream(&source, c.contentType));
        EXPECT_EQ(reader.Delimiter(), c.expected);
    }
    // The declared boundary wins over a line before the first part; a body without any gives none.
    Format frame;
    frame.delimiter = "--frame";
    EXPECT_EQ(
        CutEveryWay("--preamble\r\n" + FormatStream(pictures, frame), "multipart/mixed; boundary=frame"),
        ShortAll(pictures));
    EXPECT_EQ(CutAll(FormatStream(pictures, frame), {}, "multipart/mixed; boundary=other"),
              std::vector<std::string>{"<no stream>"});
}

TEST(ImageReaderTest, PartHeadersEndAtTheBlankLineOfEitherLineEnd) {
    const std::vector<std::string> pictures = {Picture(3000, 'a'), Picture(6000, 'b'), Picture(100, 'c')};
    Format lf;
    lf.lineEnd = lf.trailer = "\n";
    EXPECT_EQ(CutEveryWay(FormatStream(pictures, lf)), ShortAll(pictures));
    lf.length = "";
    EXPECT_EQ(CutEveryWay(FormatStream(pictures, lf)), ShortAll(pictures));

    // Header lines up to the limit, however long each is.
    Format padded;
    padded.extraHeaders =
        "X-Short: 1\r\nX-Long: " + std::string(ImageReader::kPartHeadLimit - 200, 'p') + "\r\n";
    EXPECT_EQ(CutEveryWay(FormatStream(pictures, padded)), ShortAll(pictures));

    // A header byte that is no text, 0xFF too, does not start the picture.
    Format named;
    named.extraHeaders = "X-Name: Caf\xFF\r\n";
    EXPECT_EQ(CutEveryWay(FormatStream(pictures, named)), ShortAll(pictures));

    // No blank line: the first 0xFF after the boundary starts the picture.
    const std::string bare = "--myboundary\r\nContent-Type: image/jpeg\r\n" + pictures[0] + "\r\n";
    EXPECT_EQ(CutEveryWay(bare + bare + "--myboundary\r\n"), ShortAll({pictures[0], pictures[0]}));
}

TEST(ImageReaderTest, ContentLengthRightWrongOrAbsentGivesTheSamePictures) {
    const std::vector<std::string> pictures = {Picture(3000, 'a'), Picture(9000, 'b'), Picture(700, 'c')};
    // a, its line end, b's part head (60 bytes and the five digits of this very length) and b: a
    // length that lands on b's end marker.
    const std::string reachingNextEnd = std::to_string(3000 + 2 + 60 + 5 + 9000);
    for (const std::string length :
         {"true", "", "10", "3500", "9999999", "4000000000", "12abc", reachingNextEnd.c_str()}) {
        SCOPED_TRACE(length);
        Format format;
        format.length = length;
        EXPECT_EQ(CutEveryWay(FormatStream(pictures, format)), ShortAll(pictures));
    }
}

// Serves the bytes up to the gate, and notes whether the reader asked for any beyond them.
class GatedSource final : public ByteSource {
  public:
    GatedSource(std::string bytes, size_t gate) : bytes(std::move(bytes)), gate(gate) {}
    bool Read(void* buffer, uint32_t count, uint32_t* read) override {
        if (position >= gate)
            askedBeyond = true;
        const size_t end = askedBeyond ? bytes.size() : gate;
        const auto n = static_cast<uint32_t>(std::min<size_t>(count, end - position));
        std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        *read = n;
        return true;
    }
    bool askedBeyond = false;

  private:
    std::string bytes;
    size_t gate;
    size_t position = 0;
};

TEST(ImageReaderTest, APictureOfTheRightLengthIsHandedOutBeforeTheNextBoundary) {
    const std::string a = Picture(3000, 'a');
    // A comment segment of the picture may hold anything, the boundary line too.
    const std::string commented = a.substr(0, 2) + "\xFF\xFE\x00\x12\r\n--myboundary\r\n"s + a.substr(2);
    const struct {
        std::string length; // as Format::length, counting the bytes after the picture too
        std::string picture;
        std::string after; // bytes after the picture's end marker: line ends or padding
    } cases[] = {
        {"true", a, ""},
        {"", a, ""},
        {"100", a, ""},
        {"true", commented, ""},
        {"true", a, "\r\n"},
        {"true", a, std::string(9, '\0')},
        {"true", a, std::string(16, '\xFF')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length + " " + Short(c.picture) + " +" + std::to_string(c.after.size()));
        Format format;
        format.length = c.length;
        const std::string first = FormatPart(c.picture + c.after, format); // nothing more until the next
        GatedSource source(first + first + "--myboundary\r\n", first.size());
        ImageReader reader;
        ASSERT_TRUE(reader.InitStream(&source));
        const uint8_t* picture = nullptr;
        uint32_t size = 0;
        ASSERT_TRUE(reader.Read(picture, size));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(picture), size), c.picture);
        EXPECT_EQ(source.askedBeyond, c.length != "true")
            << "only a length that ends the picture cuts it at once";
        ASSERT_TRUE(reader.Read(picture, size));
        EXPECT_EQ(size, c.picture.size());
        EXPECT_EQ(CutEveryWay(first + first), ShortAll({c.picture, c.picture})) << "the stream ends after it";
    }
}

TEST(ImageReaderTest, LargePicturesAndStreamsThatEndAfterAPicture) {
    const std::string small = Picture(1000, 's');
    const std::string large = Picture(10 * 1000 * 1000, 'L');
    for (const std::string length : {"true", ""}) {
        SCOPED_TRACE(length);
        Format format;
        format.length = length;
        const std::string stream = FormatStream({small, large, small}, format);
        EXPECT_EQ(CutAll(stream), ShortAll({small, large, small}));
        EXPECT_EQ(CutAll(stream, {1500, 65536, 777}), ShortAll({small, large, small}));

        // The last picture before the end of the stream is whole; half a picture is none.
        EXPECT_EQ(CutEveryWay(FormatPart(small, format)), ShortAll({small}));
        format.trailer = "";
        EXPECT_EQ(CutEveryWay(FormatPart(small, format) + FormatPart(small, format)),
                  ShortAll({small, small}));
        const std::string part = FormatPart(small, format);
        EXPECT_EQ(CutEveryWay(part + part.substr(0, part.size() - 10)), ShortAll({small}));
    }
}

} // namespace
