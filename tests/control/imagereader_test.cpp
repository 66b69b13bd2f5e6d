// Cutting multipart bytes into pictures, fed in pieces the way a network delivers them.

#include "control/imagereader.h"

#include "foundation/log.h"
#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Hands out the bytes in pieces of the given sizes (cycled), then the end of the stream.
class PieceSource final : public ByteSource {
public:
    PieceSource(std::string bytes, std::vector<uint32_t> pieces) : bytes(std::move(bytes)), pieces(std::move(pieces)) {}
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
    return std::to_string(picture.size()) + ":" + (picture.size() > 2 ? picture.substr(2, 1) : std::string("?"));
}

std::vector<std::string> ShortAll(const std::vector<std::string>& pictures) {
    std::vector<std::string> out;
    for (const std::string& p : pictures) out.push_back(p == "<no stream>" ? p : Short(p));
    return out;
}

std::vector<std::string> CutAll(const std::string& stream, std::vector<uint32_t> pieces = {}) {
    PieceSource source(stream, std::move(pieces));
    ImageReader reader;
    std::vector<std::string> pictures;
    if (!reader.InitStream(&source)) return {"<no stream>"};
    const uint8_t* picture = nullptr;
    uint32_t length = 0;
    while (reader.Read(picture, length)) pictures.emplace_back(reinterpret_cast<const char*>(picture), length);
    return ShortAll(pictures);
}

TEST(ImageReaderTest, CutsPicturesWhateverTheReadSizes) {
    const std::string a = Picture(3000, 'a');
    const std::string b = Picture(9000, 'b');
    const std::string c = Picture(100, 'c');
    const std::string stream = Part(a) + Part(b) + Part(c) + "--myboundary\r\n";
    const std::vector<std::string> expected = ShortAll({a, b, c});
    EXPECT_EQ(CutAll(stream), expected);
    EXPECT_EQ(CutAll(stream, {1}), expected);        // byte by byte
    EXPECT_EQ(CutAll(stream, {7, 13, 4096}), expected); // boundaries split across reads
    EXPECT_EQ(CutAll(stream, {5000}), expected);
}

TEST(ImageReaderTest, PartHeadersAreSkippedUnreadAndTwoByteTrailersLoseTheEnd) {
    const std::string a = Picture(2000, 'a');
    const std::string longHeaders = "Content-Type: image/jpeg\r\nContent-Length: 3\r\nX-Pad: " + std::string(120, ' ') + "\r\n";
    EXPECT_EQ(CutAll(Part(a, longHeaders) + Part(a) + "--myboundary"), ShortAll({a, a}));
    // Servers that end a part with one CRLF: the last two bytes of each picture stay behind.
    const std::vector<std::string> cut = CutAll(Part(a, "X: y\r\n", "\r\n") + Part(a, "X: y\r\n", "\r\n") + "--myboundary");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], Short(a.substr(0, a.size() - 2)));
}

TEST(ImageReaderTest, StreamsThatAreNotPictureStreamsFailAtTheStart) {
    EXPECT_EQ(CutAll(std::string(300, 'x') + Part(Picture(500, 'a'))), std::vector<std::string>{"<no stream>"});
    EXPECT_EQ(CutAll("HTTP error page without any boundary"), std::vector<std::string>{"<no stream>"});
    EXPECT_EQ(CutAll("--myboundary\r\nContent-Type: text/plain\r\n\r\nno picture here"),
              std::vector<std::string>{"<no stream>"});
}

TEST(ImageReaderTest, OverlongHeadersAndOversizedPicturesEndTheStream) {
    const std::string a = Picture(1000, 'a');
    const std::string headers = "X-Pad: " + std::string(250, ' ') + "\r\n";
    EXPECT_EQ(CutAll(Part(a, headers) + Part(a) + "--myboundary"), std::vector<std::string>{"<no stream>"});
    const std::string huge = Picture(450000, 'h');
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

} // namespace
