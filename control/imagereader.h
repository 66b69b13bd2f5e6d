#pragma once
// Cuts the body of a Motion-JPEG multipart stream into single JPEG pictures, and hands out a
// pointer and a length per picture. Read thread only.
//
// The boundary is the one the answer's Content-Type declares; for an answer that declares none,
// the first line of the body that begins with "--"; else "--myboundary". Each part's header lines,
// which may hold any byte, are read up to the blank line (CR LF or LF line ends) before the
// picture's start marker; without one, the part's first 0xFF byte starts the picture. When a part
// declares a Content-Length whose last bytes are the JPEG end marker, or the end marker and up to
// 16 bytes of line ends or padding (zeros, 0xFF) that the length counts, the picture ends at its end
// marker and is handed out as soon as the length has arrived. A boundary inside that length counts
// as the picture's own bytes, unless a picture end comes right before it (once a length proved
// right, the lengths of pictures of similar size are believed without looking for a boundary inside
// them). Otherwise, or when the next boundary comes first, the picture ends at the next boundary,
// and a line end before it (CR LF, LF, or CR LF CR LF) is not part of it. A picture that the end of
// the stream ends is handed out when it ends with the end marker. Every read takes what has arrived.

#include "control/bytebuffer.h"

#include "platform/http/wininet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where the reader's bytes come from: the stream's request, or anything else that reads.
class ByteSource {
  public:
    // Reads up to count bytes; false on failure, *read 0 at the end.
    virtual bool Read(void* buffer, uint32_t count, uint32_t* read) = 0;

  protected:
    ~ByteSource() = default;
};

class ImageReader {
  public:
    static constexpr uint32_t kHeaderWindow = 200;       // the first boundary lies in the first bytes
    static constexpr uint32_t kPartHeadLimit = 8 * 1024; // from a boundary to its picture's first byte
    static constexpr uint32_t kMaxPictureBytes = 32 * 1024 * 1024; // larger pictures end the stream
    static constexpr uint32_t kInitialSize = 5000;
    static constexpr uint32_t kReadStep = 64 * 1024; // room offered to each read, at least
    static constexpr uint32_t kTrailer = 4;          // CR LF CR LF, the longest line end before a boundary
    static constexpr uint32_t kMinPicture = 4;       // a start and an end marker; shorter parts are skipped

    // True when the start of the stream holds a boundary and a picture start after its headers.
    // The request's Content-Type tells the boundary.
    bool InitStream(HINTERNET request);
    bool InitStream(ByteSource* source, std::string_view contentType = {});
    // The next whole picture: a pointer into the reader's buffer, valid until the next call.
    bool Read(const uint8_t*& picture, uint32_t& length);

    // "--" and the boundary, as the stream's start decided it.
    const std::string& Delimiter() const { return delimiter; }

  private:
    // What the reader looks for next.
    enum class Stage {
        Boundary, // the next part's boundary, from searchPos (after a picture cut by its length)
        Head,     // the headers of the part whose boundary is at boundaryPos
        Picture,  // the end of the picture at imageStart
        Ended,    // the stream has ended
    };

    // Reads what has arrived, after making room; false at the end of the stream.
    bool ReadMore();
    // Drops the bytes before what the current stage still needs; offsets move with the rest.
    void DropConsumed();
    // The delimiter lying whole in [searchPos, to), or -1; searchPos then moves to where one cut
    // by `to` would begin.
    int64_t SearchDelimiter(uint32_t to);
    bool FindPictureStart();
    bool FindBoundary();
    bool ReadPartHead();
    bool FindBodyPicture();
    bool FindPictureEnd(uint32_t& end);
    // Where the picture ends when the delimiter at `at` ends its part.
    uint32_t EndBefore(uint32_t at) const;
    bool CutAtBoundary(uint32_t at, uint32_t& end);
    bool CutAtStreamEnd(uint32_t& end);

    class RequestSource final : public ByteSource {
      public:
        HINTERNET request = nullptr;
        bool Read(void* buffer, uint32_t count, uint32_t* read) override {
            return InternetReadFile(request, buffer, count, read);
        }
    };

    ByteBuffer buffer;
    RequestSource requestSource;
    ByteSource* source = nullptr;
    bool ended = false; // the source has no more bytes: it is not read again (its end is logged once)
    std::string delimiter = "--myboundary";
    Stage stage = Stage::Boundary;
    uint32_t searchPos = 0;                // no delimiter begins before it (in the range searched)
    uint32_t boundaryLimit = 0;            // Boundary: the delimiter must lie whole before it
    uint32_t boundaryPos = 0;              // the current part's delimiter
    uint32_t bodyStart = 0;                // the byte after the part's blank line
    uint32_t imageStart = 0;               // the picture's first byte
    std::optional<uint32_t> contentLength; // of the current part, while it is believed
    uint32_t lastLength = 0;               // the last Content-Length that proved right; 0 after a wrong one
};
